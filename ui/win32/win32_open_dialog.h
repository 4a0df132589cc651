// The Open dialog on GetOpenFileNameW, the system's common Open dialog.
#pragma once

#include <windows.h>

#include <string>

#include "selection/dialog_adapter.h"

namespace win32view {

// The filter's "|"-separated pairs as the dialog takes them: NUL-separated, ending in two NULs.
std::wstring nulSeparatedFilter(const std::string& filter);

// The failure for a CommDlgExtendedError() code other than 0 (a cancel): a buffer too small is
// the selection string that does not fit; every other code keeps its own number.
selection::DialogFailure dialogFailure(DWORD code, int maxFileSize);

class Win32OpenDialog : public selection::DialogAdapter {
public:
    explicit Win32OpenDialog(HWND owner) : owner_(owner) {}

private:
    std::optional<selection::Choice> show(const selection::DialogSettings& settings) override;

    HWND owner_;
};

}  // namespace win32view
