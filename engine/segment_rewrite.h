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
    std::size_t anchor = 0;
    void set(std::string_view value) {
        text = value;
        anchor = CaseRules::anchorOf(text);
    }
};

// The four texts in the form of the lines they are matched against.
struct PreparedTexts {
    Needle start, stop, search;
    std::string replacement;
    // False when no line can change: no stop marker closes a segment, there is no search text,
    // or a text has no form in the file's encoding.
    bool active = false;

    void set(std::string_view startMarker, std::string_view stopMarker,
             std::string_view searchText, std::string_view replacementText) {
        start.set(startMarker);
        stop.set(stopMarker);
        search.set(searchText);
        replacement = replacementText;
        active = !stop.text.empty() && !search.text.empty();
    }
};

class SegmentRewriter {
public:
    explicit SegmentRewriter(const CaseRules& rules) : rules_(&rules) {}
    void setRules(const CaseRules& rules) { rules_ = &rules; }

    // Appends the rewritten `line` to `out`.
    void append(std::string_view line, const PreparedTexts& texts, std::string& out);

    // Counted over every line appended so far.
    std::int64_t segments = 0;
    std::int64_t replacements = 0;

private:
    std::size_t find(std::string_view haystack, const Needle& needle, std::size_t from) const {
        return rules_->find(haystack, needle.text, from, needle.anchor);
    }

    const CaseRules* rules_;
};

}  // namespace engine::detail
