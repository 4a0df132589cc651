// Start-up of the Qt front end: the window and the event loop; the program ends when the window
// is closed.
#include <QApplication>
#include <clocale>

#include "ui/qt/frmMain.h"

int main(int argc, char* argv[]) {
    // The engine reads letter case and the 8-bit code page from the C library's locale.
    std::setlocale(LC_ALL, "");
    QApplication app(argc, argv);
    frmMain window;
    window.closeOnTermination();
    window.show();
    return QApplication::exec();
}
