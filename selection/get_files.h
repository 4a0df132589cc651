// GetFiles: shows the Open dialog with the tool's settings and returns its selection string.
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "open_dialog.h"

class QWidget;

namespace selection {

// What GetFiles needs of the platform; tests put scripted versions in their place.
struct DialogServices {
    // Makes a new dialog object; may throw DialogFailure.
    std::function<std::unique_ptr<OpenDialog>()> createDialog;
    // A modal message box with an exclamation icon and a single OK button.
    std::function<void(const QString& title, const QString& text)> showExclamation;
};

// The Qt dialog and message box, owned by `parent`'s window.
DialogServices qtDialogServices(QWidget* parent);

// The selection string, or an empty string after a cancel or a failure ("Open error" is shown
// for a failure other than a cancel).
QString GetFiles(const DialogServices& services,
                 const QString& sTitle = QStringLiteral("Open files..."));

}  // namespace selection
