// The Win32 window under Wine or Windows: its controls as the system made them against the form
// table, the focus and the dialog keys; and its wiring: clicks (BM_CLICK, a scripted dialog),
// typed texts and runs reach the logic, what it sets reaches the controls, and a Stop, a close
// or the session's end reaches a run while it yields.
// <windows.h> comes before the other Windows headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/selection/scripted_dialog.h"
#include "tests/support/support.h"
#include "tests/ui/win32/win32_test_support.h"
#include "ui/path_text.h"
#include "ui/win32/frmMain.h"
#include "ui/win32/text.h"

namespace fs = std::filesystem;
namespace form = ui::form;
using namespace win32view;
using namespace std::string_literals;

// UTF-8 by its "é", so that a text typed past ASCII is written in UTF-8 too.
const std::string kLine = "[x] caf\xc3\xa9\r\n";

// By form::Kind: the system class, and style bits under a mask: no push button is the default
// one, the list neither sorts nor takes more than one entry, the bar lies, the text is one line.
// clang-format off
const std::tuple<std::string, DWORD, DWORD> kSystem[] = {
    {"Button", BS_TYPEMASK, BS_PUSHBUTTON}, {"Static", SS_TYPEMASK, SS_LEFT},
    {"ListBox", LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL, 0}, {"msctls_progress32", PBS_VERTICAL, 0},
    {"Button", BS_TYPEMASK, BS_GROUPBOX}, {"Edit", ES_MULTILINE, 0}};
// clang-format on

struct Win32Window : testing::Test {
    Win32Window() {
        // The clock keeps runs apart: Wine reuses process ids, and a run that failed may have left
        // a folder past MAX_PATH that cannot be listed to be removed.
        static int made = 0;
        folder = fs::temp_directory_path() /
                 ("win32-" + std::to_string(GetTickCount64()) + '-' + std::to_string(++made));
        removeAll(folder);
        fs::create_directories(folder);
        window.show();
        pump();
    }
    ~Win32Window() override { removeAll(folder); }
    static void removeAll(const fs::path& path) {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    HWND at(ControlId id) { return window.control(id); }
    int bar(UINT message) { return static_cast<int>(SendMessageW(at(ProgresBar), message, 0, 0)); }
    // The form's name of the control `hwnd`.
    std::string_view nameOf(HWND hwnd) {
        for (const form::Control& c : form::kControls)
            if (at(c.id) == hwnd) return c.name;
        return "?";
    }
    void click(ControlId id) { SendMessageW(at(id), BM_CLICK, 0, 0); }
    void choose(const std::vector<std::string>& names) {
        script.selection = ui::toText(folder);
        for (const std::string& name : names) {
            std::ofstream(folder / ui::toPath(name), std::ios::binary) << kLine << kLine;
            script.selection += '\0' + name;
        }
        click(cmdAdd);
    }
    // Replace's caption and state, Stop's, the bar's top and position, the entries, the selected.
    auto state() {
        return std::tuple(text(at(cmdReplace)), IsWindowEnabled(at(cmdReplace)) != 0,
                          IsWindowEnabled(at(cmdStop)) != 0, bar(PBM_GETRANGE), bar(PBM_GETPOS),
                          static_cast<int>(SendMessageW(at(lstFile), LB_GETCOUNT, 0, 0)),
                          static_cast<int>(SendMessageW(at(lstFile), LB_GETCURSEL, 0, 0)));
    }
    std::string output(const std::string& name) {
        return test::readFile(folder / ui::toPath(name));
    }

    Script script;
    fs::path folder;
    frmMain window{services(script)};
};

TEST_F(Win32Window, OpensAsTheFormSaysWithTheFocusInTabOrderAndNoDefaultButton) {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (const char* wanted = std::getenv("REPLACE_TEST_DPI")) {
        EXPECT_EQ(dpi, std::atoi(wanted));
    }
    const auto px = [dpi](int twips) { return MulDiv(twips, dpi, 1440); };
    RECT client;
    GetClientRect(window.handle(), &client);
    EXPECT_EQ(std::tuple(text(window.handle()), client.right, client.bottom,
                         GetMenu(window.handle()), iconSize(window.handle())),
              std::tuple(std::string(form::kCaption), px(form::kClientWidth),
                         px(form::kClientHeight), nullptr, std::pair(77, 65)));
    const auto font = reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (const form::Control& c : form::kControls) {
        const HWND control = at(c.id);
        ASSERT_NE(control, nullptr) << c.name;
        // The caption, or what the logic set as the window loaded.
        std::string_view shown = c.id == lblDirectory ? ui::kInitialDirectory : c.caption;
        const auto box = std::ranges::find(form::kTextBoxControls, c.id);
        if (box != form::kTextBoxControls.end())
            shown = ui::kInitialTexts[box - form::kTextBoxControls.begin()];
        form::Twips twips = c.place;  // in the client area, as the system sees it
        if (c.frame != form::kClientArea) {
            twips.left += form::kControls[c.frame].place.left;
            twips.top += form::kControls[c.frame].place.top;
        }
        const RECT place = placeIn(window.handle(), control);
        const auto& [windowClass, mask, bits] = kSystem[static_cast<int>(c.kind)];
        EXPECT_EQ(std::tuple(className(control),
                             static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE)) & mask,
                             text(control), place.left, place.top, place.right - place.left,
                             place.bottom - place.top,
                             reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0))),
                  std::tuple(windowClass, bits, std::string(shown), px(twips.left), px(twips.top),
                             px(twips.width), px(twips.height), font))
            << c.name;
    }
    EXPECT_EQ(state(), std::tuple("Replace", false, false, form::kProgressMax, 0, 0, -1));
    EXPECT_EQ(nameOf(GetFocus()), form::kControls[form::kTabOrder[0]].name);

    // Tab and Shift+Tab through the controls that take the focus, the run buttons enabled.
    EnableWindow(at(cmdReplace), TRUE);
    EnableWindow(at(cmdStop), TRUE);
    std::vector<std::string_view> order;
    for (const ControlId id : form::kTabOrder)
        if (form::takesFocus(form::kControls[id].kind)) order.push_back(form::kControls[id].name);
    order.push_back(order.front());
    for (bool back : {false, true}) {
        SetFocus(at(form::kTabOrder[0]));
        std::vector<std::string_view> seen;
        for (std::size_t i = 0; i < order.size(); ++i) {
            seen.push_back(nameOf(GetFocus()));
            pressTab(back);
            for (ControlId button : {cmdAdd, cmdReplace, cmdStop})
                EXPECT_EQ(GetWindowLongPtrW(at(button), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON)
                    << button << " made the default button by Tab";
        }
        EXPECT_EQ(seen, back ? std::vector(order.rbegin(), order.rend()) : order);
    }
}

TEST_F(Win32Window, AddFileTypedTextsAndARunReachTheLogicAndWhatItSetsTheControls) {
    // A folder past MAX_PATH, too long for the label: shortened in the middle, whole as tooltip.
    const fs::path top = folder;
    for (int i = 0; i < 8; ++i)
        folder /= ui::toPath("a folder name of forty characters, \xc3\xa9" + std::to_string(i));
    ASSERT_GT(ui::toText(folder).size(), 300u);
    fs::create_directories(folder);
    const std::string name = "\xc3\xa9t\xc3\xa9.htm";
    choose({"a.htm", name, "gone.htm"});
    fs::remove(folder / "gone.htm");
    const std::string shown = text(at(lblDirectory));
    EXPECT_TRUE(shown.starts_with(ui::toText(top).substr(0, 3)) &&
                shown.ends_with(ui::toText(folder.filename())) &&
                shown.find("\xe2\x80\xa6") != std::string::npos)
        << shown;
    EXPECT_EQ(std::tuple(tooltipText(window.handle(), at(lblDirectory)), listEntry(at(lstFile), 1),
                         state()),
              std::tuple(ui::toText(folder), name,
                         std::tuple("Replace", true, false, form::kProgressMax, 0, 3, -1)));

    // Each text typed (the replacement past ASCII) takes part: a box left out leaves "[x]".
    const wchar_t* typed[] = {L"[", L"]", L"X", L"\u00fc"};
    for (int box = 0; box < ui::kTextBoxCount; ++box)
        SetWindowTextW(at(form::kTextBoxControls[box]), typed[box]);
    auto busy = state();
    postTask([&] { busy = state(); });  // at the run's first yield, as a click queued before it
    click(cmdReplace);
    const int size = static_cast<int>(2 * kLine.size());
    EXPECT_EQ(busy, std::tuple("Waiting ...", false, true, size + 2, 0, 3, 0));
    EXPECT_EQ(state(), std::tuple("Replace", true, false, size + 2, 0, 3, -1));
    EXPECT_EQ(GetFocus(), at(lstFile)) << "the clicked Replace, disabled, passed the focus on";
    const std::string rewritten = "[\xc3\xbc]" + kLine.substr(3);
    EXPECT_EQ(output("\xc3\xa9t\xc3\xa9_new.htm"), rewritten + rewritten);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_TRUE(script.messages[0].starts_with("Replace error|")) << script.messages[0];

    script.selection.clear();  // Cancel: the list holds only the placeholder
    click(cmdAdd);
    EXPECT_EQ(std::tuple(std::get<5>(state()), listEntry(at(lstFile), 0)),
              std::tuple(1, "(No files selected)"s));
    // Listing a folder past MAX_PATH fails here, so the deep end is removed by name.
    for (const auto& file : {"a.htm"s, name, "a_new.htm"s, "\xc3\xa9t\xc3\xa9_new.htm"s})
        fs::remove(folder / ui::toPath(file));
    for (; folder != top; folder = folder.parent_path()) fs::remove(folder);
}

// Stop, a close, the question whether the session may end, and its end: each stops the run at
// its next yield; the window says not yet, and closes once the run has closed its files.
TEST_F(Win32Window, StopACloseAndTheSessionsEndEachEndARunBeforeTheSecondFile) {
    choose({"a.htm", "b.htm"});
    const std::pair<UINT, WPARAM> ends[] = {
        {0, 0}, {WM_CLOSE, 0}, {WM_QUERYENDSESSION, 0}, {WM_ENDSESSION, TRUE}};  // 0: Stop
    for (const auto& [message, ending] : ends) {
        frmMain other{services(script)};
        other.show();
        SendMessageW(other.control(cmdAdd), BM_CLICK, 0, 0);
        LRESULT answer = 0;
        bool openAtOnce = false;
        postTask([&] {
            if (message == 0) SendMessageW(other.control(cmdStop), BM_CLICK, 0, 0);
            if (message != 0) answer = SendMessageW(other.handle(), message, ending, 0);
            openAtOnce = IsWindow(other.handle());
        });
        SendMessageW(other.control(cmdReplace), BM_CLICK, 0, 0);
        EXPECT_EQ(std::tuple(answer, openAtOnce, IsWindow(other.handle()) != 0, output("a_new.htm"),
                             fs::exists(folder / "b_new.htm")),
                  std::tuple(0, true, message == 0, "", false))
            << message;
        if (message == 0) {
            EXPECT_EQ(GetFocus(), other.control(lstFile)) << "the clicked Stop passed the focus on";
        }
    }
}
