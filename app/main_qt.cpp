// Start-up of the Qt front end: the window and the event loop; the program ends when the window
// is closed.
#include <QApplication>
#include <clocale>
#include <cstdio>
#include <string_view>

#include "ui/qt/frmMain.h"
#include "version.h"

int main(int argc, char* argv[]) {
    // Answered before the window system is reached, so it works without a display.
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::printf("segment-replace %s\n", REPLACE_VERSION);
        return 0;
    }
    // The engine reads letter case and the 8-bit code page from the C library's locale.
    std::setlocale(LC_ALL, "");
    QApplication app(argc, argv);
    qtview::frmMain window;
    window.closeOnTermination();
    window.show();
    return QApplication::exec();
}
