#include <algorithm>

#include "engine/case_rules.h"
#include "engine/engine.h"
#include "engine/segment_rewrite.h"

namespace engine {

namespace detail {

const SegmentRewriter::Needle& SegmentRewriter::prepare(Needle& needle, std::string_view text) {
    if (needle.text != text) {
        needle.text = text;
        needle.anchor = CaseRules::anchorOf(text);
    }
    return needle;
}

std::size_t SegmentRewriter::find(std::string_view haystack, const Needle& needle,
                                  std::size_t from) const {
    return rules_.find(haystack, needle.text, from, needle.anchor);
}

void SegmentRewriter::append(std::string_view line, const Texts& texts, std::string& out) {
    // Without a stop marker no segment closes; without a search text no segment changes.
    if (texts.stopMarker.empty() || texts.searchText.empty()) {
        out.append(line);
        return;
    }
    // Most lines hold no start marker: the other texts are prepared only once one is found.
    const Needle& start = prepare(start_, texts.startMarker);
    // One pass from left to right: `copied` is how much of the line is already in `out`, and
    // positions stay those of the original line, since a segment's rewrite never moves what
    // lies after it relative to the next search start.
    std::size_t copied = 0;
    std::size_t from = 0;
    while (from < line.size()) {
        const std::size_t segmentStart = start.text.empty() ? from : find(line, start, from);
        if (segmentStart == CaseRules::npos) break;
        const Needle& stop = prepare(stop_, texts.stopMarker);
        const std::size_t stopHit = find(line, stop, segmentStart);
        if (stopHit == CaseRules::npos) break;
        const std::size_t segmentEnd = stopHit + stop.text.size();
        const Needle& search = prepare(search_, texts.searchText);
        const std::size_t hit = find(line.substr(0, segmentEnd), search, segmentStart);
        ++segments;
        if (hit != CaseRules::npos) {
            ++replacements;
            out.append(line.substr(copied, hit - copied));
            out.append(texts.replacementText);
            copied = hit + search.text.size();
        }
        from = segmentEnd;
    }
    out.append(line.substr(copied));
}

}  // namespace detail

Position find(std::string_view haystack, std::string_view needle, Position from) {
    const auto length = static_cast<Position>(haystack.size());
    if (haystack.empty() || from > length) return 0;
    from = std::max<Position>(from, 1);
    if (needle.empty()) return from;
    const std::size_t at =
        detail::CaseRules::current().find(haystack, needle, static_cast<std::size_t>(from - 1));
    return at == detail::CaseRules::npos ? 0 : static_cast<Position>(at) + 1;
}

std::string replaceFirst(std::string_view text, std::string_view search,
                         std::string_view replacement) {
    std::string result(text);
    if (search.empty()) return result;
    const std::size_t at = detail::CaseRules::current().find(text, search, 0);
    if (at != detail::CaseRules::npos) result.replace(at, search.size(), replacement);
    return result;
}

std::string rewrite(std::string_view line, std::string_view startMarker,
                    std::string_view stopMarker, std::string_view searchText,
                    std::string_view replacementText) {
    std::string out;
    out.reserve(line.size());
    detail::SegmentRewriter(detail::CaseRules::current())
        .append(line, Texts{startMarker, stopMarker, searchText, replacementText}, out);
    return out;
}

}  // namespace engine
