// The selection string made from the paths chosen in a file dialog.
#pragma once

#include <QString>
#include <QStringList>

namespace selection {

// Reported when the selection string would not fit in MaxFileSize characters; the same number
// the Windows Common Dialog gives for a file name buffer that is too small.
inline constexpr int kSelectionTooLongNumber = 20476;

// The folder that holds every chosen path (for one path, its own folder).
QString selectionFolder(const QStringList& chosenPaths);

// One path: that full path. Several: the common folder, then NUL and the name below that folder
// for each path, in the given order. None: "". Native separators throughout.
QString composeSelection(const QStringList& chosenPaths);

// Completes a confirmed choice: composes its selection string, fails with
// kSelectionTooLongNumber when it is longer than `maxFileSize`, and otherwise moves the current
// directory to the chosen folder.
QString acceptSelection(const QStringList& chosenPaths, int maxFileSize);

}  // namespace selection
