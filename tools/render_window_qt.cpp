// Renders the window as it opens into the image file given, without a display.
#include <QApplication>
#include <QPixmap>

#include "ui/qt/frmMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    qtview::frmMain window(selection::DialogServices{});
    return argc == 2 && window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
