#include "engine/case_rules.h"

#include <cstring>
#include <vector>

#include "engine/unicode.h"

namespace engine::detail {
namespace {

unsigned char byteAt(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

constexpr unsigned char asciiLower(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// How rare a byte is in everyday text and markup, by a fixed ranking: the higher, the rarer.
constexpr std::array<unsigned char, 256> makeRarity() {
    constexpr std::string_view common = " etaoinsrhldcumfpgwybv<>/\"=.,-:;'()0123456789k\t_xjqz";
    std::array<unsigned char, 256> rarity{};
    for (unsigned c = 0; c < 256; ++c) {
        const std::size_t rank =
            common.find(static_cast<char>(asciiLower(static_cast<unsigned char>(c))));
        rarity[c] = static_cast<unsigned char>(rank == std::string_view::npos ? 255 : rank);
    }
    return rarity;
}
constexpr std::array<unsigned char, 256> kRarity = makeRarity();

bool isAscii(std::string_view s) {
    for (const char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

}  // namespace

CaseRules::CaseRules(const std::array<unsigned char, 256>& fold, bool utf8)
    : utf8_(utf8), fold_(fold) {
    for (unsigned c = 0; c < 256; ++c) {
        for (unsigned other = 0; other < 256; ++other) {
            if (fold_[other] != fold_[c]) continue;
            if (alikeCount_[c] < 2) alike_[c][alikeCount_[c]] = static_cast<unsigned char>(other);
            if (alikeCount_[c] < 255) ++alikeCount_[c];
        }
    }
}

const CaseRules& CaseRules::unicode() {
    static const CaseRules rules = [] {
        std::array<unsigned char, 256> fold{};
        for (unsigned c = 0; c < 256; ++c) fold[c] = asciiLower(static_cast<unsigned char>(c));
        return CaseRules(fold, true);
    }();
    return rules;
}

std::size_t CaseRules::anchorOf(std::string_view needle) {
    // A letter costs two scans, one for each case, so it must be rarer to be worth it.
    const auto cost = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        const bool letter = asciiLower(byte) >= 'a' && asciiLower(byte) <= 'z';
        return static_cast<int>(kRarity[byte]) - (letter ? 20 : 0);
    };
    std::size_t anchor = 0;
    for (std::size_t i = 1; i < needle.size(); ++i) {
        if (cost(needle[i]) > cost(needle[anchor])) anchor = i;
    }
    return anchor;
}

std::size_t CaseRules::find(std::string_view haystack, std::string_view needle, std::size_t from,
                            std::size_t anchor) const {
    if (needle.empty() || from >= haystack.size() || needle.size() > haystack.size() - from) {
        return npos;
    }
    if (utf8_ && !isAscii(needle)) return findUtf8(haystack, needle, from);
    return findBytes(haystack, needle, from, anchor);
}

std::size_t CaseRules::matchLength(std::string_view haystack, std::size_t at,
                                   std::string_view needle) const {
    const auto* h = reinterpret_cast<const unsigned char*>(haystack.data() + at);
    const auto* n = reinterpret_cast<const unsigned char*>(needle.data());
    // Text usually matches in the needle's own letter case, which one memcmp settles.
    if (std::memcmp(h, n, needle.size()) == 0) return needle.size();
    std::size_t i = 0;
    while (i < needle.size() && fold_[h[i]] == fold_[n[i]]) ++i;
    return i;
}

std::size_t CaseRules::findBytes(std::string_view haystack, std::string_view needle,
                                 std::size_t from, std::size_t anchor) const {
    // Scan with memchr for the needle's rarest byte (in either case), then compare the whole
    // needle around each hit: few hits means few comparisons and long fast scans.
    const auto key = static_cast<unsigned char>(needle[anchor]);
    const std::array<unsigned char, 2>& keys = alike_[key];
    const int keyCount = alikeCount_[key];
    if (keyCount > 2) return findBytesLinear(haystack, needle, from);  // an odd locale
    const std::size_t last = haystack.size() - needle.size();          // last possible start
    const char* base = haystack.data() + anchor;  // a key at base[at] means a start at `at`
    const auto next = [&](unsigned char byte, std::size_t at) -> std::size_t {
        const void* p = std::memchr(base + at, byte, last + 1 - at);
        return p == nullptr ? npos : static_cast<std::size_t>(static_cast<const char*>(p) - base);
    };
    std::size_t nextA = next(keys[0], from);
    std::size_t nextB = keyCount == 2 ? next(keys[1], from) : npos;
    const std::size_t lastIndex = needle.size() - 1;
    const unsigned char firstFolded = fold_[byteAt(needle, 0)];
    const unsigned char lastFolded = fold_[byteAt(needle, lastIndex)];
    std::size_t compared = 0;
    while (nextA != npos || nextB != npos) {
        const std::size_t at = nextA < nextB ? nextA : nextB;
        // Repetitive text can make every hit a long near-match; past a bounded amount of such
        // work the rest is searched in guaranteed linear time.
        if (compared > 4 * (at - from) + 4096) return findBytesLinear(haystack, needle, at);
        // The needle's two ends reject most near-misses before the byte-by-byte comparison.
        if (fold_[byteAt(haystack, at)] == firstFolded &&
            fold_[byteAt(haystack, at + lastIndex)] == lastFolded) {
            const std::size_t matched = matchLength(haystack, at, needle);
            if (matched == needle.size()) return at;
            compared += matched;
        }
        ++compared;
        if (at >= last) return npos;
        if (at == nextA) nextA = next(keys[0], at + 1);
        if (at == nextB) nextB = next(keys[1], at + 1);
    }
    return npos;
}

std::size_t CaseRules::findBytesLinear(std::string_view haystack, std::string_view needle,
                                       std::size_t from) const {
    // Knuth-Morris-Pratt over folded bytes.
    const auto folded = [&](std::string_view s, std::size_t i) {
        return fold_[static_cast<unsigned char>(s[i])];
    };
    std::vector<std::size_t> border(needle.size(), 0);
    for (std::size_t i = 1, k = 0; i < needle.size(); ++i) {
        while (k > 0 && folded(needle, i) != folded(needle, k)) k = border[k - 1];
        if (folded(needle, i) == folded(needle, k)) ++k;
        border[i] = k;
    }
    for (std::size_t i = from, k = 0; i < haystack.size(); ++i) {
        while (k > 0 && folded(haystack, i) != folded(needle, k)) k = border[k - 1];
        if (folded(haystack, i) == folded(needle, k)) ++k;
        if (k == needle.size()) return i + 1 - needle.size();
    }
    return npos;
}

bool CaseRules::utf8MatchAt(std::string_view haystack, std::size_t at,
                            std::string_view needle) const {
    std::size_t h = at;
    std::size_t n = 0;
    while (n < needle.size()) {
        if (h >= haystack.size()) return false;
        char32_t needleCp = 0;
        const std::size_t needleLength = decodeUtf8(needle, n, needleCp);
        if (needleLength <= 1) {  // ASCII, or a byte that is no character: compare bytes
            if (fold_[static_cast<unsigned char>(haystack[h])] !=
                fold_[static_cast<unsigned char>(needle[n])]) {
                return false;
            }
            ++h;
            ++n;
            continue;
        }
        if (haystack.substr(h, needleLength) != needle.substr(n, needleLength)) {
            char32_t haystackCp = 0;
            if (decodeUtf8(haystack, h, haystackCp) != needleLength ||
                foldCodePoint(haystackCp) != foldCodePoint(needleCp)) {
                return false;
            }
        }
        h += needleLength;
        n += needleLength;
    }
    return true;
}

std::size_t CaseRules::findUtf8(std::string_view haystack, std::string_view needle,
                                std::size_t from) const {
    // Letters match only letters of the same encoded length, so a match spans needle.size().
    const std::size_t last = haystack.size() - needle.size();
    for (std::size_t at = from; at <= last; ++at) {
        if (utf8MatchAt(haystack, at, needle)) return at;
    }
    return npos;
}

}  // namespace engine::detail
