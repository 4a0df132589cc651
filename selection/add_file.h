// The Add File click: turns a new selection into the list entries and the folder label.
#pragma once

#include <QString>

#include "get_files.h"

namespace selection {

// The list entry that stands for an empty selection.
inline const QString kNoFilesSelected = QStringLiteral("(No files selected)");

// What the Add File click needs of the window.
class AddFileHost {
public:
    virtual ~AddFileHost() = default;
    virtual void clearList() = 0;
    virtual void appendEntry(const QString& entry) = 0;
    virtual void setDirectoryText(const QString& text) = 0;
    virtual void setReplaceEnabled(bool enabled) = 0;
};

void addFileClick(AddFileHost& host, const DialogServices& services);

}  // namespace selection
