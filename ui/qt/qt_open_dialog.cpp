#include "ui/qt/qt_open_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>

#include "selection/selection_string.h"
#include "ui/qt/file_filter.h"

namespace qtview {

namespace {

constexpr int kInvalidPropertyNumber = 380;

QFileDialog::FileMode fileModeFor(long flags) {
    if (flags & selection::kFlagAllowMultiSelect) return QFileDialog::ExistingFiles;
    if (flags & selection::kFlagPathMustExist) return QFileDialog::ExistingFile;
    return QFileDialog::AnyFile;
}

bool isBelow(const QString& folder, const QString& path) {
    const QString relative = QDir(folder).relativeFilePath(path);
    return relative != QLatin1String("..") && !relative.startsWith(QLatin1String("../"));
}

std::string utf8(const QString& text) {
    return text.toUtf8().toStdString();
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

QString selectionFolder(const QStringList& chosenPaths) {
    if (chosenPaths.isEmpty()) return {};
    QString folder = QFileInfo(chosenPaths.front()).absolutePath();
    // A dialog returns one folder's files; walk up only if it ever does not.
    while (!std::all_of(chosenPaths.begin(), chosenPaths.end(),
                        [&](const QString& path) { return isBelow(folder, path); })) {
        const QString parent = QFileInfo(folder).path();
        if (parent == folder) break;
        folder = parent;
    }
    return folder;
}

std::string composeSelection(const QStringList& chosenPaths) {
    const QString folder = selectionFolder(chosenPaths);
    const QDir dir(folder);
    std::vector<std::string> names;
    for (const QString& path : chosenPaths) {
        names.push_back(utf8(QDir::toNativeSeparators(dir.relativeFilePath(path))));
    }
    return selection::composeSelection(utf8(QDir::toNativeSeparators(folder)), names,
                                       QDir::separator().toLatin1());
}

std::string acceptSelection(const QStringList& chosenPaths, int maxFileSize) {
    std::string selection = composeSelection(chosenPaths);
    if (QString::fromStdString(selection).size() > maxFileSize) {
        throw selection::selectionTooLong(maxFileSize);
    }
    // The chosen files exist, so their folder does; later runs open bare names against it.
    if (!chosenPaths.isEmpty()) QDir::setCurrent(selectionFolder(chosenPaths));
    return selection;
}

QtOpenDialog::QtOpenDialog(QWidget* parent, Runner runner)
    : parent_(parent), runner_(std::move(runner)) {}

void QtOpenDialog::setFilter(const std::string& filter) {
    settings_.filter = QString::fromStdString(filter);
}

void QtOpenDialog::setDialogTitle(const std::string& title) {
    settings_.dialogTitle = QString::fromStdString(title);
}

void QtOpenDialog::setMaxFileSize(int size) {
    if (size < 1 || size > selection::kMaxFileSize) {
        throw selection::DialogFailure(kInvalidPropertyNumber, "Invalid property value");
    }
    settings_.maxFileSize = size;
}

void QtOpenDialog::showOpen() {
    QFileDialog dialog(parent_);
    configureFileDialog(dialog, settings_);
    const std::optional<QStringList> chosen = runner_(dialog);
    if (!chosen) {
        if (settings_.cancelError) {
            throw selection::DialogFailure(selection::kCancelNumber, "Cancel was selected.");
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

}  // namespace qtview
