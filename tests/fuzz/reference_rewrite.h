// The segment rewrite as a literal model: a naive search, the line spliced in place step by step.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace reference {

inline void require(bool ok, const char* what) {
    if (!ok) std::fprintf(stderr, "%s\n", what), std::abort();
}

// A-Z and a-z always; past ASCII the current locale's mapping, where it stays past ASCII.
inline unsigned char folded[256];
inline void takeLocale() {
    for (int c = 0; c < 256; ++c) {
        const int f = c < 128 ? (c >= 'A' && c <= 'Z' ? c + 32 : c) : std::tolower(std::toupper(c));
        folded[c] = static_cast<unsigned char>(c < 128 || (f >= 128 && f < 256) ? f : c);
    }
}

// 1-based position of the first hit at or after `from`, or 0.
inline std::int64_t find(std::string_view text, std::string_view needle, std::int64_t from) {
    if (text.empty() || from < 1 || from > std::ssize(text)) return 0;
    const auto hit =
        std::search(text.begin() + from - 1, text.end(), needle.begin(), needle.end(),
                    [](unsigned char x, unsigned char y) { return folded[x] == folded[y]; });
    return hit == text.end() ? 0 : hit - text.begin() + 1;
}

inline std::string replaceFirst(std::string_view text, std::string_view search,
                                std::string_view replacement) {
    std::string result(text);
    const std::int64_t at = search.empty() ? 0 : reference::find(text, search, 1);
    if (at != 0) result.replace(static_cast<std::size_t>(at - 1), search.size(), replacement);
    return result;
}

inline std::string rewrite(std::string line, std::string_view start, std::string_view stop,
                           std::string_view search, std::string_view replacement) {
    for (std::int64_t h = 1; !stop.empty();) {  // an empty stop would find one segment forever
        const std::int64_t m = reference::find(line, start, h);
        const std::int64_t e = m == 0 ? 0 : reference::find(line, stop, m);
        if (e == 0) break;
        const auto at = static_cast<std::size_t>(m - 1), length = e - m + stop.size();
        const std::string replaced = replaceFirst(line.substr(at, length), search, replacement);
        line.replace(at, length, replaced);
        h = m + std::ssize(replaced);
    }
    return line;
}

}  // namespace reference
