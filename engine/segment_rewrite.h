// The segment rewrite as a reusable object: the texts are prepared once (scan anchors, the
// file's own form) and the rewrite appends to a caller's buffer, so that a pass does no
// per-line preparation or allocation.
#pragma once

#include <algorithm>
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
    void append(std::string_view line, const PreparedTexts& texts, Out& out) {
        from_ = copied_ = stopFrom_ = 0;
        appendKnown(line, true, texts, out);
    }
    // The same for a line handed over in pieces as it is read: `known` is the line so far (from
    // where its rewrite began), `complete` whether that is all of it. What can no longer change
    // is appended to `out`; the rest waits for the next call, with more of the line.
    template <class Out>
    void appendKnown(std::string_view known, bool complete, const PreparedTexts& texts, Out& out);

    // Counted over every line appended so far.
    std::int64_t segments = 0;
    std::int64_t replacements = 0;

private:
    std::size_t find(std::string_view haystack, const Needle& needle, std::size_t from) const {
        return rules_->find(haystack, needle.text, from, needle.plan(*rules_));
    }

    const CaseRules* rules_;
    // In a line handed over in pieces: where the next segment is looked for, how much of the line
    // is in the output, and where the stop marker of a segment still open is looked for.
    std::size_t from_ = 0;
    std::size_t copied_ = 0;
    std::size_t stopFrom_ = 0;
};

template <class Out>
void SegmentRewriter::appendKnown(std::string_view known, bool complete, const PreparedTexts& texts,
                                  Out& out) {
    const Needle& start = texts.start;
    const Needle& stop = texts.stop;
    const Needle& search = texts.search;
    // One pass from left to right: `copied` is how much of the line is already in `out`, and
    // positions stay those of the original line, since a segment's rewrite never moves what
    // lies after it relative to the next search start. A match is decided by its own bytes, so
    // one found in the part of a line known is one in the whole line; one that more of the line
    // could still make begins in the last bytes known.
    const auto stillOpen = [&known](const Needle& needle) {
        return known.size() + 1 - std::min(known.size() + 1, needle.text.size());
    };
    std::size_t copied = copied_;
    std::size_t from = texts.active ? from_ : known.size();
    while (from < known.size()) {
        const std::size_t segmentStart = start.text.empty() ? from : find(known, start, from);
        if (segmentStart == CaseRules::npos) {
            if (!complete) from = std::max(from, stillOpen(start));
            break;
        }
        const std::size_t stopHit = find(known, stop, std::max(segmentStart, stopFrom_));
        if (stopHit == CaseRules::npos) {
            // The segment waits for more of the line, or never closes; its stop marker is
            // looked for again only where more of the line could make one.
            if (!complete) stopFrom_ = std::max(segmentStart, stillOpen(stop));
            from = segmentStart;
            break;
        }
        const std::size_t segmentEnd = stopHit + stop.text.size();
        const std::size_t hit = texts.replaces
                                    ? find(known.substr(0, segmentEnd), search, segmentStart)
                                    : CaseRules::npos;
        ++segments;
        if (hit != CaseRules::npos) {
            ++replacements;
            out.append(known.substr(copied, hit - copied));
            out.append(std::string_view(texts.replacement));
            copied = hit + search.text.size();
        }
        from = segmentEnd;
    }
    if (complete) {
        out.append(known.substr(copied));
        from_ = copied_ = stopFrom_ = 0;
        return;
    }
    // What lies before the next segment can no longer change.
    if (from > copied) {
        out.append(known.substr(copied, from - copied));
        copied = from;
    }
    from_ = from;
    copied_ = copied;
}

}  // namespace engine::detail
