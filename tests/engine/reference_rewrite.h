// Slow, literal models of the engine, used to check the fast one: the segment rewrite with a
// naive case-insensitive search, the line spliced in place step by step; and the output a pass
// writes for a whole file. Letters fold as in the "C" locale (ASCII only) unless a single-byte
// locale's folding is switched on.
#pragma once

#include <array>
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace reference {

inline std::array<unsigned char, 256>& foldTable() {
    static std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> ascii{};
        for (int c = 0; c < 256; ++c) {
            ascii[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
        return ascii;
    }();
    return table;
}

// Takes the current single-byte locale's case mapping for the bytes past ASCII; a mapping that
// leaves the upper half is ignored, so A-Z and a-z keep matching only each other.
inline void foldLikeCurrentLocale() {
    for (int c = 0x80; c < 256; ++c) {
        const int folded = std::tolower(std::toupper(c));
        foldTable()[c] = static_cast<unsigned char>(folded >= 0x80 && folded <= 0xFF ? folded : c);
    }
}

inline unsigned char fold(char c) {
    return foldTable()[static_cast<unsigned char>(c)];
}

// 1-based position of the first hit at or after `from`, or 0.
inline std::int64_t find(std::string_view haystack, std::string_view needle, std::int64_t from) {
    const auto size = static_cast<std::int64_t>(haystack.size());
    if (haystack.empty() || from < 1 || from > size) return 0;
    if (needle.empty()) return from;
    const auto length = static_cast<std::int64_t>(needle.size());
    for (std::int64_t p = from; p + length - 1 <= size; ++p) {
        bool same = true;
        for (std::int64_t k = 0; k < length && same; ++k) {
            same = fold(haystack[static_cast<std::size_t>(p - 1 + k)]) ==
                   fold(needle[static_cast<std::size_t>(k)]);
        }
        if (same) return p;
    }
    return 0;
}

inline std::string replaceFirst(std::string_view text, std::string_view search,
                                std::string_view replacement) {
    std::string result(text);
    if (search.empty()) return result;
    const std::int64_t at = reference::find(text, search, 1);
    if (at == 0) return result;
    result.replace(static_cast<std::size_t>(at - 1), search.size(), replacement);
    return result;
}

inline std::string rewrite(std::string_view input, std::string_view startMarker,
                           std::string_view stopMarker, std::string_view searchText,
                           std::string_view replacementText) {
    std::string line(input);
    // An empty stop marker would make the same zero-length segment forever: it closes none.
    if (stopMarker.empty()) return line;
    std::int64_t h = 1;
    for (;;) {
        const std::int64_t m = reference::find(line, startMarker, h);
        if (m == 0) return line;
        const std::int64_t e = reference::find(line, stopMarker, m);
        if (e == 0) return line;
        const auto length = e + static_cast<std::int64_t>(stopMarker.size()) - m;
        const std::string segment =
            line.substr(static_cast<std::size_t>(m - 1), static_cast<std::size_t>(length));
        const std::string replaced = reference::replaceFirst(segment, searchText, replacementText);
        line.replace(static_cast<std::size_t>(m - 1), static_cast<std::size_t>(length), replaced);
        h = m + static_cast<std::int64_t>(replaced.size());
    }
}

// The lines of a file: CR LF or a lone CR ends a line, an LF alone does not; a last line
// without a terminator is a line too, an empty tail is not.
inline std::vector<std::string> splitLines(std::string_view file) {
    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] != '\r') {
            current += file[i];
            continue;
        }
        lines.push_back(current);
        current.clear();
        if (i + 1 < file.size() && file[i + 1] == '\n') ++i;
    }
    if (!current.empty()) lines.push_back(current);
    return lines;
}

// What a completed pass writes: every line rewritten and ended by CR LF.
inline std::string passOutput(std::string_view file, std::string_view startMarker,
                              std::string_view stopMarker, std::string_view searchText,
                              std::string_view replacementText) {
    std::string out;
    for (const auto& line : splitLines(file)) {
        out += reference::rewrite(line, startMarker, stopMarker, searchText, replacementText);
        out += "\r\n";
    }
    return out;
}

// The progress value at the end of a completed pass: the size, plus the two terminator bytes
// counted for a last line that has none.
inline std::int64_t finalProgress(std::string_view file) {
    const auto size = static_cast<std::int64_t>(file.size());
    return (file.empty() || file.back() == '\r' || file.ends_with("\r\n")) ? size : size + 2;
}

}  // namespace reference
