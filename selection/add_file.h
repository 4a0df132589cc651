// The Add File click: turns a new selection into the list entries and the folder label.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "selection/get_files.h"

namespace selection {

// The list entry that stands for an empty selection.
inline constexpr std::string_view kNoFilesSelected = "(No files selected)";

// What the window shows after the click. Texts are UTF-8.
struct FileChoice {
    std::vector<std::string> entries;          // the whole list, in order
    std::optional<std::string> directoryText;  // the label's new text; nothing: it stays
    bool replaceEnabled = false;
};

// Shows the Open dialog titled "Open files..." and returns what the window shows for the
// selection. The window empties its list before: the dialog opens over an empty list.
FileChoice addFileClick(const DialogServices& services);

}  // namespace selection
