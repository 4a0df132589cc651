// The diff: by hand for the program's output, applied by patch and git apply, against GNU diff
// for the hunks, and the escaping of bytes a terminal or JSON cannot take as they are.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "cli/escape.h"
#include "cli/unified_diff.h"
#include "cli_process.h"
#include "engine/engine.h"

namespace {

using namespace cli_test;
using namespace testing;

const std::vector<std::string> kTexts = {"--start",  "<", "--stop",    ">",
                                         "--search", "o", "--replace", "0"};

// Lines "l1" ... "lN" with the lines listed in `changed` holding a segment that changes.
std::string numberedLines(int count, std::initializer_list<int> changed) {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "l" + std::to_string(i) + (std::ranges::count(changed, i) ? " <o>\n" : "\n");
    return text;
}

const std::string kHead = "--- f.txt\n+++ f.txt\n";

// A case's name, the source, the options and the diff on standard output.
// clang-format off
const std::tuple<const char*, std::string, std::vector<std::string>, std::string> kDiffs[] = {
    {"a changed line with its context", numberedLines(9, {5}), {"--diff"},
     kHead + "@@ -2,7 +2,7 @@\n l2\n l3\n l4\n-l5 <o>\n+l5 <0>\n l6\n l7\n l8\n"},
    {"a file's own bytes: CR LF, a last line without an end", "a\r\n\x1b\xff<o>", {"--diff"},
     kHead + "@@ -1,2 +1,2 @@\n a\r\n-\x1b\xff<o>\n\\ No newline at end of file\n+\x1b\xff<0>\r\n"},
    {"colour as git diff has it", numberedLines(2, {2}), {"-U0", "--color=always"},
     "\x1b[1m--- f.txt\x1b[m\n\x1b[1m+++ f.txt\x1b[m\n\x1b[36m@@ -2 +2 @@\x1b[m\n"
     "\x1b[31m-l2 <o>\x1b[m\n\x1b[32m+l2 <0>\x1b[m\n"},
};
// clang-format on

TEST(CliDiffTest, PrintsTheExpectedHunks) {
    for (const auto& [name, source, arguments, out] : kDiffs) {
        for (const bool dryRun : {true, false}) {
            SCOPED_TRACE(std::string(name) + (dryRun ? ", dry run" : ", written"));
            TempFolder folder;
            folder.write({{"f.txt", source}});
            const Outcome outcome =
                runCli(with(with(kTexts, arguments), {dryRun ? "--dry-run" : "-j1", "f.txt"}),
                       folder.path);
            EXPECT_EQ(std::tuple(outcome.status, outcome.out, folder.read().size()),
                      std::tuple(0, out, dryRun ? 1u : 2u));
        }
    }
}

// Files of every kind of line end, with and without a last one, in UTF-8 with its mark and in
// an 8-bit code page, under the "C" locale: patch and git apply turn the sources into the
// outputs, byte for byte.
TEST(CliDiffTest, PatchAndGitApplyMakeTheOutputsOfTheSources) {
    const Files sources = {{"crlf.txt", "x\r\n<o>\r\n" + numberedLines(9, {7}) + "<o> <o>"},
                           {"cr.txt", "a\r<o>\rb\r\nc <O>\r"},
                           {"sub/bom.txt", "\xef\xbb\xbf<o>\r\nl\xc3\xa9\r\n"},
                           {"latin.txt", "caf\xe9 <o>\n\xe9t\xe9\n"},
                           {"same.txt", "l1\nl2\n"}};
    TempFolder folder;
    folder.write(sources);
    std::vector<std::string> arguments = with(kTexts, {"-q", "--diff"});
    for (const auto& [name, text] : sources) arguments.push_back(name);
    const fs::path diff = folder.path.parent_path() / (folder.path.filename().string() + ".diff");
    EXPECT_EQ(runCli(arguments, folder.path, {.locale = "C", .out = diff}).status, 0);
    for (const std::string command : {"patch -s -p0 < ", "git apply -p0 "}) {
        SCOPED_TRACE(command);
        TempFolder copy;
        copy.write(sources);
        EXPECT_EQ(std::system(("cd '" + copy.path.string() + "' && " + command + "'" +
                               diff.string() + "' 2>/dev/null")
                                  .c_str()),
                  0);
        for (const auto& [name, text] : sources) {
            const fs::path output = engine::outputPath(name);
            EXPECT_EQ(readFile(copy / name), readFile(folder / output)) << name;
        }
    }
    fs::remove(diff);
}

// Random files whose changed lines are marked, diffed by UnifiedDiff and by GNU diff, which
// finds the same pairs because every line is unique.
TEST(UnifiedDiffTest, AgreesWithGnuDiffOnRandomChanges) {
    if (std::system("diff --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no diff installed";
    std::mt19937 random(7);
    TempFolder folder;
    const fs::path before = folder.path / "before", after = folder.path / "after";
    for (int round = 0; round < 150; ++round) {
        const int lines = static_cast<int>(random() % 40);
        const int context = static_cast<int>(random() % 5);
        const unsigned density = 1 + random() % 6;  // 1 in `density` lines changes
        // Hunks far beyond a few bytes wait in a temporary file.
        std::string hunks;
        cli::UnifiedDiff diff(
            context, {}, "f", [&](std::string_view h) { hunks += h; }, 16);
        std::string a, b;
        for (int i = 1; i <= lines; ++i) {
            const std::string line = "line " + std::to_string(i);
            const std::string changed = random() % density == 0 ? line + " changed" : line;
            diff.line({line, changed, "\n", "\n"});
            a += line + "\n";
            b += changed + "\n";
        }
        std::ofstream(before, std::ios::binary) << a;
        std::ofstream(after, std::ios::binary) << b;
        const std::string command = "diff -U" + std::to_string(context) + " '" + before.string() +
                                    "' '" + after.string() + "' | tail -n +3 > '" +
                                    (folder.path / "gnu").string() + "'";
        ASSERT_NE(std::system(command.c_str()), -1);
        SCOPED_TRACE("round " + std::to_string(round) + ", context " + std::to_string(context));
        EXPECT_EQ(diff.finish(), a != b);
        const std::string gnu = readFile(folder.path / "gnu");
        EXPECT_EQ(hunks, gnu.empty() ? "" : "--- f\n+++ f\n" + gnu);
    }
}

// A changed line with a CR LF end, on a terminal and elsewhere: the style, the line before and
// after, and the lines shown.
// clang-format off
const std::tuple<cli::UnifiedDiff::Style, std::string, std::string, std::string> kShown[] = {
    {{true, true, false}, "a\x01<o\xff>\x1b[2J", "\xc3\xa9", "-a\\x01<o\\xff>\\x1b[2J\n+\xc3\xa9\n"},
    {{true, false, false}, "o", "\xc3\xa9", "-o\n+\\xc3\\xa9\n"},
    {{false, false, false}, "a\x01\xff\x1b", "\xc3\xa9", "-a\x01\xff\x1b\r\n+\xc3\xa9\r\n"},
    {{true, true, true}, "o\x1b", "0", "\x1b[31m-o\\x1b\x1b[m\n\x1b[32m+0\x1b[m\n"},
};
// clang-format on

TEST(UnifiedDiffTest, ShowsLinesSafelyOnATerminalAndAsTheirBytesElsewhere) {
    for (const auto& [style, before, after, lines] : kShown) {
        SCOPED_TRACE(PrintToString(before));
        std::string shown;
        cli::UnifiedDiff diff(0, style, "f", [&](std::string_view h) { shown += h; });
        diff.line({before, after, "\r\n", "\r\n"});
        diff.finish();
        EXPECT_THAT(shown, EndsWith("@@ -1 +1 @@" + std::string(style.color ? "\x1b[m" : "") +
                                    "\n" + lines));
    }
}

// A text, then as shown on a UTF-8 terminal, on an ASCII one ("": as on UTF-8) and in JSON.
// clang-format off
const std::string kEscapes[][4] = {
    {"plain \t text", "plain \t text", "", "plain \\t text"}, {"q\"b\\", "q\"b\\", "", "q\\\"b\\\\"},
    {{"\0\r\n\x1f\x7f", 5}, "\\x00\\x0d\\x0a\\x1f\\x7f", "", "\\u0000\\r\\n\\u001f\x7f"},
    {"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80",
     "\\xc3\\xa9\\xe2\\x82\\xac\\xf0\\x9f\\x98\\x80", "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"},
    {"\xc2\x9b", "\\xc2\\x9b", "", "\xc2\x9b"},                         // C1 control
    {"\xc0\xaf", "\\xc0\\xaf", "", "\\\\xc0\\\\xaf"},                   // overlong
    {"\xed\xa0\x80", "\\xed\\xa0\\x80", "", "\\\\xed\\\\xa0\\\\x80"},   // surrogate
    {"\xe2\x82", "\\xe2\\x82", "", "\\\\xe2\\\\x82"},                   // cut short
    {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80", "", "\\\\xf4\\\\x90\\\\x80\\\\x80"},  // past U+10FFFF
    {"a\xff\x62", "a\\xffb", "", "a\\\\xffb"},
};
// clang-format on

TEST(EscapeTest, ShowsOnlyWhatPrintsAsItself) {
    for (const auto& [text, utf8Terminal, asciiTerminal, json] : kEscapes) {
        SCOPED_TRACE(PrintToString(text));
        std::string utf8, ascii, escaped;
        cli::appendForTerminal(utf8, text, true);
        cli::appendForTerminal(ascii, text, false);
        cli::appendJsonString(escaped, text);
        EXPECT_EQ(
            std::tuple(utf8, ascii, escaped),
            std::tuple(utf8Terminal, asciiTerminal.empty() ? utf8Terminal : asciiTerminal, json));
    }
}

}  // namespace
