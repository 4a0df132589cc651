// The rules of the selection string, the text an Open dialog returns: one full path, or a
// folder followed by a NUL and a bare name for each file, or empty. UTF-8 throughout.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace selection {

// The pieces between NUL characters; the empty string has no parts at all.
std::vector<std::string> selectionParts(std::string_view selection);

// The folder that holds the chosen files: the first of several parts, or the parent of the one
// full path; nothing for the empty string.
std::filesystem::path selectionFolder(std::string_view selection);

// A folder and the names chosen in it as one selection string: the folder, then NUL and each
// name; a single name gives the one full path `folder` + `separator` + name instead (a folder
// that already ends in the separator, a drive root, gets none). No names: "".
std::string composeSelection(const std::string& folder, const std::vector<std::string>& names,
                             char separator);

// A list of NUL-terminated strings ended by an empty one (the form Windows' Open dialog fills
// its buffer with) as a selection string: everything before the first two NULs in a row.
std::string selectionFromNulList(std::string_view buffer);

}  // namespace selection
