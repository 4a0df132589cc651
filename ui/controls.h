// What the window logic needs of a front end's controls. Each view (Qt, Win32) implements it
// over its own widgets; texts are UTF-8.
#pragma once

#include <memory>
#include <string>

#include "selection/open_dialog.h"
#include "ui/form.h"

namespace ui {

class Controls {
public:
    virtual ~Controls() = default;

    virtual void setReplaceCaption(const std::string& caption) = 0;
    virtual void setReplaceEnabled(bool enabled) = 0;
    virtual void setStopEnabled(bool enabled) = 0;

    virtual void clearList() = 0;
    virtual void appendEntry(const std::string& entry) = 0;
    // Selects entry `index` and scrolls it into view; -1 leaves no entry selected.
    virtual void showSelectedEntry(int index) = 0;

    // The whole folder; a view that cannot show it all shortens what it shows.
    virtual void setDirectoryText(const std::string& text) = 0;
    virtual void setText(TextBox box, const std::string& text) = 0;
    virtual void setProgress(int min, int max, int value) = 0;

    // Handles every pending event and repaints.
    virtual void processEvents() = 0;
    // Whether input waits to be handled, answered cheaply; a view that cannot tell says false.
    virtual bool inputWaiting() = 0;

    // A modal message box with an exclamation icon and an OK button.
    virtual void showExclamation(const std::string& title, const std::string& text) = 0;
    // A new Open dialog; may throw selection::DialogFailure.
    virtual std::unique_ptr<selection::OpenDialog> createOpenDialog() = 0;
    // Closes the window for good (asked once a run that a close request stopped has returned).
    virtual void closeWindow() = 0;
};

}  // namespace ui
