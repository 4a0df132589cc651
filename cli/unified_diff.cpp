#include "cli/unified_diff.h"

#include <algorithm>

#include "cli/escape.h"

namespace cli {
namespace {

// git diff's colours.
constexpr std::string_view kBold = "\x1b[1m", kCyan = "\x1b[36m", kRed = "\x1b[31m",
                           kGreen = "\x1b[32m", kReset = "\x1b[m";

// "-5,3"; a hunk of one line is written "-5", as diff does.
std::string range(char sign, std::int64_t start, std::int64_t count) {
    std::string text(1, sign);
    text += std::to_string(start);
    if (count != 1) text += "," + std::to_string(count);
    return text;
}

}  // namespace

UnifiedDiff::UnifiedDiff(int context, Style style, std::string_view name, Sink out,
                         std::size_t memory)
    : context_(static_cast<std::size_t>(std::max(context, 0))),
      style_(style),
      out_(std::move(out)),
      body_(memory),
      added_(memory) {
    for (const char* sign : {"--- ", "+++ "}) {
        if (style_.color) head_ += kBold;
        head_ += sign;
        if (style_.terminal) {
            appendForTerminal(head_, name, style_.utf8Terminal);
        } else {
            head_ += name;
        }
        if (style_.color) head_ += kReset;
        head_ += '\n';
    }
}

void UnifiedDiff::line(const engine::RewrittenLine& line) {
    for (std::string* side : {&before_, &after_}) {
        const bool old = side == &before_;
        side->append(line.mark);
        side->append(old ? line.before : line.after);
        side->append(old ? line.beforeEnd : line.afterEnd);
    }
    gathering_ = true;
    if (line.beforeEnd.ends_with('\n')) lineDone();
}

void UnifiedDiff::lineDone() {
    ++lineNumber_;
    gathering_ = false;
    if (before_ != after_) {
        changed();
    } else {
        unchanged();
    }
    before_.clear();
    after_.clear();
}

void UnifiedDiff::changed() {
    if (!open_) {
        open_ = true;
        hunkStart_ = lineNumber_ - static_cast<std::int64_t>(leading_.size());
        hunkLines_ = 0;
        for (const std::string& text : leading_) show(body_, ' ', text);
        hunkLines_ += static_cast<std::int64_t>(leading_.size());
        leading_.clear();
    }
    for (const std::string& text : trailing_) show(body_, ' ', text);
    hunkLines_ += static_cast<std::int64_t>(trailing_.size());
    trailing_.clear();
    // A run of changed lines shows all its old lines, then all its new ones.
    show(body_, '-', before_);
    show(added_, '+', after_);
    ++hunkLines_;
}

void UnifiedDiff::unchanged() {
    if (open_) {
        added_.drainTo([this](std::string_view bytes) { body_.append(bytes); });
        trailing_.push_back(before_);
        // Two hunks whose contexts would touch stay one; past that the hunk is complete.
        if (trailing_.size() == 2 * context_ + 1) closeHunk();
        return;
    }
    if (context_ == 0) return;
    if (leading_.size() == context_) leading_.pop_front();
    leading_.push_back(before_);
}

void UnifiedDiff::closeHunk() {
    // Either the hunk ends in unchanged lines, or in a run of changes whose new lines are last.
    const std::size_t kept = std::min(trailing_.size(), context_);
    for (std::size_t i = 0; i < kept; ++i) show(body_, ' ', trailing_[i]);
    hunkLines_ += static_cast<std::int64_t>(kept);
    std::string header = any_ ? "" : head_;
    any_ = true;
    if (style_.color) header += kCyan;
    header += "@@ " + range('-', hunkStart_, hunkLines_) + " " +
              range('+', hunkStart_, hunkLines_) + " @@";
    if (style_.color) header += kReset;
    header += '\n';
    out_(header);
    body_.drainTo(out_);
    added_.drainTo(out_);
    // The unchanged lines after the kept ones may lead the next hunk.
    leading_.clear();
    for (std::size_t i = std::max(kept, trailing_.size() - std::min(trailing_.size(), context_));
         i < trailing_.size(); ++i) {
        leading_.push_back(std::move(trailing_[i]));
    }
    trailing_.clear();
    open_ = false;
}

void UnifiedDiff::show(Spool& to, char sign, std::string_view text) {
    const bool ended = text.ends_with('\n');
    std::string_view content = text.substr(0, text.size() - (ended ? 1 : 0));
    shown_.clear();
    if (style_.color && sign != ' ') shown_ += sign == '-' ? kRed : kGreen;
    shown_ += sign;
    if (style_.terminal) {
        // The end is the terminal's own; a CR before it is part of the end.
        if (content.ends_with('\r')) content.remove_suffix(1);
        appendForTerminal(shown_, content, style_.utf8Terminal);
    } else {
        shown_ += content;
    }
    if (style_.color && sign != ' ') shown_ += kReset;
    shown_ += '\n';
    if (!ended) shown_ += "\\ No newline at end of file\n";
    to.append(shown_);
}

bool UnifiedDiff::finish() {
    if (gathering_) lineDone();
    if (open_) closeHunk();
    return any_;
}

}  // namespace cli
