// The Win32 window itself, run under Wine or Windows: its controls as the system sees them,
// keyboard focus and tab order, clicks with BM_CLICK and a scripted dialog, real runs over
// temporary files with a Stop and a close arriving while the run yields.
// <windows.h> comes before the other Windows headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include "tests/selection/scripted_dialog.h"
#include "tests/ui/win32/win32_test_support.h"
#include "ui/path_text.h"
#include "ui/win32/frmMain.h"
#include "ui/win32/text.h"

namespace fs = std::filesystem;
using namespace win32view;
using namespace std::string_literals;

// UTF-8 by its "é", so that a text typed past ASCII is written in UTF-8 too.
const std::string kLine =
    R"(<a href="https://www.example.com/" style="text-decoration: underline">caf)"
    "\xc3\xa9\r\n";

// name, class, style kind, text, left, top, width, height in twips of the client area
const std::tuple<ControlId, const wchar_t*, DWORD, const wchar_t*, RECT> kExpected[] = {
    {cmdAdd, L"Button", BS_PUSHBUTTON, L"Add File", {120, 120, 1095, 375}},
    {lblDirectory,
     L"Static",
     SS_LEFT,
     L"Click Open... and select multiple files",
     {120, 600, 8775, 255}},
    {lstFile, L"ListBox", 0, L"", {120, 960, 8775, 2205}},
    {ProgresBar, L"msctls_progress32", 0, L"", {120, 3360, 8775, 375}},
    {frmStart, L"Button", BS_GROUPBOX, L"Start String with", {120, 3840, 4335, 735}},
    {txtStart, L"Edit", 0, L"<a href=\"https://www.example.com/", {240, 4080, 4095, 315}},
    {frmStop, L"Button", BS_GROUPBOX, L"Stop String with", {4560, 3840, 4335, 735}},
    {txtStop, L"Edit", 0, L"style=\"text-decoration: underline\">", {4680, 4080, 4095, 315}},
    {frmReplace, L"Button", BS_GROUPBOX, L"Replace this String ", {120, 4680, 4335, 735}},
    {txtSearch, L"Edit", 0, L"underline", {240, 4920, 4095, 315}},
    {frmString, L"Button", BS_GROUPBOX, L"with this String", {4560, 4680, 4335, 735}},
    {txtReplace, L"Edit", 0, L"underline line-through", {4680, 4920, 4095, 315}},
    {cmdReplace, L"Button", BS_PUSHBUTTON, L"Replace", {960, 5520, 2655, 495}},
    {cmdStop, L"Button", BS_PUSHBUTTON, L"Stop", {5400, 5520, 2655, 495}}};

struct Win32Window : testing::Test {
    Win32Window() {
        // Short, so that the label shows it whole; the process id keeps runs apart.
        static int made = 0;
        folder = fs::temp_directory_path() /
                 ("win32-" + std::to_string(GetCurrentProcessId()) + '-' + std::to_string(++made));
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
    void click(ControlId id) { SendMessageW(at(id), BM_CLICK, 0, 0); }
    void choose(const std::vector<std::string>& names) {
        script.selection = ui::toText(folder);
        for (const std::string& name : names) {
            std::ofstream(folder / ui::toPath(name), std::ios::binary) << kLine << kLine;
            script.selection += '\0' + name;
        }
        click(cmdAdd);
    }
    // Clicks Replace; `during` runs at the run's first yield, as a click queued before it would.
    void replace(std::function<void()> during = {}) {
        if (during) postTask(std::move(during));
        click(cmdReplace);
    }
    // Replace's caption and state, Stop's state, the bar's position, the selected entry.
    auto state() {
        return std::tuple(text(at(cmdReplace)), IsWindowEnabled(at(cmdReplace)) != 0,
                          IsWindowEnabled(at(cmdStop)) != 0,
                          static_cast<int>(SendMessageW(at(ProgresBar), PBM_GETPOS, 0, 0)),
                          static_cast<int>(SendMessageW(at(lstFile), LB_GETCURSEL, 0, 0)));
    }
    std::string output(const std::string& name) {
        std::ifstream in(folder / ui::toPath(name), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    Script script;
    fs::path folder;
    frmMain window{services(script)};
};

TEST_F(Win32Window, OpensWithEveryControlInItsTwipsPlaceOnlyAddFileEnabledAndTheFocusInTheList) {
    const int dpi = screenDpi();
    if (const char* wanted = std::getenv("REPLACE_TEST_DPI")) {
        EXPECT_EQ(dpi, std::atoi(wanted));
    }
    EXPECT_EQ(text(window.handle()), "Replace by Marbeck");
    RECT client;
    GetClientRect(window.handle(), &client);
    EXPECT_EQ(std::tuple(client.right, client.bottom),
              std::tuple(MulDiv(9015, dpi, 1440), MulDiv(6150, dpi, 1440)));
    EXPECT_EQ(GetMenu(window.handle()), nullptr);
    EXPECT_EQ(iconSize(window.handle()), std::pair(77, 65));
    const auto font = reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (const auto& [id, windowClass, kind, caption, twips] : kExpected) {
        const HWND control = at(id);
        ASSERT_NE(control, nullptr) << id;
        const RECT place = placeIn(window.handle(), control);
        EXPECT_EQ(std::tuple(className(control), text(control), place.left, place.top,
                             place.right - place.left, place.bottom - place.top),
                  std::tuple(narrow(windowClass), narrow(caption), MulDiv(twips.left, dpi, 1440),
                             MulDiv(twips.top, dpi, 1440), MulDiv(twips.right, dpi, 1440),
                             MulDiv(twips.bottom, dpi, 1440)))
            << id;
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE));
        if (kind != 0) {
            EXPECT_EQ(style & 0xF, kind) << id << ": no default button, frames";
        }
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), font) << id;
    }
    EXPECT_EQ(GetWindowLongPtrW(at(lstFile), GWL_STYLE) & (LBS_SORT | LBS_MULTIPLESEL), 0);
    EXPECT_EQ(state(), std::tuple("Replace", false, false, 0, -1));
    EXPECT_EQ(SendMessageW(at(ProgresBar), PBM_GETRANGE, FALSE, 0), 100);
    EXPECT_EQ(SendMessageW(at(lstFile), LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(GetFocus(), at(lstFile));

    window.logic().setReplaceEnabled(true);  // so that the run buttons take part in the tab order
    window.logic().setStopEnabled(true);
    const std::vector<ControlId> order{lstFile,    cmdAdd,     txtStart, txtStop, txtSearch,
                                       txtReplace, cmdReplace, cmdStop,  lstFile};
    for (bool back : {false, true}) {
        SetFocus(at(lstFile));
        std::vector<ControlId> seen;
        for (std::size_t i = 0; i < order.size(); ++i) {
            seen.push_back(static_cast<ControlId>(GetDlgCtrlID(GetFocus())));
            pressTab(back);
            for (ControlId button : {cmdAdd, cmdReplace, cmdStop}) {
                EXPECT_EQ(GetWindowLongPtrW(at(button), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON)
                    << button << " made the default button by Tab";
            }
        }
        EXPECT_EQ(seen, back ? std::vector<ControlId>(order.rbegin(), order.rend()) : order);
    }
}

TEST_F(Win32Window, AddFileFillsListAndLabelAndARunWritesEveryOutputWithTheEntryHighlighted) {
    choose({"a.htm", "\xc3\xa9t\xc3\xa9.htm"});
    EXPECT_EQ(
        std::tuple(listEntry(at(lstFile), 0), listEntry(at(lstFile), 1), text(at(lblDirectory))),
        std::tuple("a.htm"s, "\xc3\xa9t\xc3\xa9.htm"s, ui::toText(folder)));
    EXPECT_EQ(state(), std::tuple("Replace", true, false, 0, -1));

    SetWindowTextW(at(txtReplace), L"\u00fcber");  // typed: the run reads it in UTF-8
    auto busy = state();
    replace([&] { busy = state(); });
    EXPECT_EQ(busy, std::tuple("Waiting ...", false, true, 0, 0));
    EXPECT_EQ(state(), std::tuple("Replace", true, false, 0, -1));
    EXPECT_EQ(GetFocus(), at(lstFile)) << "the clicked Replace, disabled, passed the focus on";
    const std::string rewritten = R"(<a href="https://www.example.com/" style="text-decoration: )"
                                  "\xc3\xbc"
                                  "ber\">caf\xc3\xa9\r\n";
    EXPECT_EQ(output("a_new.htm"), rewritten + rewritten);
    EXPECT_EQ(output("\xc3\xa9t\xc3\xa9_new.htm"), rewritten + rewritten);
    EXPECT_TRUE(script.messages.empty());

    script.selection.clear();  // Cancel: the placeholder, and the label stays
    click(cmdAdd);
    EXPECT_EQ(std::tuple(listEntry(at(lstFile), 0), text(at(lblDirectory))),
              std::tuple("(No files selected)"s, ui::toText(folder)));
    EXPECT_EQ(state(), std::tuple("Replace", false, false, 0, -1));
}

TEST_F(Win32Window, StopClosingAndTheSessionsEndDuringARunEndItBeforeTheSecondFile) {
    choose({"a.htm", "b.htm"});
    // The folder's names, the outputs removed for the next run.
    const auto names = [&] {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder))
            found.insert(ui::toText(entry.path().filename()));
        for (const char* output : {"a_new.htm", "b_new.htm"}) fs::remove(folder / output);
        return found;
    };
    const std::set<std::string> stopped{"a.htm", "a_new.htm", "b.htm"};  // no temporary file
    replace([&] { click(cmdStop); });
    EXPECT_EQ(output("a_new.htm"), "");
    EXPECT_EQ(names(), stopped);
    EXPECT_EQ(state(), std::tuple("Replace", true, false, 0, 0)) << "the stopped entry stays";
    EXPECT_EQ(GetFocus(), at(lstFile)) << "the clicked Stop, disabled, passed the focus on";

    // A close, the question whether the session may end, and its end: not yet, says the window;
    // it stops the run and closes once the run has closed its files.
    for (const auto& [message, ending] :
         {std::pair<UINT, WPARAM>{WM_CLOSE, 0}, {WM_QUERYENDSESSION, 0}, {WM_ENDSESSION, TRUE}}) {
        frmMain closing{services(script)};
        closing.show();
        SendMessageW(closing.control(cmdAdd), BM_CLICK, 0, 0);
        LRESULT answer = -1;
        bool closedAtOnce = true;
        postTask([&] {
            answer = SendMessageW(closing.handle(), message, ending, 0);
            closedAtOnce = !IsWindow(closing.handle());
        });
        SendMessageW(closing.control(cmdReplace), BM_CLICK, 0, 0);
        EXPECT_EQ(std::tuple(answer, closedAtOnce, IsWindow(closing.handle()) != 0, names()),
                  std::tuple(0, false, false, stopped))
            << message;
    }
}

TEST_F(Win32Window, ALongFolderIsShortenedInTheMiddleWithItsWholePathAsTooltipAndForTheRun) {
    const fs::path top = folder;
    for (int i = 0; i < 8; ++i) {
        folder /= ui::toPath("a folder name of forty characters, \xc3\xa9" + std::to_string(i));
    }
    ASSERT_GT(ui::toText(folder).size(), 300u);  // past MAX_PATH
    fs::create_directories(folder);
    choose({"a.htm", "b.htm"});
    const std::string shown = text(at(lblDirectory));
    EXPECT_TRUE(shown.starts_with(ui::toText(top).substr(0, 3))) << shown;
    EXPECT_TRUE(
        shown.ends_with("characters, \xc3\xa9"
                        "7"))
        << shown;
    EXPECT_NE(shown.find("\xe2\x80\xa6"), std::string::npos) << shown;
    EXPECT_EQ(tooltipText(window.handle(), at(lblDirectory)), ui::toText(folder));
    replace();
    std::string rewritten = kLine;
    rewritten.insert(rewritten.find("underline") + 9, " line-through");
    EXPECT_EQ(output("b_new.htm"), rewritten + rewritten);
    // Listing a folder past MAX_PATH fails here, so the deep end is removed by name.
    for (const char* name : {"a.htm", "b.htm", "a_new.htm", "b_new.htm"}) fs::remove(folder / name);
    for (; folder != top; folder = folder.parent_path()) fs::remove(folder);
}
