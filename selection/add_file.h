// The Add File click: turns a new selection into the list entries and the folder label.
#pragma once

#include <string>
#include <string_view>

#include "selection/get_files.h"

namespace selection {

// The list entry that stands for an empty selection.
inline constexpr std::string_view kNoFilesSelected = "(No files selected)";

// What the Add File click needs of the window. Texts are UTF-8.
class AddFileHost {
public:
    virtual ~AddFileHost() = default;
    virtual void clearList() = 0;
    virtual void appendEntry(const std::string& entry) = 0;
    virtual void setDirectoryText(const std::string& text) = 0;
    virtual void setReplaceEnabled(bool enabled) = 0;
};

void addFileClick(AddFileHost& host, const DialogServices& services);

}  // namespace selection
