// A unified diff written while a file is rewritten, hunk by hunk as each is complete. A pass
// keeps one output line per source line, so both sides share line numbers and a change is
// always a line pair. Lines are those of diff and patch, each ending at an LF: a lone CR ends
// none.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "cli/spool.h"
#include "engine/engine.h"

namespace cli {

class UnifiedDiff {
public:
    struct Style {
        // Lines escaped as appendForTerminal() does and shown without their ends; otherwise
        // the file's own bytes, which patch and git apply take.
        bool terminal = false;
        bool utf8Terminal = true;
        bool color = false;  // as git diff colours its lines
    };
    // Unchanged lines wait in memory, `context` of them; a hunk's lines beyond `memory` bytes
    // wait in a temporary file.
    static constexpr std::size_t kMemory = std::size_t{4} << 20;

    // `context`: unchanged lines shown around each change. The diff is headed by `name` as the
    // file to change, on both sides, so that patch and git apply both change that file.
    UnifiedDiff(int context, Style style, std::string_view name, Sink out,
                std::size_t memory = kMemory);

    // The next line of the file, before and after its rewrite.
    void line(const engine::RewrittenLine& line);

    // Writes the last hunk; whether any line changed.
    bool finish();

private:
    void lineDone();
    void changed();
    void unchanged();
    void closeHunk();
    // Appends one line of the hunk: `text` holds its end, if it has one.
    void show(Spool& to, char sign, std::string_view text);

    std::size_t context_;
    Style style_;
    std::string head_;  // the two lines that name the file
    Sink out_;
    // The line being gathered from the pass's lines, before and after.
    std::string before_, after_;
    bool gathering_ = false;
    std::int64_t lineNumber_ = 0;
    // Unchanged lines that may lead the next hunk: the last `context_` of them.
    std::deque<std::string> leading_;
    // The open hunk: its lines so far, the new side of the change under way, and the unchanged
    // lines since its last change, which may end it or join it to the next change.
    bool open_ = false;
    std::int64_t hunkStart_ = 0, hunkLines_ = 0;
    Spool body_, added_;
    std::vector<std::string> trailing_;
    bool any_ = false;
    std::string shown_;
};

}  // namespace cli
