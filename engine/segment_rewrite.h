// The segment rewrite as a reusable object: the texts are prepared once (scan anchors, the
// file's own form) and the rewrite appends to a caller's buffer, so that a pass does no
// per-line preparation or allocation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/case_rules.h"

namespace engine::detail {

struct Needle {
    std::string text;
    CaseRules::Anchor anchor;
    void set(std::string_view value) {
        text = value;
        anchor = CaseRules::anchorOf(text);
        planned_ = nullptr;
    }
    // How `rules` search it, worked out on first use.
    const CaseRules::Plan& plan(const CaseRules& rules) const {
        if (planned_ != &rules) {
            plan_ = rules.plan(text, anchor);
            planned_ = &rules;
        }
        return plan_;
    }

private:
    mutable const CaseRules* planned_ = nullptr;
    mutable CaseRules::Plan plan_;
};

// The four texts in the form of the lines they are matched against.
struct PreparedTexts {
    Needle start, stop, search;
    std::string replacement;
    // Whether segments can close: there is a stop marker, and both markers have a form in the
    // file's encoding.
    bool active = false;
    // Whether a segment can change: there is a search text, and it and the replacement have a
    // form in the file's encoding.
    bool replaces = false;

    void set(std::string_view startMarker, std::string_view stopMarker, std::string_view searchText,
             std::string_view replacementText) {
        start.set(startMarker);
        stop.set(stopMarker);
        search.set(searchText);
        replacement = replacementText;
        active = !stop.text.empty();
        replaces = !search.text.empty();
    }
};

class SegmentRewriter {
public:
    explicit SegmentRewriter(const CaseRules& rules) : rules_(&rules) {}
    void setRules(const CaseRules& rules) { rules_ = &rules; }

    // Appends the rewritten `line` to `out`, which may be any sink with append(string_view).
    template <class Out>
    void append(std::string_view line, const PreparedTexts& texts, Out& out);

    // Counted over every line appended so far.
    std::int64_t segments = 0;
    std::int64_t replacements = 0;

private:
    std::size_t find(std::string_view haystack, const Needle& needle, std::size_t from) const {
        return rules_->find(haystack, needle.text, from, needle.plan(*rules_));
    }

    const CaseRules* rules_;
};

template <class Out>
void SegmentRewriter::append(std::string_view line, const PreparedTexts& texts, Out& out) {
    if (!texts.active) {
        out.append(line);
        return;
    }
    const Needle& start = texts.start;
    const Needle& stop = texts.stop;
    const Needle& search = texts.search;
    // One pass from left to right: `copied` is how much of the line is already in `out`, and
    // positions stay those of the original line, since a segment's rewrite never moves what
    // lies after it relative to the next search start.
    std::size_t copied = 0;
    std::size_t from = 0;
    while (from < line.size()) {
        const std::size_t segmentStart = start.text.empty() ? from : find(line, start, from);
        if (segmentStart == CaseRules::npos) break;
        const std::size_t stopHit = find(line, stop, segmentStart);
        if (stopHit == CaseRules::npos) break;
        const std::size_t segmentEnd = stopHit + stop.text.size();
        const std::size_t hit = texts.replaces
                                    ? find(line.substr(0, segmentEnd), search, segmentStart)
                                    : CaseRules::npos;
        ++segments;
        if (hit != CaseRules::npos) {
            ++replacements;
            out.append(line.substr(copied, hit - copied));
            out.append(std::string_view(texts.replacement));
            copied = hit + search.text.size();
        }
        from = segmentEnd;
    }
    out.append(line.substr(copied));
}

}  // namespace engine::detail
