// Reading Win32 windows back in tests, and running work inside a window's message loop.
#pragma once

// <windows.h> comes before the other Windows headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <functional>
#include <string>
#include <utility>

#include "ui/win32/frmMain.h"
#include "ui/win32/text.h"

inline std::string text(HWND hwnd) {
    std::wstring buffer(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    buffer.resize(static_cast<std::size_t>(
        GetWindowTextW(hwnd, buffer.data(), static_cast<int>(buffer.size()))));
    return win32view::narrow(buffer);
}

inline std::string className(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return win32view::narrow(name);
}

// The control's rectangle in its parent's client area.
inline RECT placeIn(HWND parent, HWND control) {
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

inline std::pair<int, int> iconSize(HWND hwnd) {
    const auto icon = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info)) return {0, 0};
    BITMAP bitmap{};
    GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return {bitmap.bmWidth, bitmap.bmHeight};
}

inline std::string listEntry(HWND list, int index) {
    std::wstring entry(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, index, 0)) + 1,
                       L'\0');
    entry.resize(static_cast<std::size_t>(
        SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(entry.data()))));
    return win32view::narrow(entry);
}

// The text of the tooltip that `owner`'s tooltip control shows for `tool`.
inline std::string tooltipText(HWND owner, HWND tool) {
    HWND tooltip = nullptr;
    do tooltip = FindWindowExW(nullptr, tooltip, TOOLTIPS_CLASSW, nullptr);
    while (tooltip != nullptr && GetWindow(tooltip, GW_OWNER) != owner);
    std::wstring buffer(4096, L'\0');
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = buffer.data();
    SendMessageW(tooltip, TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&info));
    return win32view::narrow(buffer.c_str());
}

// Handles every message waiting for this thread, the window's dialog keys included.
inline void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) win32view::frmMain::dispatch(msg);
}

// Runs `task` when this thread's messages are next handled, as a queued click would be.
inline void postTask(std::function<void()> task) {
    static const HWND tasks = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wParam,
                                     LPARAM lParam) -> LRESULT {
            if (message != WM_APP) return DefWindowProcW(hwnd, message, wParam, lParam);
            std::unique_ptr<std::function<void()>> run(
                reinterpret_cast<std::function<void()>*>(lParam));
            (*run)();
            return 0;
        };
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TestTasks";
        RegisterClassW(&windowClass);
        return CreateWindowExW(0, L"TestTasks", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               windowClass.hInstance, nullptr);
    }();
    PostMessageW(tasks, WM_APP, 0,
                 reinterpret_cast<LPARAM>(new std::function<void()>(std::move(task))));
}

// Tab, or Shift+Tab, pressed in the focused control.
inline void pressTab(bool shift) {
    BYTE keys[256];
    GetKeyboardState(keys);
    const BYTE before = keys[VK_SHIFT];
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
    PostMessageW(GetFocus(), WM_KEYUP, VK_TAB, 0xC0000001);
    pump();
    keys[VK_SHIFT] = before;
    SetKeyboardState(keys);
}
