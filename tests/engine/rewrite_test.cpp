#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>

#include "engine/engine.h"

namespace {

struct RewriteCase {
    std::string line, start, stop, search, replacement, expected;
};

// clang-format off
const RewriteCase kRewrites[] = {
    {"x <a b", "<a", ">", "b", "i", "x <a b"},                      // no stop after the start
    {"p <a b> q <A B> r", "<a", ">", "b", "i", "p <a i> q <A i> r"},
    {"<uu>", "<", ">", "u", "U", "<Uu>"},                           // the first hit only
    {"<a <a b>> <a b>", "<a", ">", "b", "i", "<a <a i>> <a i>"},    // a nested start is text
    {"<ab>", "<ab", "b", "a", "x", "<xb>"},                         // stop searched from the start
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
    for (const RewriteCase& c : kRewrites) {
        EXPECT_EQ(engine::rewrite(c.line, c.start, c.stop, c.search, c.replacement), c.expected)
            << c.line;
    }
    EXPECT_EQ(engine::find("abcabc", "BC", 1), 2);
    EXPECT_EQ(engine::find("abcabc", "bc", 3), 5);
    EXPECT_EQ(engine::find("abcabc", "bc", 6), 0);
    EXPECT_EQ(engine::find("abc", "", 3), 3);
    EXPECT_EQ(engine::replaceFirst("aXbxc", "x", "[x]"), "a[x]bxc");
}

// Repetitive text makes every scanned hit a long near-match, which drives the search into its
// linear fallback; it must find what a plain search finds.
TEST(RewriteTest, RepetitiveTextAgreesWithAPlainSearch) {
    std::string text, pairs;
    for (int i = 0; i < 30000; ++i) text += "aB";
    for (int i = 0; i < 150; ++i) pairs += "ab";
    const auto same = [](char x, char y) { return std::tolower(x) == std::tolower(y); };
    for (const bool withHit : {false, true}) {
        if (withHit) text.replace(50000, 2, "bb");
        for (const std::string& needle : {pairs + "b", pairs + "a", "b" + pairs, pairs}) {
            for (const std::ptrdiff_t from : {0, 777, 49000}) {
                const auto hit = std::search(text.begin() + from, text.end(), needle.begin(),
                                             needle.end(), same);
                EXPECT_EQ(engine::find(text, needle, from + 1),
                          hit == text.end() ? 0 : hit - text.begin() + 1)
                    << needle.size() << " from " << from << (withHit ? " with a hit" : "");
            }
        }
    }
}

TEST(RewriteTest, LettersPastAsciiFoldAsTheLocaleSays) {
    const bool utf8 = std::setlocale(LC_CTYPE, "C.UTF-8");
    if (utf8) {
        EXPECT_EQ(engine::find("x \xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89", 1), 3);  // ÉTÉ ~ été
        EXPECT_EQ(engine::find("\xCE\xA3", "\xCF\x82", 1), 1);                      // Σ ~ ς
        EXPECT_EQ(engine::find("\xE2\x84\xAA", "k", 1), 0);  // KELVIN SIGN ~ k, but of other length
        EXPECT_EQ(engine::find("a\xC3\xC3", "\xC3", 1), 2);  // no character: only itself
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
