// GetFiles: shows the Open dialog with the tool's settings and returns its selection string.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "selection/open_dialog.h"

namespace selection {

// What GetFiles needs of the platform; tests put scripted versions in their place.
struct DialogServices {
    // Makes a new dialog object; may throw DialogFailure.
    std::function<std::unique_ptr<OpenDialog>()> createDialog;
    // A modal message box with an exclamation icon and a single OK button.
    std::function<void(const std::string& title, const std::string& text)> showExclamation;
};

// The selection string (UTF-8), or an empty string after a cancel or a failure ("Open error" is
// shown for a failure other than a cancel).
std::string GetFiles(const DialogServices& services, const std::string& sTitle = "Open files...");

}  // namespace selection
