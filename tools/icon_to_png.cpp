// Build helper: converts the window icon into the PNG that desktops look up by name.
#include <QImage>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: icon_to_png INPUT OUTPUT.png\n");
        return 2;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull() || !image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "icon_to_png: cannot convert %s\n", argv[1]);
        return 1;
    }
    return 0;
}
