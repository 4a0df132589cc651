// File names read from a list: one a line, or each ended by a NUL byte (find -print0).
#pragma once

#include <string>
#include <vector>

namespace cli {

// Appends the names in the list `list` (a file, or "-" for standard input) to `names`; empty
// names are skipped, and a line may end in CR LF. Throws UsageError when the list cannot be
// read, or holds NUL bytes although its names end at line ends.
void readFileList(const std::string& list, bool nulSeparated, std::vector<std::string>& names);

}  // namespace cli
