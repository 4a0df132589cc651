#include "ui/qt/qt_open_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>

#include "selection/selection_string.h"
#include "ui/qt/file_filter.h"

namespace qtview {

namespace {

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

// Sets up `dialog` for `settings`: title, filter pairs with the FilterIndex-th selected, and the
// file mode the Flags ask for.
void configureFileDialog(QFileDialog& dialog, const selection::DialogSettings& settings) {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setWindowTitle(QString::fromStdString(settings.dialogTitle));
    dialog.setFileMode(fileModeFor(settings.flags));
    // Qt offers no read-only check box, so kFlagHideReadOnly needs nothing; ReadOnly would only
    // lock the dialog's file operations.
    dialog.setOption(QFileDialog::ReadOnly, false);
    // Shows each description exactly as given, without Qt's own pattern list after it.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);

    const QStringList nameFilters =
        qtNameFilters(QString::fromStdString(settings.filter), kHostPatternRules);
    if (nameFilters.isEmpty()) return;
    dialog.setNameFilters(nameFilters);
    // An index outside the pairs selects the first.
    dialog.selectNameFilter(nameFilters.value(settings.filterIndex - 1, nameFilters.front()));
}

// The folder that holds every chosen path (for one path, its own folder).
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

}  // namespace

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

QtOpenDialog::QtOpenDialog(QWidget* parent, Runner runner)
    : parent_(parent), runner_(std::move(runner)) {}

std::optional<selection::Choice> QtOpenDialog::show(const selection::DialogSettings& settings) {
    QFileDialog dialog(parent_);
    configureFileDialog(dialog, settings);
    const std::optional<QStringList> chosen = runner_(dialog);
    if (!chosen) return std::nullopt;
    std::string selection = composeSelection(*chosen);
    // A QString counts UTF-16 units, as the Common Dialog's buffer does.
    const auto size = static_cast<std::size_t>(QString::fromStdString(selection).size());
    return selection::Choice{std::move(selection), size};
}

QtOpenDialog::Runner QtOpenDialog::execRunner() {
    return [](QFileDialog& dialog) -> std::optional<QStringList> {
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.selectedFiles();
    };
}

}  // namespace qtview
