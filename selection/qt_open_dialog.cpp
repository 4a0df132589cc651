#include "qt_open_dialog.h"

#include <QFileDialog>

#include "file_filter.h"
#include "selection_string.h"

namespace selection {

namespace {

constexpr int kInvalidPropertyNumber = 380;

QFileDialog::FileMode fileModeFor(long flags) {
    if (flags & kFlagAllowMultiSelect) return QFileDialog::ExistingFiles;
    if (flags & kFlagPathMustExist) return QFileDialog::ExistingFile;
    return QFileDialog::AnyFile;
}

}  // namespace

void configureFileDialog(QFileDialog& dialog, const OpenSettings& settings) {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setWindowTitle(settings.dialogTitle);
    dialog.setFileMode(fileModeFor(settings.flags));
    // Qt offers no read-only check box, so kFlagHideReadOnly needs nothing; ReadOnly would only
    // lock the dialog's file operations.
    dialog.setOption(QFileDialog::ReadOnly, false);
    // Shows each description exactly as given, without Qt's own pattern list after it.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);

    const QStringList nameFilters = qtNameFilters(settings.filter, kHostPatternRules);
    if (nameFilters.isEmpty()) return;
    dialog.setNameFilters(nameFilters);
    // An index outside the pairs selects the first.
    dialog.selectNameFilter(nameFilters.value(settings.filterIndex - 1, nameFilters.front()));
}

QtOpenDialog::QtOpenDialog(QWidget* parent, Runner runner)
    : parent_(parent), runner_(std::move(runner)) {}

void QtOpenDialog::setMaxFileSize(int size) {
    if (size < 1 || size > kMaxFileSize) {
        throw DialogFailure(kInvalidPropertyNumber, QStringLiteral("Invalid property value"));
    }
    settings_.maxFileSize = size;
}

void QtOpenDialog::showOpen() {
    QFileDialog dialog(parent_);
    configureFileDialog(dialog, settings_);
    const std::optional<QStringList> chosen = runner_(dialog);
    if (!chosen) {
        if (settings_.cancelError) {
            throw DialogFailure(kCancelNumber, QStringLiteral("Cancel was selected."));
        }
        return;
    }
    fileName_ = acceptSelection(*chosen, settings_.maxFileSize);
}

QtOpenDialog::Runner QtOpenDialog::execRunner() {
    return [](QFileDialog& dialog) -> std::optional<QStringList> {
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.selectedFiles();
    };
}

}  // namespace selection
