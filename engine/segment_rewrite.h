// The segment rewrite as a reusable object: it keeps the texts' scan anchors from line to line
// and appends to a caller's buffer, so that a pass does no per-line preparation or allocation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/case_rules.h"
#include "engine/engine.h"

namespace engine::detail {

class SegmentRewriter {
public:
    explicit SegmentRewriter(const CaseRules& rules) : rules_(rules) {}

    // Appends the rewritten `line` to `out`.
    void append(std::string_view line, const Texts& texts, std::string& out);

    // Counted over every line appended so far.
    std::int64_t segments = 0;
    std::int64_t replacements = 0;

private:
    struct Needle {
        std::string text;
        std::size_t anchor = 0;
    };
    // Brings `needle` up to `text`; cheap when the text is unchanged.
    const Needle& prepare(Needle& needle, std::string_view text);
    std::size_t find(std::string_view haystack, const Needle& needle, std::size_t from) const;

    const CaseRules& rules_;
    Needle start_, stop_, search_;
};

}  // namespace engine::detail
