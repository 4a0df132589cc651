// The Win32 window in tests, under Wine or Windows: the driver of the scenarios both views share
// (tests/ui/window_scenarios.h). It reads the controls as the system made them (class, style
// bits, font, place in the client area at the system's DPI), clicks by BM_CLICK, presses Tab as
// the dialog keys see it, and runs work inside the window's message loop.
#pragma once

// <windows.h> comes before the other Windows headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <cstdlib>
#include <optional>

#include "tests/ui/window_scenarios.h"
#include "ui/win32/frmMain.h"
#include "ui/win32/text.h"

namespace scenario {

struct Win32View {
    static constexpr const char* kClasses[] = {"Button", "Static", "ListBox", "msctls_progress32",
                                               "Button", "Edit"};  // by Kind
    static constexpr bool kFramesAreParents = false;
    // By Kind, style bits under a mask: no push button is the default one, the list neither
    // sorts nor takes more than one entry, the bar lies, the text is one line.
    static constexpr std::pair<DWORD, DWORD> kStyles[] = {
        {BS_TYPEMASK, BS_PUSHBUTTON},
        {SS_TYPEMASK, SS_LEFT},
        {LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL, 0},
        {PBS_VERTICAL, 0},
        {BS_TYPEMASK, BS_GROUPBOX},
        {ES_MULTILINE, 0}};

    explicit Win32View(Script& script) : Win32View(services(script)) {}
    explicit Win32View(selection::DialogServices services) : given(std::move(services)) {
        if (const char* wanted = std::getenv("REPLACE_TEST_DPI")) {
            EXPECT_EQ(dpi, std::atoi(wanted));
        }
        open();
    }
    void open() {
        frm.emplace(given);
        frm->show();
        pump();
    }
    HWND at(Id id) const { return frm->control(id); }
    int px(int twips) const { return MulDiv(twips, dpi, kTwipsPerInch); }

    auto window() {
        RECT client;
        GetClientRect(frm->handle(), &client);
        EXPECT_EQ(GetMenu(frm->handle()), nullptr);
        const auto icon =
            reinterpret_cast<HICON>(SendMessageW(frm->handle(), WM_GETICON, ICON_BIG, 0));
        ICONINFO info{};
        BITMAP bitmap{};
        if (icon != nullptr && GetIconInfo(icon, &info)) {
            GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap,
                       &bitmap);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
        return std::tuple(text(frm->handle()), static_cast<int>(client.right),
                          static_cast<int>(client.bottom),
                          std::pair<int, int>(bitmap.bmWidth, bitmap.bmHeight));
    }
    Made made(Id id) {
        const HWND control = at(id);
        if (control == nullptr) return {};
        wchar_t name[64] = {};
        GetClassNameW(control, name, 64);
        std::string made = win32view::narrow(name);
        const auto [mask, bits] = kStyles[static_cast<int>(kControls[id].kind)];
        if ((static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE)) & mask) != bits)
            made += " of another style";
        if (SendMessageW(control, WM_GETFONT, 0, 0) !=
            reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT)))
            made += " in another font";
        RECT place;  // in the client area
        GetWindowRect(control, &place);
        MapWindowPoints(HWND_DESKTOP, frm->handle(), reinterpret_cast<POINT*>(&place), 2);
        return std::tuple(made, GetParent(control) == frm->handle() ? "" : "another window",
                          text(control), place.left, place.top, place.right - place.left,
                          place.bottom - place.top);
    }
    static std::string text(HWND hwnd) { return win32view::windowText(hwnd); }
    std::string text(Id id) { return text(at(id)); }
    int send(Id id, UINT message) { return static_cast<int>(SendMessageW(at(id), message, 0, 0)); }
    State state() {
        return std::tuple(text(cmdReplace), IsWindowEnabled(at(cmdReplace)) != 0,
                          IsWindowEnabled(at(cmdStop)) != 0, send(ProgresBar, PBM_GETRANGE),
                          send(ProgresBar, PBM_GETPOS), send(lstFile, LB_GETCOUNT),
                          send(lstFile, LB_GETCURSEL));
    }
    std::string entry(int index) {
        std::wstring entry(32768, L'\0');  // as long as any path
        SendMessageW(at(lstFile), LB_GETTEXT, index, reinterpret_cast<LPARAM>(entry.data()));
        return win32view::narrow(entry.c_str());
    }
    // The text of the tooltip that the window's tooltip control shows for the control.
    std::string tooltip(Id id) {
        HWND tooltip = nullptr;
        do tooltip = FindWindowExW(nullptr, tooltip, TOOLTIPS_CLASSW, nullptr);
        while (tooltip != nullptr && GetWindow(tooltip, GW_OWNER) != frm->handle());
        std::wstring buffer(4096, L'\0');
        TTTOOLINFOW info{};
        info.cbSize = sizeof info;
        info.hwnd = frm->handle();
        info.uId = reinterpret_cast<UINT_PTR>(at(id));
        info.lpszText = buffer.data();
        SendMessageW(tooltip, TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&info));
        return win32view::narrow(buffer.c_str());
    }
    std::string focused() {
        for (const Control& c : kControls)
            if (at(c.id) == GetFocus()) return std::string(c.name);
        return "";
    }

    void click(Id id) { SendMessageW(at(id), BM_CLICK, 0, 0); }
    void enable(Id id) { EnableWindow(at(id), TRUE); }
    void type(Id id, const char* text) { SetWindowTextW(at(id), win32view::widen(text).c_str()); }
    void focus(Id id) { SetFocus(at(id)); }
    // Tab, or Shift+Tab, pressed in the focused control; it makes no push button the default one.
    void tab(bool back) {
        BYTE keys[256];
        GetKeyboardState(keys);
        const BYTE before = keys[VK_SHIFT];
        keys[VK_SHIFT] = back ? 0x80 : 0;
        SetKeyboardState(keys);
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
        PostMessageW(GetFocus(), WM_KEYUP, VK_TAB, 0xC0000001);
        pump();
        keys[VK_SHIFT] = before;
        SetKeyboardState(keys);
        for (Id button : {cmdAdd, cmdReplace, cmdStop})
            EXPECT_EQ(GetWindowLongPtrW(at(button), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON)
                << button << " made the default button by Tab";
    }
    // Handles every message waiting for this thread, the window's dialog keys included.
    static void pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) win32view::frmMain::dispatch(msg);
    }
    // Runs the task a WM_APP message carries.
    static LRESULT CALLBACK runTask(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_APP) return DefWindowProcW(hwnd, message, wParam, lParam);
        std::unique_ptr<std::function<void()>> run(
            reinterpret_cast<std::function<void()>*>(lParam));
        (*run)();
        return 0;
    }
    // Runs `task` when this thread's messages are next handled, as a queued click would be.
    static void later(std::function<void()> task) {
        static const HWND tasks = [] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = runTask;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"TestTasks";
            RegisterClassW(&windowClass);
            return CreateWindowExW(0, L"TestTasks", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   windowClass.hInstance, nullptr);
        }();
        PostMessageW(tasks, WM_APP, 0,
                     reinterpret_cast<LPARAM>(new std::function<void()>(std::move(task))));
    }
    bool isOpen() { return IsWindow(frm->handle()) != 0; }
    // A Stop, a close, the question whether the session may end, to which the window says not
    // yet, and the session's end.
    Ends ends() {
        const auto send = [this](UINT message, WPARAM wParam) {
            return [=, this] { EXPECT_EQ(SendMessageW(frm->handle(), message, wParam, 0), 0); };
        };
        return {{"Stop", [this] { click(cmdStop); }},
                {"WM_CLOSE", send(WM_CLOSE, 0)},
                {"WM_QUERYENDSESSION", send(WM_QUERYENDSESSION, 0)},
                {"WM_ENDSESSION", send(WM_ENDSESSION, TRUE)}};
    }

    selection::DialogServices given;
    const int dpi = [] {
        const HDC screen = GetDC(nullptr);
        const int perInch = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        return perInch;
    }();
    std::optional<win32view::frmMain> frm;
};

}  // namespace scenario
