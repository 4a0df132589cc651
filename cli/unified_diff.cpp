#include "cli/unified_diff.h"

#include <algorithm>

#include "cli/escape.h"

namespace cli {
namespace {

// "-5,3"; a hunk of one line is written "-5", as diff does.
std::string range(char sign, std::int64_t start, std::size_t count) {
    std::string text(1, sign);
    text += std::to_string(start);
    if (count != 1) text += "," + std::to_string(count);
    return text;
}

}  // namespace

UnifiedDiff::UnifiedDiff(int context, bool utf8Terminal)
    : context_(static_cast<std::size_t>(context < 0 ? 0 : context)), utf8Terminal_(utf8Terminal) {}

void UnifiedDiff::line(std::string_view before, std::string_view after) {
    ++lineNumber_;
    const bool changed = before != after;
    if (changed) {
        if (hunk_.empty()) {
            hunkStart_ = lineNumber_ - static_cast<std::int64_t>(leading_.size());
            for (std::size_t i = 0; i < leading_.size(); ++i) {
                std::string& text = leading_[(leadingStart_ + i) % leading_.size()];
                hunk_.push_back({std::move(text), {}, false});
            }
            leading_.clear();
            leadingStart_ = 0;
        }
        hunk_.push_back({std::string(before), std::string(after), true});
        trailing_ = 0;
        return;
    }
    if (!hunk_.empty()) {
        hunk_.push_back({std::string(before), {}, false});
        // Two hunks whose contexts would touch stay one; past that the hunk is complete.
        if (++trailing_ == 2 * context_ + 1) closeHunk(hunk_.size() - context_ - 1);
        return;
    }
    if (context_ == 0) return;
    if (leading_.size() < context_) {
        leading_.emplace_back(before);
    } else {
        leading_[leadingStart_].assign(before);
        leadingStart_ = (leadingStart_ + 1) % context_;
    }
}

void UnifiedDiff::closeHunk(std::size_t kept) {
    text_ += "@@ " + range('-', hunkStart_, kept) + " " + range('+', hunkStart_, kept) + " @@\n";
    // A run of changed lines shows all its old lines, then all its new ones.
    for (std::size_t i = 0; i < kept;) {
        if (!hunk_[i].changed) {
            text_ += ' ';
            appendForTerminal(text_, hunk_[i].before, utf8Terminal_);
            text_ += '\n';
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < kept && hunk_[end].changed) ++end;
        for (const bool old : {true, false}) {
            for (std::size_t j = i; j < end; ++j) {
                text_ += old ? '-' : '+';
                appendForTerminal(text_, old ? hunk_[j].before : hunk_[j].after, utf8Terminal_);
                text_ += '\n';
            }
        }
        i = end;
    }
    // The unchanged lines after the kept ones may lead the next hunk.
    leading_.clear();
    leadingStart_ = 0;
    const std::size_t from = hunk_.size() > context_ ? hunk_.size() - context_ : 0;
    for (std::size_t i = std::max(from, kept); i < hunk_.size(); ++i) {
        leading_.push_back(std::move(hunk_[i].before));
    }
    hunk_.clear();
    trailing_ = 0;
}

std::string UnifiedDiff::finish() {
    if (!hunk_.empty()) {
        const std::size_t extra = trailing_ > context_ ? trailing_ - context_ : 0;
        closeHunk(hunk_.size() - extra);
    }
    return std::move(text_);
}

}  // namespace cli
