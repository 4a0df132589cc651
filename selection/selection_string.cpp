#include "selection_string.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "open_dialog.h"

namespace selection {

namespace {

bool isBelow(const QString& folder, const QString& path) {
    const QString relative = QDir(folder).relativeFilePath(path);
    return relative != QLatin1String("..") && !relative.startsWith(QLatin1String("../"));
}

}  // namespace

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

QString composeSelection(const QStringList& chosenPaths) {
    if (chosenPaths.isEmpty()) return {};
    if (chosenPaths.size() == 1) {
        return QDir::toNativeSeparators(QFileInfo(chosenPaths.front()).absoluteFilePath());
    }
    const QString folder = selectionFolder(chosenPaths);
    const QDir dir(folder);
    QString selection = QDir::toNativeSeparators(folder);
    for (const QString& path : chosenPaths) {
        selection += QChar(0);
        selection += QDir::toNativeSeparators(dir.relativeFilePath(path));
    }
    return selection;
}

QString acceptSelection(const QStringList& chosenPaths, int maxFileSize) {
    QString selection = composeSelection(chosenPaths);
    if (selection.size() > maxFileSize) {
        throw DialogFailure(kSelectionTooLongNumber,
                            QStringLiteral("The selection is longer than %1 characters; choose "
                                           "fewer files.")
                                .arg(maxFileSize));
    }
    // The chosen files exist, so their folder does; later runs open bare names against it.
    if (!chosenPaths.isEmpty()) QDir::setCurrent(selectionFolder(chosenPaths));
    return selection;
}

}  // namespace selection
