// The Open dialog on GetOpenFileNameW, the system's common Open dialog.
#pragma once

#include <windows.h>

#include <string>

#include "selection/open_dialog.h"

namespace win32view {

// The filter's "|"-separated pairs as the dialog takes them: NUL-separated, ending in two NULs.
std::wstring nulSeparatedFilter(const std::string& filter);

// The failure for a CommDlgExtendedError() code other than 0 (a cancel): a buffer too small is
// the selection string that does not fit; every other code keeps its own number.
selection::DialogFailure dialogFailure(DWORD code, int maxFileSize);

class Win32OpenDialog : public selection::OpenDialog {
public:
    explicit Win32OpenDialog(HWND owner) : owner_(owner) {}

    void setCancelError(bool on) override { cancelError_ = on; }
    void setFilter(const std::string& filter) override { filter_ = filter; }
    void setFilterIndex(int index) override { filterIndex_ = index; }
    void setDialogTitle(const std::string& title) override { title_ = title; }
    void setMaxFileSize(int size) override;
    void setFlags(long flags) override { flags_ = flags; }
    void showOpen() override;
    std::string fileName() const override { return fileName_; }

private:
    HWND owner_;
    bool cancelError_ = false;
    std::string filter_;
    int filterIndex_ = 1;
    std::string title_;
    int maxFileSize_ = 260;
    long flags_ = 0;
    std::string fileName_;
};

}  // namespace win32view
