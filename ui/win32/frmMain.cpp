#include "ui/win32/frmMain.h"

#include <commctrl.h>

#include "ui/elide.h"
#include "ui/win32/resource.h"
#include "ui/win32/text.h"
#include "ui/win32/win32_open_dialog.h"

namespace win32view {

namespace {

namespace form = ui::form;

constexpr wchar_t kClassName[] = L"SegmentReplaceMain";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// The system control that shows each kind of the form's controls, and its styles.
struct SystemControl {
    const wchar_t* windowClass;
    DWORD style;
    DWORD exStyle;
};

constexpr SystemControl systemControl(form::Kind kind) {
    constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
    switch (kind) {
        case form::Kind::button:
            return {L"Button", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0};
        case form::Kind::label:
            return {L"Static", kChild | SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0};
        case form::Kind::list:
            return {L"ListBox",
                    kChild | WS_TABSTOP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                    WS_EX_CLIENTEDGE};
        case form::Kind::progressBar:
            return {L"msctls_progress32", kChild, 0};
        case form::Kind::frame:
            return {L"Button", kChild | BS_GROUPBOX, 0};
        case form::Kind::textBox:
            return {L"Edit", kChild | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    }
    return {};
}

// The controls are made in tab order, so that the z-order is the dialog keys' order; a frame
// comes before its text box, and so lies below it.
static_assert(std::ranges::all_of(form::kControls, [](const form::Control& c) {
    return c.frame == form::kClientArea || form::kControls[c.frame].tabIndex < c.tabIndex;
}));

// Twips to pixels at `dpi` dots per inch.
int pixels(int twips, int dpi) {
    return MulDiv(twips, dpi, form::kTwipsPerInch);
}

int systemDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

void registerClass(HINSTANCE instance, WNDPROC proc) {
    WNDCLASSEXW windowClass{};
    if (GetClassInfoExW(instance, kClassName, &windowClass)) return;
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
}

// The dialog keys make a push button that gets the focus the default one, by BM_SETSTYLE. This
// window has no default button, so its push buttons turn that into the plain style.
LRESULT CALLBACK plainButton(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR) {
    if (message == BM_SETSTYLE && (wParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
        wParam = (wParam & ~WPARAM{BS_TYPEMASK}) | BS_PUSHBUTTON;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

frmMain::frmMain(selection::DialogServices services) : services_(std::move(services)) {
    const INITCOMMONCONTROLSEX common{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS |
                                                                        ICC_STANDARD_CLASSES |
                                                                        ICC_WIN95_CLASSES};
    InitCommonControlsEx(&common);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    registerClass(instance, &frmMain::windowProc);

    const int dpi = systemDpi();
    RECT frame{0, 0, pixels(form::kClientWidth, dpi), pixels(form::kClientHeight, dpi)};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
    hwnd_ = CreateWindowExW(0, kClassName, widen(form::kCaption).c_str(), kWindowStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                            frame.bottom - frame.top, nullptr, nullptr, instance, this);

    icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_SEGMENT_REPLACE),
                                          IMAGE_ICON, 0, 0, 0));  // its own 77 x 65
    smallIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_SEGMENT_REPLACE),
                                               IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

    createControls();
    logic_.load();
}

frmMain::~frmMain() {
    if (IsWindow(hwnd_)) {
        quitOnDestroy = false;
        DestroyWindow(hwnd_);
    }
    if (icon_ != nullptr) DestroyIcon(icon_);
    if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
}

void frmMain::createControls() {
    const int dpi = systemDpi();
    const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    for (const ControlId id : form::kTabOrder) {
        const form::Control& c = form::kControls[id];
        // A text box is placed in the client area by its frame's corner.
        form::Twips place = c.place;
        if (c.frame != form::kClientArea) {
            place.left += form::kControls[c.frame].place.left;
            place.top += form::kControls[c.frame].place.top;
        }
        const SystemControl made = systemControl(c.kind);
        const HWND child =
            CreateWindowExW(made.exStyle, made.windowClass, widen(c.caption).c_str(), made.style,
                            pixels(place.left, dpi), pixels(place.top, dpi),
                            pixels(place.width, dpi), pixels(place.height, dpi), hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + id)),
                            GetModuleHandleW(nullptr), nullptr);
        SendMessageW(child, WM_SETFONT, font, FALSE);
        if (c.kind == form::Kind::button) SetWindowSubclass(child, &plainButton, 0, 0);
    }
    SendMessageW(control(ProgresBar), PBM_SETRANGE32, 0, form::kProgressMax);
    SendMessageW(control(ProgresBar), PBM_SETPOS, 0, 0);

    // The label's whole text shows as its tooltip when the label shows it shortened.
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(control(lblDirectory));
    tool.lpszText = tip_.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, pixels(form::kClientWidth, dpi));
}

void frmMain::show(int showCommand) {
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    SetFocus(control(form::kTabOrder[0]));
}

LRESULT CALLBACK frmMain::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* window =
            static_cast<frmMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        window->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<frmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    return window->handle(message, wParam, lParam);
}

LRESULT frmMain::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            onCommand(LOWORD(wParam) - kFirstControlId, HIWORD(wParam));
            return 0;
        case WM_CLOSE:
            if (logic_.queryClose()) DestroyWindow(hwnd_);
            return 0;
        case WM_QUERYENDSESSION:
            // Not during a run: it stops, closing its files, and the window closes after it,
            // which lets the session end.
            return logic_.queryClose();
        case WM_ENDSESSION:
            // The session ends anyway: a run stops at its next line, if given the time.
            if (wParam) logic_.queryClose();
            return 0;
        case WM_ACTIVATE:
            // Coming back to the window puts the focus back where it was, as a dialog does.
            if (LOWORD(wParam) == WA_INACTIVE) {
                focus_ = GetFocus();
            } else if (focus_ != nullptr && IsChild(hwnd_, focus_)) {
                SetFocus(focus_);
                return 0;
            }
            break;
        case WM_DESTROY:
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            if (quitOnDestroy) PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void frmMain::onCommand(int id, int code) {
    switch (id) {
        case cmdAdd:
            if (code == BN_CLICKED) logic_.cmdAdd_Click();
            break;
        case cmdReplace:
            if (code == BN_CLICKED) logic_.cmdReplace_Click();
            break;
        case cmdStop:
            if (code == BN_CLICKED) logic_.cmdStop_Click();
            break;
        default:
            for (int box = 0; box < ui::kTextBoxCount; ++box) {
                const ControlId textBox = form::kTextBoxControls[box];
                if (id == textBox && code == EN_CHANGE) {
                    logic_.textChanged(static_cast<ui::TextBox>(box), windowText(control(textBox)));
                }
            }
            break;
    }
}

void frmMain::dispatch(MSG& msg) {
    // Dialog keys go to the top-level window the message is for.
    const HWND top = msg.hwnd != nullptr ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (top != nullptr && IsDialogMessageW(top, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

int frmMain::messageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) dispatch(msg);
    return static_cast<int>(msg.wParam);
}

void frmMain::showDirectory() {
    const HWND label = control(lblDirectory);
    RECT area;
    GetClientRect(label, &area);
    const HDC dc = GetDC(label);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    const std::string shown = ui::elideMiddle(narrow(directory_), [&](const std::string& text) {
        const std::wstring wide = widen(text);
        SIZE size{};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        return size.cx <= area.right - area.left;
    });
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    SetWindowTextW(label, widen(shown).c_str());

    tip_ = shown == narrow(directory_) ? std::wstring() : directory_;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(label);
    tool.lpszText = tip_.data();
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void frmMain::setReplaceCaption(const std::string& caption) {
    SetWindowTextW(control(cmdReplace), widen(caption).c_str());
}

void frmMain::setReplaceEnabled(bool enabled) {
    enable(cmdReplace, enabled);
}

void frmMain::setStopEnabled(bool enabled) {
    enable(cmdStop, enabled);
}

void frmMain::enable(ControlId id, bool enabled) {
    const HWND button = control(id);
    if (!enabled) {
        // A disabled control would keep the focus from every other: it goes on to the next
        // enabled one in tab order, as in a dialog, also when kept for the window's return.
        const HWND next = GetNextDlgTabItem(hwnd_, button, FALSE);
        if (GetFocus() == button) SetFocus(next);
        if (focus_ == button) focus_ = next;
    }
    EnableWindow(button, enabled);
}

void frmMain::clearList() {
    SendMessageW(control(lstFile), LB_RESETCONTENT, 0, 0);
}

void frmMain::appendEntry(const std::string& entry) {
    const std::wstring text = widen(entry);
    SendMessageW(control(lstFile), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void frmMain::showSelectedEntry(int index) {
    // Selecting scrolls the entry into view; -1 clears the selection.
    SendMessageW(control(lstFile), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void frmMain::setDirectoryText(const std::string& text) {
    directory_ = widen(text);
    showDirectory();
}

void frmMain::setText(ui::TextBox box, const std::string& text) {
    SetWindowTextW(control(form::kTextBoxControls[static_cast<int>(box)]), widen(text).c_str());
}

void frmMain::setProgress(int min, int max, int value) {
    const HWND bar = control(ProgresBar);
    PBRANGE range{};
    SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    if (range.iLow != min || range.iHigh != max) SendMessageW(bar, PBM_SETRANGE32, min, max);
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

void frmMain::processEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Not ours to end here: leave it for the message loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        dispatch(msg);
    }
}

bool frmMain::inputWaiting() {
    return HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE)) != 0;
}

void frmMain::showExclamation(const std::string& title, const std::string& text) {
    if (services_.showExclamation) return services_.showExclamation(title, text);
    MessageBoxW(hwnd_, widen(text).c_str(), widen(title).c_str(), MB_ICONEXCLAMATION | MB_OK);
}

std::unique_ptr<selection::OpenDialog> frmMain::createOpenDialog() {
    if (services_.createDialog) return services_.createDialog();
    return std::make_unique<Win32OpenDialog>(hwnd_);
}

void frmMain::closeWindow() {
    DestroyWindow(hwnd_);
}

}  // namespace win32view
