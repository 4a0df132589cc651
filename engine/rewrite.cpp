#include <algorithm>

#include "engine/case_rules.h"
#include "engine/engine.h"
#include "engine/segment_rewrite.h"

namespace engine {

namespace detail {

void appendRewritten(std::string_view line, const Texts& texts, const CaseRules& rules,
                     std::string& out) {
    const std::string_view start = texts.startMarker;
    const std::string_view stop = texts.stopMarker;
    const std::string_view search = texts.searchText;
    // Without a stop marker no segment closes; without a search text no segment changes.
    if (stop.empty() || search.empty()) {
        out.append(line);
        return;
    }
    // One pass from left to right: `copied` is how much of the line is already in `out`, and
    // positions stay those of the original line, since a segment's rewrite never moves what
    // lies after it relative to the next search start.
    std::size_t copied = 0;
    std::size_t from = 0;
    while (from < line.size()) {
        const std::size_t segmentStart = start.empty() ? from : rules.find(line, start, from);
        if (segmentStart == CaseRules::npos) break;
        const std::size_t stopHit = rules.find(line, stop, segmentStart);
        if (stopHit == CaseRules::npos) break;
        const std::size_t segmentEnd = stopHit + stop.size();
        const std::size_t hit = rules.find(line.substr(0, segmentEnd), search, segmentStart);
        if (hit != CaseRules::npos) {
            out.append(line.substr(copied, hit - copied));
            out.append(texts.replacementText);
            copied = hit + search.size();
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
    detail::appendRewritten(line, Texts{startMarker, stopMarker, searchText, replacementText},
                            detail::CaseRules::current(), out);
    return out;
}

}  // namespace engine
