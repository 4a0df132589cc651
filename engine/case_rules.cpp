#include "engine/case_rules.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "engine/byte_scan.h"
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

using KeyAt = CaseRules::KeyAt;

// Looks for places where the needle's two anchors both meet one of their forms, and measures
// each with `measure` (how many needle bytes match there): few such places means few
// comparisons and long fast scans. Repetitive text can make every place a long near-match; past
// a bounded amount of such work, `linear` searches the rest in guaranteed linear time.
template <class Measure, class Linear>
std::size_t scanForKeys(std::string_view haystack, std::size_t needleSize, std::size_t from,
                        const KeyAt& a, const KeyAt& b, Measure measure, Linear linear) {
    const std::size_t last = haystack.size() - needleSize;  // last possible start
    std::size_t compared = 0;
    for (std::size_t at = from;; ++at) {
        at = findKeyPairFast(haystack.data(), at, last, a.offset, a.keys, b.offset, b.keys);
        if (at > last) return std::string_view::npos;
        if (compared > 4 * (at - from) + 4096) return linear(at);
        const std::size_t matched = measure(at);
        if (matched == needleSize) return at;
        compared += matched + 1;
    }
}

// In the linear UTF-8 search, a byte that is no character stands for itself past every code
// point.
constexpr char32_t kByteSymbols = 0x110000;

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

const CaseRules& CaseRules::exact() {
    static const CaseRules rules = [] {
        std::array<unsigned char, 256> same{};
        for (unsigned c = 0; c < 256; ++c) same[c] = static_cast<unsigned char>(c);
        return CaseRules(same, false);
    }();
    return rules;
}

CaseRules::Anchor CaseRules::anchorOf(std::string_view needle) {
    // A letter is met in both its cases, so it must seem rarer to be worth it. Within a UTF-8
    // character, the lead byte is shared by a whole script and the last one tells most
    // characters apart. Of bytes that seem as rare, the one that the needle repeats least.
    const auto cost = [](unsigned char byte) {
        const bool letter = asciiLower(byte) >= 'a' && asciiLower(byte) <= 'z';
        return static_cast<int>(kRarity[byte]) - (letter ? 20 : 0);
    };
    std::array<std::size_t, 256> repeats{};
    for (const char c : needle) ++repeats[asciiLower(static_cast<unsigned char>(c))];
    struct Place {
        std::size_t at = 0, character = 0;  // the byte, and the first byte of its character
        int cost = INT_MIN;
    };
    const auto better = [&](const Place& a, const Place& b) {
        if (a.cost != b.cost) return a.cost > b.cost;
        return repeats[asciiLower(byteAt(needle, a.at))] <
               repeats[asciiLower(byteAt(needle, b.at))];
    };
    // The best place, and the best in another character than the best's, in one pass.
    Place first, second;
    const auto consider = [&](const Place& place) {
        if (first.cost == INT_MIN || better(place, first)) {
            if (place.character != first.character) second = first;
            first = place;
        } else if (place.character != first.character &&
                   (second.cost == INT_MIN || better(place, second))) {
            second = place;
        }
    };
    for (std::size_t at = 0; at < needle.size();) {
        char32_t cp = 0;
        const std::size_t length = byteAt(needle, at) < 0x80 ? 1 : decodeUtf8(needle, at, cp);
        if (length < 2) {
            consider({at, at, cost(byteAt(needle, at))});
            ++at;
            continue;
        }
        for (std::size_t i = 0; i < length; ++i)
            consider({at + i, at, i == 0 ? 100 : i + 1 == length ? 255 : 200});
        at += length;
    }
    return {first.at, second.cost == INT_MIN ? first.at : second.at};
}

CaseRules::Plan CaseRules::plan(std::string_view needle, Anchor anchor) const {
    Plan plan;
    // UTF-8 text is searched by character when the needle holds one past ASCII; bytes that are
    // no character open (`lead`) and close (`trail`) many a needle: they are compared as bytes,
    // so they alone can meet part of a character in the haystack.
    bool opened = false, characters = false;
    for (std::size_t at = 0; utf8_ && at < needle.size();) {
        char32_t cp = 0;
        const std::size_t length = decodeUtf8(needle, at, cp);
        if (length == 0) {
            plan.lead += opened ? 0 : 1;
            ++plan.trail;
            ++at;
            continue;
        }
        opened = true;
        characters = characters || length > 1;
        plan.trail = 0;
        at += length;
    }
    const auto keysAt = [&](std::size_t at, KeyAt& key) {
        std::size_t count = 0;
        if (characters) {
            count = utf8Keys(needle, at, key.keys);
        } else {
            const auto byte = byteAt(needle, at);
            count = alikeCount_[byte];
            key.keys = {alike_[byte][0], alike_[byte][count > 1 ? 1 : 0]};
        }
        key.offset = at;
        if (count == 1) key.keys[1] = key.keys[0];
        return count <= key.keys.size();
    };
    plan.way = characters ? Plan::Way::utf8 : Plan::Way::bytes;
    if (!needle.empty() && !keysAt(anchor.first, plan.a)) {
        // An odd locale, or a letter of many forms.
        plan.way = characters ? Plan::Way::linearUtf8 : Plan::Way::linearBytes;
    }
    if (!needle.empty() && !keysAt(anchor.second, plan.b)) plan.b = plan.a;
    return plan;
}

std::size_t CaseRules::find(std::string_view haystack, std::string_view needle, std::size_t from,
                            const Plan& plan) const {
    if (needle.empty() || from >= haystack.size() || needle.size() > haystack.size() - from) {
        return npos;
    }
    switch (plan.way) {
        case Plan::Way::utf8:
            return findUtf8(haystack, needle, from, plan);
        case Plan::Way::linearUtf8:
            return findUtf8Linear(haystack, needle, from, plan.lead, plan.trail);
        case Plan::Way::linearBytes:
            return findBytesLinear(haystack, needle, from);
        default:
            return findBytes(haystack, needle, from, plan);
    }
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
                                 std::size_t from, const Plan& plan) const {
    const std::size_t lastIndex = needle.size() - 1;
    const unsigned char firstFolded = fold_[byteAt(needle, 0)];
    const unsigned char lastFolded = fold_[byteAt(needle, lastIndex)];
    const auto measure = [&](std::size_t at) -> std::size_t {
        // The needle's two ends reject most near-misses before the byte-by-byte comparison.
        if (fold_[byteAt(haystack, at)] != firstFolded ||
            fold_[byteAt(haystack, at + lastIndex)] != lastFolded) {
            return 0;
        }
        return matchLength(haystack, at, needle);
    };
    const auto linear = [&](std::size_t at) { return findBytesLinear(haystack, needle, at); };
    return scanForKeys(haystack, needle.size(), from, plan.a, plan.b, measure, linear);
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

std::size_t CaseRules::utf8MatchLength(std::string_view haystack, std::size_t at,
                                       std::string_view needle) const {
    // Letters match only letters of the same encoded length, so a match spans needle.size().
    // Text usually matches in the needle's own letter case, which one memcmp settles.
    if (at + needle.size() <= haystack.size() &&
        std::memcmp(haystack.data() + at, needle.data(), needle.size()) == 0) {
        return needle.size();
    }
    std::size_t n = 0;
    while (n < needle.size()) {
        const std::size_t h = at + n;
        if (h >= haystack.size()) return n;
        char32_t needleCp = 0;
        const std::size_t needleLength = decodeUtf8(needle, n, needleCp);
        if (needleLength <= 1) {  // ASCII, or a byte that is no character: compare bytes
            if (fold_[byteAt(haystack, h)] != fold_[byteAt(needle, n)]) return n;
            ++n;
            continue;
        }
        std::size_t same = 0;
        while (same < needleLength && h + same < haystack.size() &&
               haystack[h + same] == needle[n + same]) {
            ++same;
        }
        if (same < needleLength) {
            char32_t haystackCp = 0;
            if (decodeUtf8(haystack, h, haystackCp) != needleLength ||
                foldCodePoint(haystackCp) != foldCodePoint(needleCp)) {
                return n;
            }
        }
        n += needleLength;
    }
    return n;
}

std::size_t CaseRules::utf8Keys(std::string_view needle, std::size_t& at,
                                std::array<unsigned char, 2>& keys) const {
    const unsigned char byte = byteAt(needle, at);
    if (byte < 0x80) {
        keys = alike_[byte];
        return alikeCount_[byte];
    }
    // The character holding the byte starts at the last byte before it that continues none.
    std::size_t start = at;
    while (start > 0 && at - start < 3 && (byteAt(needle, start) & 0xC0u) == 0x80u) --start;
    char32_t cp = 0;
    const std::size_t length = decodeUtf8(needle, start, cp);
    if (length < 2 || start + length <= at) {  // no character: the byte matches only itself
        keys[0] = byte;
        return 1;
    }
    std::array<char32_t, kMaxCaseForms> forms{};
    const std::size_t formCount = caseForms(cp, forms);
    if (formCount > forms.size()) return formCount;
    std::array<std::string, kMaxCaseForms> encoded;
    for (std::size_t i = 0; i < formCount; ++i) appendUtf8(encoded[i], forms[i]);
    // A letter with more than two forms at that byte (such as Greek sigma) is scanned for by
    // its lead byte.
    for (const std::size_t offset : {at - start, std::size_t{0}}) {
        std::array<unsigned char, kMaxCaseForms> bytes{};
        std::size_t count = 0;
        for (std::size_t i = 0; i < formCount; ++i) {
            const auto key = static_cast<unsigned char>(encoded[i][offset]);
            if (std::find(bytes.begin(), bytes.begin() + count, key) == bytes.begin() + count)
                bytes[count++] = key;
        }
        if (count <= keys.size()) {
            std::copy_n(bytes.begin(), count, keys.begin());
            at = start + offset;
            return count;
        }
    }
    return formCount;
}

char32_t CaseRules::symbolAt(std::string_view text, std::size_t at, std::size_t& length) const {
    const unsigned char byte = byteAt(text, at);
    length = 1;
    if (byte < 0x80) return fold_[byte];
    // Two-byte characters, the most common past ASCII, are read here.
    if (byte >= 0xC2 && byte <= 0xDF && at + 1 < text.size() &&
        (byteAt(text, at + 1) & 0xC0u) == 0x80u) {
        length = 2;
        return foldCodePoint(((byte & 0x1Fu) << 6) | (byteAt(text, at + 1) & 0x3Fu));
    }
    char32_t cp = 0;
    length = decodeUtf8(text, at, cp);
    if (length != 0) return foldCodePoint(cp);
    length = 1;
    return kByteSymbols + byte;
}

std::size_t CaseRules::findUtf8(std::string_view haystack, std::string_view needle,
                                std::size_t from, const Plan& plan) const {
    const auto linear = [&](std::size_t at) {
        return findUtf8Linear(haystack, needle, at, plan.lead, plan.trail);
    };
    const auto measure = [&](std::size_t at) { return utf8MatchLength(haystack, at, needle); };
    return scanForKeys(haystack, needle.size(), from, plan.a, plan.b, measure, linear);
}

std::size_t CaseRules::findUtf8Linear(std::string_view haystack, std::string_view needle,
                                      std::size_t from, std::size_t lead, std::size_t trail) const {
    // Knuth-Morris-Pratt over characters, each folded into one value as it is read. Only the
    // bytes that are no character at the needle's ends can meet part of a haystack character;
    // the rest of the needle lines up with whole characters, which read the same from `from` +
    // `lead` as from the line's start wherever a match can begin (where no byte continues one).
    const std::string_view middle = needle.substr(lead, needle.size() - lead - trail);
    std::vector<char32_t> symbols;
    for (std::size_t at = 0, length = 0; at < middle.size(); at += length)
        symbols.push_back(symbolAt(middle, at, length));
    std::vector<std::size_t> border(symbols.size(), 0);
    for (std::size_t i = 1, k = 0; i < symbols.size(); ++i) {
        while (k > 0 && symbols[i] != symbols[k]) k = border[k - 1];
        if (symbols[i] == symbols[k]) ++k;
        border[i] = k;
    }
    for (std::size_t at = from + lead, length = 0, k = 0; at < haystack.size(); at += length) {
        const char32_t symbol = symbolAt(haystack, at, length);
        while (k > 0 && symbol != symbols[k]) k = border[k - 1];
        if (symbol == symbols[k]) ++k;
        if (k < symbols.size()) continue;
        k = border[k - 1];
        // The bytes at the ends, from the middle outwards: a byte that is part of a whole
        // character ends each comparison, which keeps the sum of them linear.
        const std::size_t end = at + length, start = end - middle.size();
        if (end + trail > haystack.size()) return npos;
        std::size_t i = 0;
        while (i < lead && haystack[start - 1 - i] == needle[lead - 1 - i]) ++i;
        if (i < lead) continue;
        i = 0;
        while (i < trail && haystack[end + i] == needle[needle.size() - trail + i]) ++i;
        if (i == trail) return start - lead;
    }
    return npos;
}

}  // namespace engine::detail
