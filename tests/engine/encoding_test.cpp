#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <clocale>

#include "test_support.h"

namespace {

using namespace engine_test;
using engine::TextEncoding;

// UTF-16 with its byte-order mark; char16_t literals may hold unpaired surrogates.
std::string utf16(std::u16string_view text, bool bigEndian, bool mark = true) {
    std::string bytes = !mark ? "" : bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}
std::string le(std::u16string_view text) {
    return utf16(text, false);
}
std::string be(std::u16string_view text) {
    return utf16(text, true);
}

struct EncodingCase {
    const char* locale;
    std::string source;
    std::vector<std::string> texts;  // start, stop, search, replacement in UTF-8
    std::string output;
    TextEncoding encoding;
};

#ifdef _WIN32
const char* const kLatin1 = ".1252";  // Windows' Western code page: "é" is E9 and "É" C9 there too
const char* const kUtf8 = nullptr;    // not every C runtime on Windows has UTF-8 locales
#else
const char* const kLatin1 = "de_DE.ISO-8859-1";
const char* const kUtf8 = "C.UTF-8";
#endif
const std::vector<std::string> kAnchor = {"<a", ">", "b", "i"};
const std::vector<std::string> kSummer = {"<a", ">", "\xC3\xA9t\xC3\xA9", "hiver"};       // "été"
const std::vector<std::string> kAccent = {"<a", ">", "\xC3\xA9", "e"};                    // "é"
const std::vector<std::string> kCity = {"<a", ">", "\xC5\x82\xC3\x93\x44\xC5\xB9", "x"};  // "łÓDŹ"

// clang-format off
const EncodingCase kCases[] = {
    // UTF-16 in either byte order: segments rewritten, ends kept, the open last line ended.
    {"C", le(u"x <a b>\r\n<A B>\ny"), kAnchor, le(u"x <a i>\r\n<A i>\ny\n"), TextEncoding::utf16le},
    {"C", be(u"x <a b>\r<A B>\r\n"), kAnchor, be(u"x <a i>\r<A i>\r\n"), TextEncoding::utf16be},
    {"C", le(u"\u00e9\r\u00fc\r\nplain\r\n"), kAnchor, le(u"\u00e9\r\u00fc\r\nplain\r\n"),
     TextEncoding::utf16le},
    {"C", be(u"<a \u00c9T\u00c9> \u0416"), kSummer, be(u"<a hiver> \u0416\r\n"), TextEncoding::utf16be},
    {"C", le(u"<a \xD800 b \U0001F600>\xDC00"), {"<a", ">", "\xF0\x9F\x98\x80", "x"},
     le(u"<a \xD800 b x>\xDC00\r\n"), TextEncoding::utf16le},         // lone surrogates kept
    {"C", le(u"<a \xD800\u0141\u00F3d\u017A>"), kCity, le(u"<a \xD800x>\r\n"),
     TextEncoding::utf16le},                                          // right after a surrogate
    {"C", le(u"<a b>\n") + "\x01", kAnchor, le(u"<a i>\n") + "\x01", TextEncoding::utf16le},
    {"C", le(u"<a b>") + "\x01", kAnchor, le(u"<a i>\r\n") + "\x01", TextEncoding::utf16le},
    {"C", "\xFF\xFE", kAnchor, "\xFF\xFE", TextEncoding::utf16le},
    // UTF-8 by its mark or its bytes, whatever the locale.
    {kLatin1, "<a \xC3\x89T\xC3\x89>\n", kSummer, "<a hiver>\n", TextEncoding::utf8},
    {kLatin1, "\xEF\xBB\xBF<a \xC3\x89t\xC3\xA9>", kSummer, "\xEF\xBB\xBF<a hiver>\r\n",
     TextEncoding::utf8},
    {"C", "<a \xC3\x89t\xC3\xA9>", kSummer, "<a hiver>\r\n", TextEncoding::utf8},
    {kUtf8, "<a \xC3\x89t\xC3\xA9>", kSummer, "<a hiver>\r\n", TextEncoding::utf8},
    {"C", "<a \xC5\x81\xC3\xB3" "d\xC5\xBB \xC5\x81\xC3\xB3" "d\xC5\xBA>", kCity,  // Łódż Łódź
     "<a \xC5\x81\xC3\xB3" "d\xC5\xBB x>\r\n", TextEncoding::utf8},
    // 8-bit text in the locale's code page: "é" is E9 or C9 there, and never the bytes E3 A9.
    {kLatin1, "<a \xC9t\xE9>\r\n<a \xE3\xA9>", kAccent, "<a et\xE9>\r\n<a \xE3\xA9>\r\n",
     TextEncoding::codePage},
    {kLatin1, "<a b \xE9>", {"<a", ">", "b", "\xE2\x86\x92"}, "<a b \xE9>\r\n",  // no arrow here
     TextEncoding::codePage},
    {kUtf8, "<a \xC9t\xE9>", kAccent, "<a \xC9t\xE9>\r\n", TextEncoding::codePage},
    // An ASCII file takes a replacement past ASCII in the code page, or in UTF-8 where the
    // locale has no such letters.
    {kLatin1, "<a b>", {"<a", ">", "b", "\xC3\xBC"}, "<a \xFC>\r\n", TextEncoding::codePage},
#ifndef _WIN32
    {"C", "<a b>", {"<a", ">", "b", "\xC3\xBC"}, "<a \xC3\xBC>\r\n", TextEncoding::utf8},
#endif
};
// clang-format on

TEST(EncodingTest, EveryFileIsMatchedAndWrittenInItsOwnEncoding) {
    for (const EncodingCase& c : kCases) {
        if (c.locale == nullptr) continue;
        if (!std::setlocale(LC_ALL, c.locale)) {
            ADD_FAILURE() << c.locale << " is not installed";
            continue;
        }
        for (const std::size_t chunk : {SIZE_MAX, std::size_t{1}, std::size_t{3}}) {
            SCOPED_TRACE(testing::PrintToString(c.source) + " in " + c.locale + ", chunk " +
                         std::to_string(chunk));
            TestFiles files;
            files.chunk = chunk;
            files.files["p.txt"] = c.source;
            Host host;
            std::copy(c.texts.begin(), c.texts.end(), host.texts);
            EXPECT_EQ(engine::pass("p.txt", "p.txt", 0, host, files),
                      engine::PassResult::completed);
            EXPECT_EQ(files.files.at("p_new.txt"), c.output);
            EXPECT_EQ(host.stats.encoding, c.encoding);
            // The bar ends at the size, or two past it after an open last line.
            EXPECT_THAT(host.value, testing::AnyOf(std::int64_t(c.source.size()),
                                                   std::int64_t(c.source.size() + 2)));
        }
    }
    std::setlocale(LC_ALL, "C");
}

// Before its first byte past ASCII a file could be either; a replacement past ASCII is written
// in the form that byte decides, also in the lines before it.
TEST(EncodingTest, ALateByteDecidesTheFormOfEveryLine) {
    ASSERT_TRUE(std::setlocale(LC_ALL, kLatin1));
    std::string ascii;
    while (ascii.size() < (3u << 20) / 2) ascii += "<a b>\r\n";
    for (const auto& [tail, replacement] :
         {std::pair{"\xC3\xA9", "\xC3\xA9"}, std::pair{"\xE9", "\xE9"}}) {
        TestFiles files;
        files.files["late.txt"] = ascii + tail;
        Host host;
        host.texts[3] = "\xC3\xA9";  // "é"
        engine::pass("late.txt", "late.txt", 0, host, files);
        std::string expected;
        for (std::size_t i = 0; i < ascii.size() / 7; ++i)
            expected += "<a " + std::string(replacement) + ">\r\n";
        EXPECT_TRUE(files.files.at("late_new.txt") == expected + tail + "\r\n") << tail;
    }
    std::setlocale(LC_ALL, "C");
}

// Texts typed in the locale's own bytes reach a pass as UTF-8.
TEST(EncodingTest, LocaleTextBecomesUtf8) {
    ASSERT_TRUE(std::setlocale(LC_ALL, kLatin1));
    EXPECT_EQ(engine::localeTextToUtf8("\xC9t\xE9"), "\xC3\x89t\xC3\xA9");
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(engine::localeTextToUtf8("plain"), "plain");
#ifndef _WIN32  // Windows' "C" locale reads every byte as Latin-1
    EXPECT_EQ(engine::localeTextToUtf8("\xC3\xA9"), "\xC3\xA9");  // "C" reads no byte past ASCII
    EXPECT_EQ(engine::localeTextToUtf8("\xE9"), std::nullopt);
#endif
}

// A locale switched while a pass yields changes nothing for that pass.
TEST(EncodingTest, ALocaleSwitchedDuringAPassLeavesItsRulesAlone) {
    ASSERT_TRUE(std::setlocale(LC_ALL, kLatin1));
    std::string source;
    for (int i = 0; i < 200; ++i) source += "<a \xC9>\r\n";
    TestFiles files;
    files.files["s.txt"] = source;
    Host host;
    std::copy(kAccent.begin(), kAccent.end(), host.texts);
    const char* locales[] = {"C", kUtf8 ? kUtf8 : "C", kLatin1};
    host.onYield = [&](int n) { std::setlocale(LC_ALL, locales[n % 3]); };
    engine::pass("s.txt", "s.txt", 0, host, files);
    std::string expected;
    for (int i = 0; i < 200; ++i) expected += "<a e>\r\n";
    EXPECT_EQ(files.files.at("s_new.txt"), expected);
    std::setlocale(LC_ALL, "C");
}

}  // namespace
