#include "engine/unicode.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "engine/byte_scan.h"

namespace engine::detail {
namespace {

struct FoldRun {
    char32_t first;
    char32_t last;
    int offset;
    char32_t step;
};

constexpr FoldRun kFoldRuns[] = {
#include "engine/unicode_case_table.inc"
};

// The two-byte range, where most letters with case live, folds by lookup.
constexpr char32_t kTwoByteEnd = 0x800;
constexpr auto kTwoByteFolds = [] {
    std::array<char16_t, kTwoByteEnd - 0x80> folds{};
    for (char32_t cp = 0x80; cp < kTwoByteEnd; ++cp) folds[cp - 0x80] = static_cast<char16_t>(cp);
    for (const FoldRun& run : kFoldRuns) {
        for (char32_t cp = run.first; cp <= run.last && cp < kTwoByteEnd; cp += run.step)
            folds[cp - 0x80] = static_cast<char16_t>(static_cast<int>(cp) + run.offset);
    }
    return folds;
}();

char32_t searchFoldRuns(char32_t cp) {
    const auto* run = std::upper_bound(std::begin(kFoldRuns), std::end(kFoldRuns), cp,
                                       [](char32_t c, const FoldRun& r) { return c < r.first; });
    if (run == std::begin(kFoldRuns)) return cp;
    --run;
    if (cp > run->last || (cp - run->first) % run->step != 0) return cp;
    return static_cast<char32_t>(static_cast<int>(cp) + run->offset);
}

std::size_t utf8Length(char32_t cp) {
    if (cp < 0x80) return 1;
    if (cp < 0x800) return 2;
    if (cp < 0x10000) return 3;
    return 4;
}

bool isSurrogate(char32_t cp) {
    return cp >= 0xD800 && cp <= 0xDFFF;
}

std::size_t decode(std::string_view s, std::size_t at, char32_t& cp, bool surrogates) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07u;
    } else {
        return 0;
    }
    if (at + length > s.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(at + i);
        if ((next & 0xC0u) != 0x80u) return 0;
        cp = (cp << 6) | (next & 0x3Fu);
    }
    // Overlong forms and values past U+10FFFF are no characters; nor, in UTF-8, are surrogates.
    if (utf8Length(cp) != length || cp > 0x10FFFF || (!surrogates && isSurrogate(cp))) return 0;
    return length;
}

char* putUnit(char* out, char32_t unit, bool bigEndian) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    out[0] = bigEndian ? high : low;
    out[1] = bigEndian ? low : high;
    return out + 2;
}

char* putUnit32(char* out, char32_t unit, bool bigEndian) {
    for (int i = 0; i < 4; ++i) out[bigEndian ? 3 - i : i] = static_cast<char>(unit >> 8 * i);
    return out + 4;
}

// Decodes the private form of a value past U+10FFFF at `at`; its length, or 0 if there is none.
std::size_t decodeBeyondUnicode(std::string_view s, std::size_t at, char32_t& cp) {
    if (s[at] != '\xFE' || s.size() - at < 7) return 0;
    std::uint64_t value = 0;
    for (std::size_t i = 1; i < 7; ++i) {
        const auto next = static_cast<unsigned char>(s[at + i]);
        if ((next & 0xC0u) != 0x80u) return 0;
        value = value << 6 | (next & 0x3Fu);
    }
    if (value <= 0x10FFFF || value > 0xFFFFFFFF) return 0;
    cp = static_cast<char32_t>(value);
    return 7;
}

}  // namespace

std::size_t decodeUtf8(std::string_view s, std::size_t at, char32_t& cp) {
    return decode(s, at, cp, false);
}

std::size_t decodeWtf8(std::string_view s, std::size_t at, char32_t& cp) {
    return decode(s, at, cp, true);
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp > 0x10FFFF) {
        out += '\xFE';
        for (int shift = 30; shift >= 0; shift -= 6)
            out += static_cast<char>(0x80 | ((cp >> shift) & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::size_t firstPastAscii(std::string_view bytes) {
    const char* const end = bytes.data() + bytes.size();
    const char* const hit = findPastAscii(bytes.data(), end);
    return hit == end ? std::string_view::npos : static_cast<std::size_t>(hit - bytes.data());
}

bool readsAsUtf8(std::string_view bytes, bool complete) {
    std::size_t at = 0;
    while (at < bytes.size() && static_cast<unsigned char>(bytes[at]) < 0x80) ++at;
    while (at < bytes.size()) {
        char32_t cp = 0;
        const std::size_t length = decodeUtf8(bytes, at, cp);
        if (length == 0) {
            // Only a sequence that the end of the sample cut off may still be a character.
            const auto lead = static_cast<unsigned char>(bytes[at]);
            const std::size_t needed = lead > 0xF4    ? 0
                                       : lead >= 0xF0 ? 4
                                       : lead >= 0xE0 ? 3
                                       : lead >= 0xC2 ? 2
                                                      : 0;
            if (complete || needed == 0 || at + needed <= bytes.size()) return false;
            for (std::size_t i = at + 1; i < bytes.size(); ++i) {
                if ((static_cast<unsigned char>(bytes[i]) & 0xC0u) != 0x80u) return false;
            }
            return true;
        }
        at += length;
    }
    return true;
}

void appendUtf16(std::string& out, std::string_view text, bool bigEndian) {
    // Every code unit comes from at least two bytes of the text, or one ASCII byte.
    const std::size_t before = out.size();
    out.resize(before + 2 * text.size());
    char* put = out.data() + before;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t ascii =
            bigEndian ? widenAscii<2, true>(text.data() + at, text.size() - at, put)
                      : widenAscii<2, false>(text.data() + at, text.size() - at, put);
        at += ascii;
        put += 2 * ascii;
        if (at == text.size()) break;
        const auto byte = static_cast<unsigned char>(text[at]);  // past ASCII
        char32_t cp = byte;
        std::size_t length = decodeWtf8(text, at, cp);
        if (length == 0) {  // not made by a pass; kept as a unit of its own
            cp = byte;
            length = 1;
        }
        if (cp >= 0x10000) {
            put = putUnit(put, 0xD800 + ((cp - 0x10000) >> 10), bigEndian);
            put = putUnit(put, 0xDC00 + ((cp - 0x10000) & 0x3FF), bigEndian);
        } else {
            put = putUnit(put, cp, bigEndian);
        }
        at += length;
    }
    out.resize(static_cast<std::size_t>(put - out.data()));
}

void appendUtf32(std::string& out, std::string_view text, bool bigEndian) {
    // Every code unit comes from at least one byte of the text.
    const std::size_t before = out.size();
    out.resize(before + 4 * text.size());
    char* put = out.data() + before;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t ascii =
            bigEndian ? widenAscii<4, true>(text.data() + at, text.size() - at, put)
                      : widenAscii<4, false>(text.data() + at, text.size() - at, put);
        at += ascii;
        put += 4 * ascii;
        if (at == text.size()) break;
        const auto byte = static_cast<unsigned char>(text[at]);
        char32_t cp = byte;
        std::size_t length = byte < 0x80 ? 1 : decodeWtf8(text, at, cp);
        if (length == 0) length = decodeBeyondUnicode(text, at, cp);
        if (length == 0) {  // not made by a pass; kept as a unit of its own
            cp = byte;
            length = 1;
        }
        put = putUnit32(put, cp, bigEndian);
        at += length;
    }
    out.resize(static_cast<std::size_t>(put - out.data()));
}

char32_t foldCodePoint(char32_t cp) {
    if (cp < 0x80) return cp;
    if (cp < kTwoByteEnd) return kTwoByteFolds[cp - 0x80];
    return searchFoldRuns(cp);
}

std::size_t caseForms(char32_t cp, std::array<char32_t, kMaxCaseForms>& forms) {
    // Every code point that folds to another one, ordered by what it folds to.
    struct Fold {
        char32_t to, from;
    };
    static const std::vector<Fold> byFolded = [] {
        std::vector<Fold> folds;
        for (const FoldRun& run : kFoldRuns) {
            for (char32_t c = run.first; c <= run.last; c += run.step)
                folds.push_back({static_cast<char32_t>(static_cast<int>(c) + run.offset), c});
        }
        std::sort(folds.begin(), folds.end(), [](Fold a, Fold b) { return a.to < b.to; });
        return folds;
    }();
    const char32_t folded = foldCodePoint(cp);
    std::size_t count = 0;
    const auto add = [&](char32_t form) {
        if (count < kMaxCaseForms) forms[count] = form;
        ++count;
    };
    if (foldCodePoint(folded) == folded) add(folded);
    const auto [first, last] = std::equal_range(byFolded.begin(), byFolded.end(), Fold{folded, 0},
                                                [](Fold a, Fold b) { return a.to < b.to; });
    for (auto it = first; it != last; ++it) add(it->from);
    return count;
}

}  // namespace engine::detail
