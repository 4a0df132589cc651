// Start-up: the window and the event loop; the program ends when the window is closed.
#include <QApplication>

#include "ui/frmMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    frmMain window;
    window.show();
    return QApplication::exec();
}
