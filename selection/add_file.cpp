#include "add_file.h"

#include <QStringList>

namespace selection {

void addFileClick(AddFileHost& host, const DialogServices& services) {
    host.clearList();
    const QString selection = GetFiles(services, QStringLiteral("Open files..."));
    // The empty string has no parts, not one empty part.
    const QStringList parts = selection.isEmpty() ? QStringList{} : selection.split(QChar(0));

    if (parts.size() >= 2) {
        host.setDirectoryText(parts.front());
        for (qsizetype i = 1; i < parts.size(); ++i) host.appendEntry(parts[i]);
        host.setReplaceEnabled(true);
    } else if (parts.size() == 1) {
        host.setDirectoryText(QStringLiteral("Single Files selected:"));
        host.appendEntry(parts.front());
        host.setReplaceEnabled(true);
    } else {
        host.appendEntry(kNoFilesSelected);
        host.setReplaceEnabled(false);
    }
}

}  // namespace selection
