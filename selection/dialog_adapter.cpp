#include "selection/dialog_adapter.h"

#include <filesystem>
#include <system_error>

#include "selection/selection_string.h"

namespace selection {

DialogFailure selectionTooLong(int maxFileSize) {
    return DialogFailure(kSelectionTooLongNumber, "The selection is longer than " +
                                                      std::to_string(maxFileSize) +
                                                      " characters; choose fewer files.");
}

void DialogAdapter::setMaxFileSize(int size) {
    if (size < 1 || size > kMaxFileSize) {
        throw DialogFailure(kInvalidPropertyNumber, "Invalid property value");
    }
    settings_.maxFileSize = size;
}

void DialogAdapter::showOpen() {
    const std::optional<Choice> choice = show(settings_);
    if (!choice) {
        if (settings_.cancelError) throw DialogFailure(kCancelNumber, "Cancel was selected.");
        return;
    }
    if (choice->size > static_cast<std::size_t>(settings_.maxFileSize)) {
        throw selectionTooLong(settings_.maxFileSize);
    }
    fileName_ = choice->selection;
    // Later runs open bare names against the chosen folder. Not every dialog moves there itself
    // (Windows' does, but not always when a full path is typed).
    const std::filesystem::path folder = selectionFolder(fileName_);
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::current_path(folder, ignored);
}

}  // namespace selection
