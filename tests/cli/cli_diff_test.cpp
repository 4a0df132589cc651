// The diff: by hand for the program's output, against GNU diff for the hunks, and the
// escaping of bytes a terminal or JSON cannot take as they are.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "cli/escape.h"
#include "cli/unified_diff.h"
#include "cli_process.h"

namespace {

using namespace cli_test;
using namespace testing;

const std::vector<std::string> kTexts = {"--start",  "<", "--stop",    ">",
                                         "--search", "o", "--replace", "0"};

// Lines "l1" ... "lN" with the lines listed in `changed` holding a segment that changes.
std::string numberedLines(int count, std::initializer_list<int> changed) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        text += "l" + std::to_string(i);
        if (std::find(changed.begin(), changed.end(), i) != changed.end()) text += " <o>";
        text += "\r\n";
    }
    return text;
}

struct DiffCase {
    const char* name;
    std::string source;
    std::vector<std::string> arguments;
    std::string out;
};

const std::string kHead = "--- f.txt\n+++ f_new.txt\n";

// clang-format off
const DiffCase kDiffs[] = {
    {"a changed line with its context", numberedLines(9, {5}), {"--diff"},
     kHead + "@@ -2,7 +2,7 @@\n l2\n l3\n l4\n-l5 <o>\n+l5 <0>\n l6\n l7\n l8\n"},
    {"context cut at the file's edges", numberedLines(3, {1, 3}), {"--diff"},
     kHead + "@@ -1,3 +1,3 @@\n-l1 <o>\n+l1 <0>\n l2\n-l3 <o>\n+l3 <0>\n"},
    {"two hunks", numberedLines(16, {2, 12}), {"--diff"},
     kHead + "@@ -1,5 +1,5 @@\n l1\n-l2 <o>\n+l2 <0>\n l3\n l4\n l5\n"
     "@@ -9,7 +9,7 @@\n l9\n l10\n l11\n-l12 <o>\n+l12 <0>\n l13\n l14\n l15\n"},
    {"hunks whose contexts touch are one", numberedLines(10, {2, 9}), {"--diff"},
     kHead + "@@ -1,10 +1,10 @@\n l1\n-l2 <o>\n+l2 <0>\n l3\n l4\n l5\n l6\n l7\n l8\n-l9 <o>\n"
     "+l9 <0>\n l10\n"},
    {"a run of changes: old lines, then new", numberedLines(4, {2, 3}), {"-U", "0"},
     kHead + "@@ -2,2 +2,2 @@\n-l2 <o>\n-l3 <o>\n+l2 <0>\n+l3 <0>\n"},
    {"-U1 and a one-line hunk", numberedLines(6, {1, 5}), {"-U1", "--diff"},
     kHead + "@@ -1,2 +1,2 @@\n-l1 <o>\n+l1 <0>\n l2\n@@ -4,3 +4,3 @@\n l4\n-l5 <o>\n+l5 <0>\n l6\n"},
    {"-U0 shows one line without a count", numberedLines(3, {2}), {"--unified=0"},
     kHead + "@@ -2 +2 @@\n-l2 <o>\n+l2 <0>\n"},
    {"no change, no diff", numberedLines(5, {}), {"--diff"}, ""},
    {"control bytes and invalid UTF-8 escaped", "a\x01<o\xff>\x1b[2J\r\n", {"--diff"},
     kHead + "@@ -1 +1 @@\n-a\\x01<o\\xff>\\x1b[2J\n+a\\x01<0\\xff>\\x1b[2J\n"},
    {"UTF-8 shown as it is", "\xc3\xa9<o> \xe2\x82\xac\r\n", {"--diff"},
     kHead + "@@ -1 +1 @@\n-\xc3\xa9<o> \xe2\x82\xac\n+\xc3\xa9<0> \xe2\x82\xac\n"},
};
// clang-format on

TEST(CliDiffTest, PrintsTheExpectedHunks) {
    for (const DiffCase& c : kDiffs) {
        for (const bool dryRun : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (dryRun ? ", dry run" : ", written"));
            TempFolder folder;
            folder.write({{"f.txt", c.source}});
            std::vector<std::string> arguments = kTexts;
            arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
            if (dryRun) arguments.push_back("--dry-run");
            arguments.push_back("f.txt");
            const Outcome outcome = runCli(arguments, folder.path);
            EXPECT_EQ(outcome.status, 0);
            EXPECT_EQ(outcome.out, c.out);
            EXPECT_EQ(folder.read().size(), dryRun ? 1u : 2u);
        }
    }
}

TEST(CliDiffTest, EscapesEveryByteOutsideAsciiWhenTheTerminalIsNotUtf8) {
    TempFolder folder;
    folder.write({{"f.txt", "\xc3\xa9<o>\r\n"}});
    const Outcome outcome = runCli(
        {"--start", "<", "--stop", ">", "--search", "o", "--replace", "0", "-n", "--diff", "f.txt"},
        folder.path, "", "C");
    EXPECT_EQ(outcome.out,
              "--- f.txt\n+++ f_new.txt\n@@ -1 +1 @@\n-\\xc3\\xa9<o>\n+\\xc3\\xa9<0>\n");
}

TEST(CliDiffTest, JsonCarriesTheDiff) {
    TempFolder folder;
    folder.write({{"f.txt", numberedLines(2, {2})}});
    std::vector<std::string> arguments = kTexts;
    arguments.insert(arguments.end(), {"--json", "-U0", "-n", "f.txt"});
    const Outcome outcome = runCli(arguments, folder.path);
    EXPECT_THAT(outcome.out, HasSubstr("\"replacements\": 1, \"diff\": \"--- f.txt\\n+++ "
                                       "f_new.txt\\n@@ -2 +2 @@\\n-l2 <o>\\n+l2 <0>\\n\"}"));
    EXPECT_EQ(outcome.err, "");
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
        cli::UnifiedDiff diff(context, true);
        std::string a, b;
        for (int i = 1; i <= lines; ++i) {
            const std::string line = "line " + std::to_string(i);
            const std::string changed = random() % density == 0 ? line + " changed" : line;
            diff.line(line, changed);
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
        EXPECT_EQ(diff.finish(), readFile(folder.path / "gnu"));
    }
}

struct EscapeCase {
    std::string text;
    std::string utf8Terminal, asciiTerminal, json;
};

const EscapeCase kEscapes[] = {
    {"plain \t text", "plain \t text", "plain \t text", "plain \\t text"},
    {"q\"b\\", "q\"b\\", "q\"b\\", "q\\\"b\\\\"},
    {std::string("\0\r\n\x1f\x7f", 5), "\\x00\\x0d\\x0a\\x1f\\x7f", "\\x00\\x0d\\x0a\\x1f\\x7f",
     "\\u0000\\r\\n\\u001f\x7f"},
    {"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80",
     "\\xc3\\xa9\\xe2\\x82\\xac\\xf0\\x9f\\x98\\x80", "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"},
    {"\xc2\x9b", "\\xc2\\x9b", "\\xc2\\x9b", "\xc2\x9b"},                             // C1 control
    {"\xc0\xaf", "\\xc0\\xaf", "\\xc0\\xaf", "\\\\xc0\\\\xaf"},                       // overlong
    {"\xed\xa0\x80", "\\xed\\xa0\\x80", "\\xed\\xa0\\x80", "\\\\xed\\\\xa0\\\\x80"},  // surrogate
    {"\xe2\x82", "\\xe2\\x82", "\\xe2\\x82", "\\\\xe2\\\\x82"},                       // cut short
    {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80", "\\xf4\\x90\\x80\\x80",
     "\\\\xf4\\\\x90\\\\x80\\\\x80"},  // past U+10FFFF
    {"a\xff"
     "b",
     "a\\xffb", "a\\xffb", "a\\\\xffb"},
};

TEST(EscapeTest, ShowsOnlyWhatPrintsAsItself) {
    for (const EscapeCase& c : kEscapes) {
        SCOPED_TRACE(PrintToString(c.text));
        std::string utf8, ascii, json;
        cli::appendForTerminal(utf8, c.text, true);
        cli::appendForTerminal(ascii, c.text, false);
        cli::appendJsonString(json, c.text);
        EXPECT_EQ(utf8, c.utf8Terminal);
        EXPECT_EQ(ascii, c.asciiTerminal);
        EXPECT_EQ(json, c.json);
    }
}

}  // namespace
