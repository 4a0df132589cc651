// File names read from a list: one a line, or each ended by a NUL byte (find -print0).
#pragma once

#include <istream>
#include <string>
#include <vector>

namespace cli {

// Appends the names in `list` to `names`; empty names are skipped. Newline lists may end their
// lines in CR LF on Windows.
void readFileList(std::istream& list, bool nulSeparated, std::vector<std::string>& names);

}  // namespace cli
