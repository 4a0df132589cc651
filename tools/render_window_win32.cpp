// Renders the Win32 window's client area as it opens into the 24-bit BMP file given. Runs on a
// display (under Wine: an X server such as Xvfb); the frame is the window manager's, if any.
// <windows.h> comes before the other Windows headers.
// clang-format off
#include <windows.h>
// clang-format on

#include <cstdio>
#include <cwchar>
#include <vector>

#include "ui/win32/frmMain.h"

namespace {

bool writeBmp(const wchar_t* path, HDC source, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC memory = CreateCompatibleDC(source);
    const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) {
        std::fwprintf(stderr, L"render_window_win32: no bitmap (%lu)\n", GetLastError());
        DeleteDC(memory);
        return false;
    }
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD imageSize = static_cast<DWORD>((width * 3 + 3) / 4 * 4 * height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageSize;
    info.bmiHeader.biSizeImage = imageSize;
    FILE* out = _wfopen(path, L"wb");
    const bool written = out != nullptr && std::fwrite(&file, sizeof file, 1, out) == 1 &&
                         std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                         std::fwrite(bits, imageSize, 1, out) == 1;
    if (out != nullptr) std::fclose(out);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return written;
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
    if (argc != 2) {
        std::fwprintf(stderr, L"usage: render_window_win32 OUTPUT.bmp\n");
        return 2;
    }
    win32view::frmMain window;
    window.show();
    // Let the window and its controls paint.
    for (int i = 0; i < 20; ++i, Sleep(50)) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            win32view::frmMain::dispatch(message);
    }
    RECT client;
    GetClientRect(window.handle(), &client);
    const HDC screen = GetDC(window.handle());
    const bool written = writeBmp(argv[1], screen, client.right, client.bottom);
    ReleaseDC(window.handle(), screen);
    return written ? 0 : 1;
}
