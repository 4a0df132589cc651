#include <algorithm>

#include "engine/case_rules.h"
#include "engine/code_page.h"
#include "engine/engine.h"
#include "engine/segment_rewrite.h"

namespace engine {

// The public functions work on text in the C library's present locale.
Position find(std::string_view haystack, std::string_view needle, Position from) {
    const auto length = static_cast<Position>(haystack.size());
    if (haystack.empty() || from > length) return 0;
    from = std::max<Position>(from, 1);
    if (needle.empty()) return from;
    const std::size_t at = detail::CodePage::current()->rules().find(
        haystack, needle, static_cast<std::size_t>(from - 1));
    return at == detail::CaseRules::npos ? 0 : static_cast<Position>(at) + 1;
}

std::string replaceFirst(std::string_view text, std::string_view search,
                         std::string_view replacement) {
    std::string result(text);
    if (search.empty()) return result;
    const std::size_t at = detail::CodePage::current()->rules().find(text, search, 0);
    if (at != detail::CaseRules::npos) result.replace(at, search.size(), replacement);
    return result;
}

std::string rewrite(std::string_view line, std::string_view startMarker,
                    std::string_view stopMarker, std::string_view searchText,
                    std::string_view replacementText) {
    std::string out;
    out.reserve(line.size());
    detail::PreparedTexts texts;
    texts.set(startMarker, stopMarker, searchText, replacementText);
    const std::shared_ptr<const detail::CodePage> page = detail::CodePage::current();
    detail::SegmentRewriter(page->rules()).append(line, texts, out);
    return out;
}

}  // namespace engine
