// The system's own Open dialog (GetOpenFileNameW) driven from a second thread that checks its
// settings and types into it like a user: one file, several, a cancel and a buffer too small.
// <windows.h> comes before the other Windows headers.
// clang-format off
#include <windows.h>
#include <cderr.h>
#include <commdlg.h>
#include <dlgs.h>
// clang-format on

#include "ui/win32/win32_open_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "selection/dialog_settings.h"
#include "tests/selection/scripted_dialog.h"
#include "tests/ui/win32/win32_test_support.h"
#include "ui/path_text.h"

namespace fs = std::filesystem;
using namespace win32view;
using namespace std::string_literals;

// Waits for the dialog titled "Open files...", notes what it offers, types `typed` into its file
// name box and presses OK, or Cancel when nothing is typed.
struct DialogDriver {
    explicit DialogDriver(std::wstring typed)
        : thread([this, typed] {
              HWND dialog = nullptr;
              for (int i = 0; i < 400 && dialog == nullptr; ++i, Sleep(50))
                  dialog = FindWindowW(L"#32770", L"Open files...");
              if (dialog == nullptr) return;
              found = true;
              const HWND filter = GetDlgItem(dialog, cmb1);
              const auto count = SendMessageW(filter, CB_GETCOUNT, 0, 0);
              for (LRESULT i = 0; i < count; ++i) {
                  wchar_t item[256] = {};
                  SendMessageW(filter, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
                  filters.push_back(narrow(item));
              }
              selectedFilter = static_cast<int>(SendMessageW(filter, CB_GETCURSEL, 0, 0));
              const HWND readOnly = GetDlgItem(dialog, chx1);
              readOnlyShown = readOnly != nullptr && IsWindowVisible(readOnly);
              HWND name = GetDlgItem(dialog, cmb13);
              if (name == nullptr) name = GetDlgItem(dialog, edt1);
              SetWindowTextW(name, typed.c_str());
              const int button = typed.empty() ? IDCANCEL : IDOK;
              PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                           reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
          }) {}
    ~DialogDriver() { wait(); }
    void wait() {
        if (thread.joinable()) thread.join();
    }

    bool found = false;
    std::vector<std::string> filters;
    int selectedFilter = -1;
    bool readOnlyShown = true;
    std::thread thread;
};

struct SystemDialog : testing::Test {
    SystemDialog() {
        for (const char* name : {"a.htm", "b b.htm"}) test::writeFile(folder / name, "x\r\n");
    }
    ~SystemDialog() override { fs::current_path(fs::temp_directory_path()); }  // then removed
    std::wstring typed(const char* name) { return (folder / name).wstring(); }

    const test::TempFolder temp;
    const fs::path& folder = temp.path;
    Script script;  // only its message box: the dialog is the system's
    scenario::Win32View view{selection::DialogServices{
        nullptr, [this](const std::string& t, const std::string& m) { script.show(t, m); }}};
};

TEST_F(SystemDialog, OneFileIsItsFullPathAndSeveralAreTheFolderAndTheirNamesWithTheSettingsShown) {
    // The dialog opens in the current folder, which the first choice, a full path, moves.
    fs::current_path(fs::temp_directory_path());
    const std::tuple<std::wstring, std::string, std::string> cases[] = {
        {typed("a.htm"), "Single Files selected:", ui::toText(folder / "a.htm")},
        {L"\"a.htm\" \"b b.htm\"", ui::toText(folder), "a.htm|b b.htm"}};
    for (const auto& [name, label, entries] : cases) {
        DialogDriver driver(name);
        view.click(cmdAdd);
        driver.wait();
        ASSERT_TRUE(driver.found);
        EXPECT_EQ(driver.filters,
                  (std::vector<std::string>{"All Files (*.*)", "Text Files (*.txt)",
                                            "INI Files (*.ini)", "Images (*.bmp;*.jpg;*.gif)"}));
        EXPECT_EQ(std::tuple(driver.selectedFilter, driver.readOnlyShown), std::tuple(0, false));
        std::string shown = view.entry(0);
        for (int i = 1; i < std::get<5>(view.state()); ++i) shown += '|' + view.entry(i);
        EXPECT_EQ(std::tuple(view.text(lblDirectory), shown, std::get<1>(view.state())),
                  std::tuple(label, entries, true));
    }
    EXPECT_TRUE(fs::equivalent(fs::current_path(), folder));
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(SystemDialog, ACancelIsNoFailureAndABufferTooSmallIsTheOpenErrorOfATooLongSelection) {
    // 400 names of 100 characters overrun the largest buffer; some dialogs write past it.
    std::wstring many;
    for (int i = 0; i < 400; ++i) {
        const std::wstring name = std::to_wstring(1000 + i) + std::wstring(92, L'n') + L".htm";
        std::ofstream(folder / name) << "x\r\n";
        many += L'"' + name + L"\" ";
    }
    fs::current_path(folder);
    const std::tuple<std::wstring, int, int> cases[] = {{L"", selection::kCancelNumber, 8},
                                                        {typed("a.htm"), 20476, 8},
                                                        {many, 20476, selection::kMaxFileSize}};
    for (const auto& [typed, number, size] : cases) {
        Win32OpenDialog dialog(view.frm->handle());
        dialog.setCancelError(true);
        dialog.setFilter(std::string(selection::kOpenFilter));
        dialog.setDialogTitle("Open files...");
        dialog.setMaxFileSize(size);
        dialog.setFlags(selection::kOpenFlags);
        DialogDriver driver(typed);
        try {
            dialog.showOpen();
            ADD_FAILURE() << "no failure";
        } catch (const selection::DialogFailure& failure) {
            EXPECT_EQ(failure.number(), number);
        }
    }
    EXPECT_EQ(dialogFailure(CDERR_DIALOGFAILURE, 10).number(), 0xFFFF);
}
