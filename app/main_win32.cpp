// Start-up of the Win32 front end: the window and the message loop; the program ends when the
// window is closed.
#include <windows.h>

#include <clocale>

#include "ui/win32/frmMain.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // The C runtime starts in the "C" locale; the engine reads the code page and letter case
    // from the user's.
    std::setlocale(LC_ALL, "");
    win32view::frmMain window;
    window.quitOnDestroy = true;
    window.show(showCommand);
    return win32view::frmMain::messageLoop();
}
