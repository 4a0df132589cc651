#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <string>

#include "engine/engine.h"

namespace {

struct RewriteCase {
    const char* name;
    std::string line, start, stop, search, replacement, expected;
};

class RewriteTest : public testing::TestWithParam<RewriteCase> {};

TEST_P(RewriteTest, RewritesEverySegment) {
    const RewriteCase& c = GetParam();
    EXPECT_EQ(engine::rewrite(c.line, c.start, c.stop, c.search, c.replacement), c.expected);
}

const std::string kStart = R"(<a href="https://www.example.com/)";
const std::string kStop = R"(style="text-decoration: underline">)";

INSTANTIATE_TEST_SUITE_P(
    Segments, RewriteTest,
    testing::Values(
        RewriteCase{"NoStartMarker", "plain text", "<a", ">", "b", "i", "plain text"},
        RewriteCase{"EmptyLine", "", "<a", ">", "b", "i", ""},
        RewriteCase{"NoStopAfterStart", "x <a b", "<a", ">", "b", "i", "x <a b"},
        RewriteCase{"TwoSegments", "p <a b> q <a b> r", "<a", ">", "b", "i", "p <a i> q <a i> r"},
        RewriteCase{"FirstHitOnly", "<uu>", "<", ">", "u", "U", "<Uu>"},
        RewriteCase{"CaseIgnored", "<a x>", "<A", ">", "X", "y", "<a y>"},
        RewriteCase{"NestedStartBelongsToSegment", "<a <a b>> <a b>", "<a", ">", "b", "i",
                    "<a <a i>> <a i>"},
        RewriteCase{"StopInsideStart", "<ab>", "<ab", "b", "a", "x", "<xb>"},
        RewriteCase{"SearchAbsentResumesAfterSegment", "<a c> <a b>", "<a", ">", "b", "i",
                    "<a c> <a i>"},
        RewriteCase{"EmptySearch", "<a b>", "<a", ">", "", "i", "<a b>"},
        RewriteCase{"EmptyReplacementDeletes", "<a b> <a b>", "<a", ">", "b", "", "<a > <a >"},
        RewriteCase{"ReplacementNotSearchedAgain", "<a b> c>", "<a", ">", "b", "<a b>",
                    "<a <a b>> c>"},
        RewriteCase{"EmptyStartMarker", "xa>ya>", "", ">", "a", "b", "xb>yb>"},
        RewriteCase{"EmptiedSegmentResumesInPlace", "<a><a>", "<a", ">", "<a>", "", ""},
        RewriteCase{"EmptyStopMarkerLeavesLine", "<a b>", "<a", "", "b", "i", "<a b>"},
        RewriteCase{"AllEmpty", "abc", "", "", "", "", "abc"},
        RewriteCase{"SearchMustLieInSegment", "<a c>b", "<a", ">", "b", "i", "<a c>b"},
        RewriteCase{"DefaultTexts",
                    "<p><a href=\"https://www.example.com/x\" " + kStop + "Go</a> <a href=\"" +
                        "https://other.org/\" " + kStop + "</p>",
                    kStart, kStop, "underline", "underline line-through",
                    "<p><a href=\"https://www.example.com/x\" style=\"text-decoration: underline "
                    "line-through\">Go</a> <a href=\"https://other.org/\" " +
                        kStop + "</p>"},
        RewriteCase{"BytesOutsideSegmentsKept", std::string("\n\0\xff<a b>", 8), "<a", ">", "b",
                    "i", std::string("\n\0\xff<a i>", 8)}),
    [](const testing::TestParamInfo<RewriteCase>& param) { return param.param.name; });

TEST(FindTest, FollowsOneBasedPositions) {
    EXPECT_EQ(engine::find("abcabc", "BC", 1), 2);
    EXPECT_EQ(engine::find("abcabc", "bc", 3), 5);
    EXPECT_EQ(engine::find("abcabc", "bc", 6), 0);
    EXPECT_EQ(engine::find("abc", "", 2), 2);
    EXPECT_EQ(engine::find("abc", "", 3), 3);
    EXPECT_EQ(engine::find("abc", "", 4), 0);
    EXPECT_EQ(engine::find("", "", 1), 0);
    EXPECT_EQ(engine::find("", "a", 1), 0);
    EXPECT_EQ(engine::find("abc", "abcd", 1), 0);
}

TEST(ReplaceFirstTest, ReplacesOnlyTheFirstHit) {
    EXPECT_EQ(engine::replaceFirst("aXbxc", "x", "[x]"), "a[x]bxc");
    EXPECT_EQ(engine::replaceFirst("abc", "", "z"), "abc");
    EXPECT_EQ(engine::replaceFirst("abc", "d", "z"), "abc");
}

TEST(RewriteTest, LongLineWithManySegmentsIsExact) {
    std::string line, expected;
    for (int i = 0; i < 20000; ++i) {
        line += "x <A B> ";
        expected += "x <A i> ";
    }
    EXPECT_EQ(engine::rewrite(line, "<a", ">", "b", "i"), expected);
}

// Sets LC_CTYPE for one test and puts the previous one back.
class LocaleScope {
public:
    explicit LocaleScope(const char* name) : previous_(std::setlocale(LC_CTYPE, nullptr)) {
        ok_ = std::setlocale(LC_CTYPE, name) != nullptr;
    }
    ~LocaleScope() { std::setlocale(LC_CTYPE, previous_.c_str()); }
    bool ok() const { return ok_; }

private:
    std::string previous_;
    bool ok_ = false;
};

TEST(LetterCaseTest, Utf8LocaleFoldsLettersOfEqualLength) {
    LocaleScope locale("C.UTF-8");
    if (!locale.ok()) GTEST_SKIP() << "no C.UTF-8 locale";
    EXPECT_EQ(engine::find("x \xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89", 1), 3);  // ÉTÉ ~ été
    EXPECT_EQ(engine::find("\xD0\x9F\xD1\x80\xD0\xB8", "\xD0\xBF\xD0\xA0\xD0\x98", 1), 1);
    EXPECT_EQ(engine::find("\xCE\xA3", "\xCF\x82", 1), 1);  // Σ ~ ς
    // U+212A KELVIN SIGN lowers to ASCII k: lengths differ, so it matches only itself.
    EXPECT_EQ(engine::find("\xE2\x84\xAA", "k", 1), 0);
    EXPECT_EQ(engine::find("k\xE2\x84\xAA", "\xE2\x84\xAA", 1), 2);
    // A byte that is no character matches only itself.
    EXPECT_EQ(engine::find("a\xC3\xC3", "\xC3", 1), 2);
    EXPECT_EQ(engine::rewrite("<\xC3\x89T\xC3\x89>", "<", ">", "\xC3\xA9t", "E"), "<E\xC3\x89>");
}

TEST(LetterCaseTest, SingleByteLocaleUsesItsCaseTable) {
    LocaleScope locale("de_DE.ISO-8859-1");
    if (!locale.ok()) GTEST_SKIP() << "locale de_DE.ISO-8859-1 is not installed";
    EXPECT_EQ(engine::find("gro\xDF \xC4pfel", "\xE4PFEL", 1), 6);  // Äpfel ~ äPFEL
    EXPECT_EQ(engine::find("\xD6", "\xF6", 1), 1);
    EXPECT_EQ(engine::find("\xD6", "o", 1), 0);
}

TEST(LetterCaseTest, CLocaleMatchesOnlyAsciiLetters) {
    LocaleScope locale("C");
    EXPECT_EQ(engine::find("\xC4", "\xE4", 1), 0);
    EXPECT_EQ(engine::find("AbC", "aBc", 1), 1);
    EXPECT_EQ(engine::find("[@`{", "[@`{", 1), 1);
    EXPECT_EQ(engine::find("@", "`", 1), 0);  // neighbours of the letters are no letters
}

}  // namespace

namespace {

// Repetitive text makes every scanned hit a long near-match, which drives the search into its
// linear fallback; it must find what a plain search finds.
TEST(FindTest, RepetitiveTextAgreesWithAPlainSearch) {
    std::string repeated;
    for (int i = 0; i < 30000; ++i) repeated += "aB";
    std::string withHit = repeated;
    withHit.replace(50000, 2, "bb");
    const auto plain = [](const std::string& haystack, const std::string& needle,
                          std::size_t from) -> engine::Position {
        const auto equal = [](char x, char y) { return std::tolower(x) == std::tolower(y); };
        const auto it = std::search(haystack.begin() + static_cast<std::ptrdiff_t>(from),
                                    haystack.end(), needle.begin(), needle.end(), equal);
        return it == haystack.end() ? 0 : (it - haystack.begin()) + 1;
    };
    std::string pairs;
    for (int i = 0; i < 150; ++i) pairs += "ab";
    for (const std::string* haystack : {&repeated, &withHit}) {
        for (const std::string& needle : {pairs + "b", pairs + "a", "b" + pairs, pairs}) {
            for (const std::size_t from : {0u, 777u, 49000u}) {
                EXPECT_EQ(engine::find(*haystack, needle, static_cast<engine::Position>(from) + 1),
                          plain(*haystack, needle, from))
                    << needle.size() << " from " << from;
            }
        }
    }
}

}  // namespace
