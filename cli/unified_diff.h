// Unified diff hunks built while a file is rewritten. A pass keeps one output line per source
// line, so both sides share line numbers and a change is always a line pair.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

class UnifiedDiff {
public:
    // `context`: unchanged lines shown around each change. Lines are escaped for a terminal.
    UnifiedDiff(int context, bool utf8Terminal);

    // The next line of the file, before and after its rewrite.
    void line(std::string_view before, std::string_view after);

    // The "@@" hunks so far, ending the last one; empty when no line changed.
    std::string finish();

private:
    struct Entry {
        std::string before, after;
        bool changed = false;
    };
    void closeHunk(std::size_t kept);

    std::size_t context_;
    bool utf8Terminal_;
    std::int64_t lineNumber_ = 0;
    // Unchanged lines waiting to lead a hunk: the last `context_` of them, oldest first.
    std::vector<std::string> leading_;
    std::size_t leadingStart_ = 0;  // ring position of the oldest
    std::vector<Entry> hunk_;       // the open hunk, empty when none is open
    std::int64_t hunkStart_ = 0;
    std::size_t trailing_ = 0;  // unchanged lines since the hunk's last change
    std::string text_;
};

}  // namespace cli
