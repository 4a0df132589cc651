// The tool's one window on the Win32 API: the form table's controls (ui/form.h) as system
// controls, placed in twips at the system's DPI. Its behaviour is ui::WindowLogic's; this class
// only shows it.
#pragma once

#include <windows.h>

#include <string>

#include "selection/get_files.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/window_logic.h"

namespace win32view {

// The form's controls by name (cmdAdd, lstFile, ...), as this view and its tests call them.
using ControlId = ui::form::Id;
using enum ui::form::Id;

class frmMain : private ui::Controls {
public:
    // The window with the system's Open dialog and message box, or with the given services
    // (tests script them). The window is created hidden.
    explicit frmMain(selection::DialogServices services = {});
    ~frmMain() override;
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // Shows the window and puts the focus in the list.
    void show(int showCommand = SW_SHOWNORMAL);
    HWND handle() const { return hwnd_; }
    HWND control(ControlId id) const { return GetDlgItem(hwnd_, kFirstControlId + id); }
    ui::WindowLogic& logic() { return logic_; }
    // Posts WM_QUIT when the window is destroyed (the program's window does).
    bool quitOnDestroy = false;

    // Hands one message to the window's dialog keys (Tab, Shift+Tab) or dispatches it.
    static void dispatch(MSG& msg);
    // Runs the message loop until WM_QUIT; returns its exit code.
    static int messageLoop();

private:
    // Each control's id is this plus its form id.
    static constexpr int kFirstControlId = 100;

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls();
    void onCommand(int id, int code);
    void showDirectory();
    void enable(ControlId id, bool enabled);

    // Controls
    void setReplaceCaption(const std::string& caption) override;
    void setReplaceEnabled(bool enabled) override;
    void setStopEnabled(bool enabled) override;
    void clearList() override;
    void appendEntry(const std::string& entry) override;
    void showSelectedEntry(int index) override;
    void setDirectoryText(const std::string& text) override;
    void setText(ui::TextBox box, const std::string& text) override;
    void setProgress(int min, int max, int value) override;
    void processEvents() override;
    bool inputWaiting() override;
    void showExclamation(const std::string& title, const std::string& text) override;
    std::unique_ptr<selection::OpenDialog> createOpenDialog() override;
    void closeWindow() override;

    selection::DialogServices services_;
    ui::WindowLogic logic_{*this};
    HWND hwnd_ = nullptr;
    HWND tooltip_ = nullptr;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    std::wstring directory_;  // the whole folder; the label may show it shortened
    std::wstring tip_;        // the tooltip's text, kept alive for the tooltip control
    HWND focus_ = nullptr;    // the control that had the focus when the window was left
};

}  // namespace win32view
