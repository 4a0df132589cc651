#include "ui/elide.h"

#include <vector>

namespace ui {

namespace {

// The byte offset where each character starts, and the end.
std::vector<std::size_t> characterStarts(const std::string& text) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    }
    starts.push_back(text.size());
    return starts;
}

std::string keep(const std::string& text, const std::vector<std::size_t>& starts,
                 std::size_t kept) {
    const std::size_t characters = starts.size() - 1;
    const std::size_t head = kept / 2;
    const std::size_t tail = kept - head;
    return text.substr(0, starts[head]) + std::string(kEllipsis) +
           text.substr(starts[characters - tail]);
}

}  // namespace

std::string elideMiddle(const std::string& text,
                        const std::function<bool(const std::string&)>& fits) {
    if (fits(text)) return text;
    const std::vector<std::size_t> starts = characterStarts(text);
    // Binary search for the most characters kept: fitting only gets harder as more are kept.
    std::size_t low = 0;
    std::size_t high = starts.size() - 1;  // keeping all but "…" never helps, so high fails
    while (high - low > 1) {
        const std::size_t middle = (low + high) / 2;
        (fits(keep(text, starts, middle)) ? low : high) = middle;
    }
    return keep(text, starts, low);
}

}  // namespace ui
