// What every Open dialog adapter shares: the properties with one set of defaults and their
// check, the cancel rule, the selection that does not fit, and the move to the chosen folder.
// An adapter only shows its toolkit's dialog for the settings and hands back what was chosen.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "selection/dialog_settings.h"
#include "selection/open_dialog.h"

namespace selection {

// A property set to a value outside its range.
inline constexpr int kInvalidPropertyNumber = 380;
// Reported when the selection string would not fit in MaxFileSize characters; the same number
// the Windows Common Dialog gives for a file name buffer that is too small.
inline constexpr int kSelectionTooLongNumber = 20476;

DialogFailure selectionTooLong(int maxFileSize);

// The properties as set; each starts at the Common Dialog's own default.
struct DialogSettings {
    bool cancelError = false;
    std::string filter;   // pairs of a description and a pattern list, all separated by "|"
    int filterIndex = 1;  // 1-based
    std::string dialogTitle;
    int maxFileSize = 260;
    long flags = 0;
    bool operator==(const DialogSettings&) const = default;
};

// A confirmed choice as the toolkit's dialog hands it back.
struct Choice {
    std::string selection;  // the selection string
    // The characters the choice takes in the dialog's buffer: what MaxFileSize limits.
    std::size_t size = 0;
};

class DialogAdapter : public OpenDialog {
public:
    void setCancelError(bool on) final { settings_.cancelError = on; }
    void setFilter(const std::string& filter) final { settings_.filter = filter; }
    void setFilterIndex(int index) final { settings_.filterIndex = index; }
    void setDialogTitle(const std::string& title) final { settings_.dialogTitle = title; }
    // Takes 1 to kMaxFileSize; any other size is an invalid property value.
    void setMaxFileSize(int size) final;
    void setFlags(long flags) final { settings_.flags = flags; }
    // A choice longer than MaxFileSize fails; a choice that fits becomes FileName and the chosen
    // folder the current one.
    void showOpen() final;
    std::string fileName() const final { return fileName_; }

    const DialogSettings& settings() const { return settings_; }

protected:
    // Shows the toolkit's dialog modally for `settings`: the choice, or nothing after a cancel.
    // Throws DialogFailure for a failure of the toolkit's own.
    virtual std::optional<Choice> show(const DialogSettings& settings) = 0;

private:
    DialogSettings settings_;
    std::string fileName_;
};

}  // namespace selection
