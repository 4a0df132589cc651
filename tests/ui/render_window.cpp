// Renders the window as it opens into an image file, without a display.
#include <QApplication>
#include <QPixmap>
#include <cstdio>

#include "ui/frmMain.h"

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_window OUTPUT.png\n");
        return 2;
    }
    frmMain window(selection::DialogServices{});
    window.show();
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "render_window: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
