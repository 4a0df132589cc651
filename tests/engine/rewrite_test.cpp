#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>

#include "engine/engine.h"

namespace {

// A line, the start and stop markers, the search and replacement texts, and the line rewritten.
// clang-format off
const std::string kRewrites[][6] = {
    {"x <a b", "<a", ">", "b", "i", "x <a b"},                      // no stop after the start
    {"p <a b> q <A B> r", "<a", ">", "b", "i", "p <a i> q <A i> r"},
    {"<uu>", "<", ">", "u", "U", "<Uu>"},                           // the first hit only
    {"<a <a b>> <a b>", "<a", ">", "b", "i", "<a <a i>> <a i>"},    // a nested start is text
    {"<ab>", "<", "<a", "a", "x", "<xb>"},                          // stop searched from the start
    {"<a bc> c", "<a", "bc", "c", "i", "<a bi> c"},                 // the segment ends after stop
    {"<a c>b <a b>", "<a", ">", "b", "i", "<a c>b <a i>"},          // the hit lies in the segment
    {"<a b> c>", "<a", ">", "b", "<a b>", "<a <a b>> c>"},          // replacement not searched
    {"xa>ya>", "", ">", "a", "b", "xb>yb>"},                        // empty start marker
    {"<a><a>", "<a", ">", "<a>", "", ""},                           // emptied segment
    {"<a b>", "<a", ">", "", "i", "<a b>"},                         // empty search
    {"<a b>", "<a", "", "b", "i", "<a b>"},                         // empty stop closes nothing
    {{"\n\0\xff<a b>", 8}, "<a", ">", "b", "i", {"\n\0\xff<a i>", 8}},
    {"<\xC4 @>", "<", ">", "\xE4", "x", "<\xC4 @>"},                // "C" folds ASCII letters only
    {R"(<a href="x" title="">)", "<a", "\">", "title", "alt", R"(<a href="x" alt="">)"},  // a near miss
};
// clang-format on

TEST(RewriteTest, RewritesEverySegmentAndFindsOneBasedPositions) {
    for (const auto& [line, start, stop, search, replacement, expected] : kRewrites)
        EXPECT_EQ(engine::rewrite(line, start, stop, search, replacement), expected) << line;
    EXPECT_EQ(engine::find("abcabc", "bc", 6), 0);
    EXPECT_EQ(engine::find("abc", "", 3), 3);
    EXPECT_EQ(engine::find("abc", "B", 0), 2);  // a start before the first byte is the first
    EXPECT_EQ(engine::find("abc", "", -4), 1);
    EXPECT_EQ(engine::replaceFirst("aXYbxyc", "xy", "[x]"), "a[x]bxyc");
}

// Repetitive text makes every scanned hit a long near-match, which drives the search into its
// linear fallback; it must find what a plain search finds: nothing, then a hit at 10000, then,
// for a needle that starts with the end of b, nothing again when the letter before it changes.
// The same in UTF-8, where that needle starts and ends with bytes that are no character.
TEST(RewriteTest, RepetitiveTextAgreesWithAPlainSearch) {
    // Byte by byte, "\xC3\x89" (É) folds like "\xC3\xA9" (é) as A does like a.
    const auto folded = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x80 ? std::tolower(byte) : byte < 0xA0 ? byte + 0x20 : byte;
    };
    const auto same = [&](char x, char y) { return folded(x) == folded(y); };
    // A near-match as long as the needle sends the search into the fallback right at the hit.
    std::string longPairs;
    while (longPairs.size() < 5000) longPairs += "ab";
    EXPECT_EQ(engine::find("ab" + longPairs + "cb", longPairs + "cb", 1), 3);
    // A locale, a letter a, a letter b and a's other case.
    const std::string letters[][4] = {{"C", "a", "b", "A"},
                                      {"C.UTF-8", "\xC3\xA9", "\xC3\xA8", "\xC3\x89"}};
    for (const auto& [locale, a, b, otherA] : letters) {
        if (!std::setlocale(LC_CTYPE, locale.c_str())) continue;
        const std::size_t width = a.size();
        std::string text, pairs;
        while (text.size() < 12000) text += otherA + b;
        while (pairs.size() < 300) pairs += a + b;
        const std::string endOfB = b.substr(width - 1), startOfA = a.substr(0, 1);
        for (int change = 0; change < 3; ++change) {
            if (change == 1) text.replace(10000, 2 * width, b + b);
            if (change == 2) text.replace(10000 - 300 - width, width, otherA);
            for (const std::string& needle :
                 {pairs + b, pairs + a, b + pairs, pairs, endOfB + pairs + b + startOfA,
                  endOfB + pairs + b + endOfB}) {
                for (const std::ptrdiff_t from : {0, 777, 9000}) {
                    const auto hit = std::search(text.begin() + from, text.end(), needle.begin(),
                                                 needle.end(), same);
                    EXPECT_EQ(engine::find(text, needle, from + 1),
                              hit == text.end() ? 0 : hit - text.begin() + 1)
                        << locale << " " << needle.size() << " from " << from << " after " << change
                        << " changes";
                }
            }
        }
    }
    std::setlocale(LC_CTYPE, "C");
}

TEST(RewriteTest, LettersPastAsciiFoldAsTheLocaleSays) {
    const bool utf8 = std::setlocale(LC_CTYPE, "C.UTF-8");
    // clang-format off
    const struct { std::string_view text, search; engine::Position at; } kUtf8[] = {
        {"x \xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89", 3},  // ÉTÉ ~ été
        {"\xC3\xA9t\xC3\xA8\xC3\xA9T\xC3\x89", "\xC3\x89t\xC3\xA9", 6},  // étè, then étÉ
        {"\xC3\xA9\xC3\x89x", "\xC3\xA9X", 3},            // right after a character
        {"\xC5\x81\xC3\xB3" "d\xC5\xBA", "\xC5\x82\xC3\x93" "D\xC5\xB9", 1},  // Łódź ~ łÓDŹ
        {"\xC4\x80\xC4\x82\xC4\x80\xC4\x81", "\xC4\x81\xC4\x80", 5},  // ĀĂĀā ~ āĀ
        {"\xC5\xBB\xC5\xB9", "\xC5\xBA", 3},              // ŻŹ ~ ź
        {"x\xCF\x83\xCF\x82", "\xCE\xA3\xCE\xA3", 2},     // σς ~ ΣΣ
        {"\xCE\xA3", "\xCF\x82", 1},                      // Σ ~ ς
        {"\xE2\x84\xAA", "k", 0},                         // KELVIN SIGN ~ k, but of other length
        {"stra\xC3\x9F" "e", "STRA\xE1\xBA\x9E" "E", 0},  // ẞ ~ ß, but of other length
        {"a\xC3\xC3", "\xC3", 2},                         // no character: only itself
        {"\xC3\xC3\xA9\xA9", "\xC3\x89\xA9", 2},          // among such bytes
        {"\xC3\x89\xC3\xA9", "\x89\xC3\x89", 2},          // one meeting the end of a character
        {"\xC3\x89", "\xA9", 0},                          // there: its own byte, not a folded one
        {"\xED\xA0\x80\xC3\x89", "\x80\xC3\xA9", 3},      // a surrogate's bytes are such bytes
    };
    // clang-format on
    if (utf8) {
        for (const auto& c : kUtf8) EXPECT_EQ(engine::find(c.text, c.search, 1), c.at) << c.search;
    }
    const bool latin1 = std::setlocale(LC_CTYPE, "de_DE.ISO-8859-1");
    if (latin1) {
        EXPECT_EQ(engine::find("gro\xDF \xC4pfel", "\xE4PFEL", 1), 6);  // Äpfel ~ äPFEL
        EXPECT_EQ(engine::find("\xD6", "o", 1), 0);
    }
    std::setlocale(LC_CTYPE, "C");
    if (!utf8 || !latin1) GTEST_SKIP() << "C.UTF-8 or de_DE.ISO-8859-1 is not installed";
}

}  // namespace
