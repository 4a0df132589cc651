#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <clocale>

#include "engine/code_page.h"
#include "tests/support/support.h"

namespace {

using namespace test;
using enum engine::TextEncoding;

// Code units after their byte-order mark, one per element of a literal: le(u"...") is UTF-16 LE,
// be(U"...") UTF-32 BE; bare() is UTF-16 without a mark.
const auto be = [](const auto& text, bool bigEndian = true, bool mark = true) {
    return units({std::begin(text), std::end(text) - 1}, sizeof text[0], bigEndian, mark);
};
const auto le = [](const auto& text) { return be(text, false); };
const auto bare = [](const auto& text, bool bigEndian) { return be(text, bigEndian, false); };

struct EncodingCase {
    const char* locale;
    std::string source;
    std::vector<std::string> texts;  // start, stop, search, replacement in UTF-8
    std::string output;
    engine::TextEncoding encoding;
    bool binary = false;  // skipped when binary files are
};

// The locales of the rows; Windows' Western code page has "é" at E9 and "É" at C9 too, and not
// every C runtime on Windows has UTF-8 locales.
#ifdef _WIN32
const char *const kLatin1 = ".1252", *const kUtf8 = nullptr, *const kRussian = nullptr,
                  *const kTurkish = nullptr;
#else
const char *const kLatin1 = "de_DE.ISO-8859-1", *const kUtf8 = "C.UTF-8",
                  *const kRussian = "ru_RU.UTF-8", *const kTurkish = "tr_TR.ISO-8859-9";
#endif
const std::vector<std::string> kAnchor = {"<a", ">", "b", "i"};
const std::vector<std::string> kSummer = {"<a", ">", "\xC3\xA9t\xC3\xA9", "hiver"};  // "été"
const std::vector<std::string> kAccent = {"<a", ">", "\xC3\xA9", "e"};               // "é"
const std::vector<std::string> kAcute = {"<a", ">", "b", "\xC3\xA9"};
const std::vector<std::string> kCity = {"<a", ">", "\xC5\x82\xC3\x93\x44\xC5\xB9", "x"};  // "łÓDŹ"
const std::string kLong((1u << 20) - 2, 'x');  // to the end of a full read block
const std::string kLate = "\xC3\xA9" + std::string(60000, ' ') + "\xE9";  // not UTF-8 after all
const std::u32string kAcutes(300000, U'\u00e9');
const std::u32string kBlockX((1u << 19) - 2, U'x');  // with a UTF-16 mark: a read block less a unit

// Lines "<a x>", more than the read block and the look-ahead's first piece hold.
std::string lines(std::string_view x) {
    std::string text;
    for (int i = 0; i < 1 << 18; ++i) text.append("<a ").append(x).append(">\r\n");
    return text;
}

// clang-format off
const EncodingCase kCases[] = {
    // UTF-16 in either byte order: segments rewritten, ends kept, the open last line ended.
    {"C", le(u"x <a b>\r\n<A B>\ny"), kAnchor, le(u"x <a i>\r\n<A i>\ny\n"), utf16le},
    {"C", be(u"x <a b>\r<A B>\r\n"), kAnchor, be(u"x <a i>\r<A i>\r\n"), utf16be},
    {"C", be(u"<a \u00c9T\u00c9> \u0416\U0001F600"), kSummer, be(u"<a hiver> \u0416\U0001F600\r\n"), utf16be},
    {"C", le(u"<a \xD800 b \U0001F600>\xDC00"), {"<a", ">", "\xF0\x9F\x98\x80", "x"},
     le(u"<a \xD800 b x>\xDC00\r\n"), utf16le},  // lone surrogates kept
    {"C", le(u"<a \xD800\u0141\u00F3d\u017A>"), kCity, le(u"<a \xD800x>\r\n"), utf16le},  // after one
    // A start marker found in the units of any form of its letters: Ł, Greek sigma's three, and
    // Deseret's pairs of surrogates.
    {"C", le(u"<\u0142 b>\nx"), {"<\xC5\x81", ">", "b", "i"}, le(u"<\u0142 i>\nx\n"), utf16le},
    {"C", be(U"\u03C2< b>\n\u03A3< b>\n"), {"\xCF\x83<", ">", "b", "i"},
     be(U"\u03C2< i>\n\u03A3< i>\n"), utf32be},
    {"C", le(u"\U00010428 b>\n"), {"\xF0\x90\x90\x80", ">", "b", "i"}, le(u"\U00010428 i>\n"), utf16le},
    {"C", le(u"<a b>\n") + "\x01", kAnchor, le(u"<a i>\n") + "\x01", utf16le},
    {"C", le(u"<a b>") + "\x01", kAnchor, le(u"<a i>\r\n") + "\x01", utf16le},
    // UTF-32 by its mark: units that are no character kept, an incomplete last unit carried.
    {"C", le(U"x <a b>\r\n<A B>\ny"), kAnchor, le(U"x <a i>\r\n<A i>\ny\n"), utf32le},
    {"C", be(U"<a \xD800\xDC00\x110000\xFFFFFFFF \u00c9T\u00c9>\U0001F600") + "\x01\x02\x03", kSummer,
     be(U"<a \xD800\xDC00\x110000\xFFFFFFFF hiver>\U0001F600\r\n") + "\x01\x02\x03", utf32be},
    // UTF-16 without a mark where the sample shows it; where it does not, a last line that is
    // the second byte of a unit is given no end.
    {"C", bare(u"A\r\nB\r\n", false), kAnchor, bare(u"A\r\nB\r\n", false), utf16le},
    {"C", bare(u"<a b>\ny\u00e9", true) + "\x01", kAnchor, bare(u"<a i>\ny\u00e9\n", true) + "\x01", utf16be},
    {"C", bare(u"\u0416\r\n", false), kAnchor, bare(u"\u0416\r\n", false), codePage, true},
    // Binary: a NUL in the first 8 KiB, with no UTF-16 or UTF-32 mark (a UTF-8 one does not count).
    {"C", std::string("\x89PNG\0<a b>", 10), kAnchor, std::string("\x89PNG\0<a i>\r\n", 12), codePage, true},
    {"C", std::string("\xEF\xBB\xBF\0", 4), kAnchor, std::string("\xEF\xBB\xBF\0", 4), utf8, true},
    {"C", std::string(8191, 'x') + '\0', kAnchor, std::string(8191, 'x') + '\0' + "\r\n", codePage, true},
    {"C", std::string(8192, 'x') + '\0', kAnchor, std::string(8192, 'x') + '\0' + "\r\n", codePage},
    {"C", {"\0<\0\0", 4}, kAnchor, {"\0<\0\0\r\n", 6}, codePage, true},  // a NUL low byte
    // A CR LF that two read blocks share is one line end, which the open last line then takes.
    {"C", units(kBlockX + U"\r\ny", 2, false), kAnchor, units(kBlockX + U"\r\ny\r\n", 2, false), utf16le},
    // A line longer than the output's block is converted in pieces that end between characters.
    {"C", units(U"x" + kAcutes, 2, false), kAnchor, units(U"x" + kAcutes + U"\r\n", 2, false), utf16le},
    // A file that is only a mark comes out as it went in.
    {"C", le(U""), kAnchor, le(U""), utf32le}, {"C", be(U""), kAnchor, be(U""), utf32be},
    {"C", "\xEF\xBB\xBF", kAnchor, "\xEF\xBB\xBF", utf8},
    // UTF-8 by its mark or its bytes, whatever the locale.
    {kLatin1, "<a \xC3\x89T\xC3\x89>\n", kSummer, "<a hiver>\n", utf8},
    {kLatin1, "\xEF\xBB\xBF<a \xC3\x89t\xC3\xA9>", kSummer, "\xEF\xBB\xBF<a hiver>\r\n", utf8},
    {"C", "<a \xC5\x81\xC3\xB3" "d\xC5\xBB \xC5\x81\xC3\xB3" "d\xC5\xBA>", kCity,  // Łódż Łódź
     "<a \xC5\x81\xC3\xB3" "d\xC5\xBB x>\r\n", utf8},
    {"C", "<a b \xED\xA0\x80>", kAnchor, "<a i \xED\xA0\x80>\r\n", codePage},  // a surrogate
    // 8-bit text in the locale's code page: "é" is E9 or C9 there, and never the bytes E3 A9.
    {kLatin1, "<a \xC9t\xE9>\r\n<a \xE3\xA9>", kAccent, "<a et\xE9>\r\n<a \xE3\xA9>\r\n", codePage},
    {kLatin1, "<a b>", {"<\xD0\x96", ">", "b", "i"}, "<a b>\r\n", codePage},  // no Ж
    {kLatin1, "<a b \xE9>", {"<a", ">", "b", "\xE2\x86\x92"}, "<a b \xE9>\r\n", codePage},  // no arrow
    // Under a UTF-8 locale, in the Windows code page of its language (1252 for "C", 1251 for
    // Russian): "\xC3\xBC\xE2\x80\x93" is FC 96 in 1252.
    {kUtf8, "<a \xC9t\xE9>", kAccent, "<a et\xE9>\r\n", codePage},
    {kUtf8, "<p style=\"x\">Caf\xE9</p>", {"<p", ">", "x", "\xC3\xBC\xE2\x80\x93"},
     "<p style=\"\xFC\x96\">Caf\xE9</p>\r\n", codePage},
    {kRussian, "<a \xC6>", {"<a", ">", "\xD0\xB6", "\xD1\x8F"}, "<a \xFF>\r\n", codePage},  // Ж ~ ж, я
    // In Turkish, A-Z and a-z still match only each other: "i" is not "İ" (DD), nor "I" "ı" (FD).
    {kTurkish, "<a \xDD \xFD i>", {"<a", ">", "I", "x"}, "<a \xDD \xFD x>\r\n", codePage},
    // The sample runs 64 KiB from the first byte past ASCII, past the end of the read block.
    {"C", kLong + kLate, kAnchor, kLong + kLate + "\r\n", codePage},
    // Before its first byte past ASCII a file could be either; a replacement past ASCII is
    // written in the form that byte decides, also in the lines before it.
    {kLatin1, lines("b") + "\xE9", kAcute, lines("\xE9") + "\xE9\r\n", codePage},
    {kLatin1, lines("b") + "\xC3\xA9", kAcute, lines("\xC3\xA9") + "\xC3\xA9\r\n", utf8},
    // An ASCII file takes a replacement past ASCII in the code page, or in UTF-8 under a UTF-8
    // locale or where the locale has no such letters.
    {kLatin1, "<a b>", {"<a", ">", "b", "\xC3\xBC"}, "<a \xFC>\r\n", codePage},
    {kUtf8, "<a b>", {"<a", ">", "b", "\xC3\xBC"}, "<a \xC3\xBC>\r\n", utf8},
#ifndef _WIN32
    {"C", "<a b>", {"<a", ">", "b", "\xC3\xBC"}, "<a \xC3\xBC>\r\n", utf8},
#endif
};
// clang-format on

// A locale switched while a pass yields changes nothing for that pass; nor does the file
// changed on disk meanwhile, which it opens once.
TEST(EncodingTest, EveryFileIsMatchedAndWrittenInItsOwnEncoding) {
    for (const EncodingCase& c : kCases) {
        if (c.locale == nullptr) continue;
        for (const std::size_t chunk : {SIZE_MAX, std::size_t{1}, std::size_t{3}}) {
            SCOPED_TRACE(testing::PrintToString(c.source.substr(0, 200)) + " in " + c.locale +
                         ", chunk " + std::to_string(chunk));
            ASSERT_TRUE(std::setlocale(LC_ALL, c.locale)) << c.locale << " is not installed";
            TestFiles files;
            files.chunk = chunk;
            files.files["p.txt"] = c.source;
            Recorder pass;
            std::copy(c.texts.begin(), c.texts.end(), pass.text);
            pass.skipBinary = chunk == 3;
            pass.onYield = [&](int) {
                std::setlocale(LC_ALL, c.locale == kLatin1 ? "C" : kLatin1);
                files.files["p.txt"] = "\xC3\xA9";
            };
            const engine::FileReport report = pass.pass("p.txt", files);
            if (pass.skipBinary && c.binary) {
                EXPECT_EQ(std::tuple(report.outcome, report.reason, files.files.size()),
                          std::tuple(engine::FileReport::Outcome::skipped, "binary", 1u));
                continue;
            }
            EXPECT_EQ(report.outcome, engine::FileReport::Outcome::completed);
            const std::string& output = files.files.at("p_new.txt");
            EXPECT_TRUE(output == c.output) << testing::PrintToString(output.substr(0, 200));
            EXPECT_EQ(report.stats.encoding, c.encoding);
            // The bar ends at the size, or two past it after an open last line.
            EXPECT_THAT(pass.done, testing::AnyOf(std::int64_t(c.source.size()),
                                                  std::int64_t(c.source.size() + 2)));
        }
    }
    std::setlocale(LC_ALL, "C");
}

// The Windows code page of a UTF-8 locale's language (0 where no single-byte page fits), and a
// code page named instead of the locale's, by its number with "cp" or "windows-" or not.
TEST(EncodingTest, CodePagesGoByTheLocalesLanguageOrByTheirNumberAndLocaleTextBecomesUtf8) {
    const std::pair<const char*, int> kLocales[] = {
        {"C.UTF-8", 1252},     {"de_DE.UTF-8", 1252},       {"pl_PL.utf8", 1250},
        {"sr_RS.UTF-8", 1251}, {"sr_RS.UTF-8@latin", 1250}, {"el_GR.UTF-8", 1253},
        {"tr_TR.UTF-8", 1254}, {"lt_LT.UTF-8", 1257},       {"th_TH.UTF-8", 874},
        {"ja_JP.UTF-8", 0},    {"zz_ZZ.UTF-8", 0}};
    for (const auto& [name, page] : kLocales)
        EXPECT_EQ(engine::detail::CodePage::windowsPageOf(name), page) << name;
    const std::pair<const char*, bool> kNames[] = {
        {"1250", true},  {"cp1251", true}, {"Windows-874", true}, {"CP1258", true}, {"1249", false},
        {"1259", false}, {"utf-8", false}, {"cp", false},         {"1252x", false}};
    for (const auto& [name, known] : kNames) EXPECT_EQ(engine::setCodePage(name), known) << name;
    engine::setCodePage("");  // the locale's again
    // Texts typed in the locale's own bytes reach a pass as UTF-8.
    ASSERT_TRUE(std::setlocale(LC_ALL, kLatin1));
    EXPECT_EQ(engine::localeTextToUtf8("\xC9t\xE9"), "\xC3\x89t\xC3\xA9");
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(engine::localeTextToUtf8("plain"), "plain");
#ifndef _WIN32  // Windows' "C" locale reads every byte as Latin-1
    EXPECT_EQ(engine::localeTextToUtf8("\xC3\xA9"), "\xC3\xA9");  // "C" reads no byte past ASCII
    EXPECT_EQ(engine::localeTextToUtf8("\xE9"), std::nullopt);
#endif
}

}  // namespace
