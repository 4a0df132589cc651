// Many files: lists of names and parallel workers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <random>

#include "cli/glob.h"
#include "cli_process.h"

namespace {

using namespace cli_test;
using namespace testing;

const std::vector<std::string> kTexts = {"--start",  "<a", "--stop",    ">",
                                         "--search", "b",  "--replace", "[i]"};

std::string done(const std::string& output) {
    return output + ": 1 line, 1 segment, 1 replacement\n";
}

// A site with what a walk leaves out (an earlier output, hidden names, links, a binary file), and
// names with blanks and a line end inside a name, which only NUL lists can carry.
const std::string kLine = "<a b>\r\n";
const Files kFolder = {
    {"site/a.htm", kLine},          {"site/a_new.htm", kLine},
    {"site/B.html", kLine},         {"site/.hidden.htm", kLine},
    {"site/.git/x.htm", kLine},     {"site/sub/c.htm", kLine},
    {"site/sub/deep/d.htm", kLine}, {"site/img.png", std::string("\x89PNG\0", 5)},
    {"site/link.htm", "@a.htm"},    {"site/sub/up", "@.."},
    {"one two.htm", kLine},         {"x\ny.htm", "<a bb>\r\n"},
    {"sub/z.htm", "<A B>\r\n"}};

TEST(CliBatchTest, ReadsFileListsAndWalksFoldersInOrderLeavingOutWhatItShould) {
    const std::string binary = "site/img.png: skipped: binary\n";
    const std::string
        two = done("sub/z_new.htm") + done("one two_new.htm"),
        all = two + done("x\\x0ay_new.htm") +
              "3 files: 3 done, 3 changed, 0 failed; 3 lines, 3 segments, 3 replacements\n";
    const struct {
        std::vector<std::string> arguments;
        std::string report, input = "", list = "";  // the report, standard input, the file "l"
    } cases[] = {
        // clang-format off
        {{"sub/z.htm", "--null", "--files-from=l"}, all, "", std::string("one two.htm\0\0x\ny.htm", 21)},
        {{"--files-from", "-", "-0", "--files-from", "l"},  // an empty list, then a NUL one
         all, "", std::string("sub/z.htm\0one two.htm\0x\ny.htm", 30)},
        {{"--files-from", "-"},  // made on Windows
         two + "2 files: 2 done, 2 changed, 0 failed; 2 lines, 2 segments, 2 replacements\n",
         "\nsub/z.htm\r\none two.htm\r\n\n"},
        // clang-format on
        {{"-r", "site"},
         done("site/B_new.html") + done("site/a_new.htm") + binary + done("site/sub/c_new.htm") +
             done("site/sub/deep/d_new.htm") +
             "5 files: 4 done, 4 changed, 0 failed, 1 skipped; 4 lines, 4 segments, 4 "
             "replacements\n"},
        {{"-r", "--glob", "*.htm", "--glob=!deep", "site"},
         done("site/a_new.htm") + done("site/sub/c_new.htm") +
             "2 files: 2 done, 2 changed, 0 failed; 2 lines, 2 segments, 2 replacements\n"},
        {{"-r", "--glob", "sub/**/*.htm", "site/", "--glob", "*.png", "--binary"},
         "site/img_new.png: 1 line, 0 segments, 0 replacements\n" + done("site/sub/c_new.htm") +
             done("site/sub/deep/d_new.htm") +
             "3 files: 3 done, 2 changed, 0 failed; 3 lines, 2 segments, 2 replacements\n"},
        {{"-rL", "--hidden", "site"},
         done("site/.git/x_new.htm") + done("site/_new.hidden_new.htm") + done("site/B_new.html") +
             done("site/a_new.htm") + binary + "site/link.htm: skipped: listed twice\n" +
             done("site/sub/c_new.htm") + done("site/sub/deep/d_new.htm") +
             "8 files: 6 done, 6 changed, 0 failed, 2 skipped; 6 lines, 6 segments, 6 "
             "replacements\n"},
        {{"-r", "--glob", "*.html", "site/sub", "site/a.htm"},  // a file named is taken
         done("site/a_new.htm") +
             "1 file: 1 done, 1 changed, 0 failed; 1 line, 1 segment, 1 replacement\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(PrintToString(c.arguments));
        TempFolder folder;
        ASSERT_TRUE(folder.write(kFolder));
        folder.write({{"l", c.list}});
        const Outcome outcome = runCli(with(kTexts, c.arguments), folder.path, {c.input});
        EXPECT_EQ(std::tuple(outcome.status, outcome.err), std::tuple(0, c.report));
    }
    // A folder that cannot be read fails in its place, and one that cannot be written fails
    // its outputs, in a dry run too (as a user they are closed to).
    if (geteuid() != 0) return;
    TempFolder folder;
    folder.write({{"site/a.htm", kLine}, {"site/sub/c.htm", kLine}, {"site/z.htm", kLine}});
    fs::permissions(folder / "site/sub", fs::perms::owner_all, fs::perm_options::replace);
    for (const auto& [option, total] :
         {std::pair{"-rn", "0 would be written, 0 would change"}, {"-r", "0 done, 0 changed"}}) {
        const Outcome outcome =
            runCli(with(kTexts, {option, "site"}), folder.path, {.asUser = true});
        EXPECT_EQ(std::tuple(outcome.status, outcome.err),
                  std::tuple(1,
                             "site/a_new.htm: failed: Permission denied\nsite/sub: failed: "
                             "Permission denied\nsite/z_new.htm: failed: Permission denied\n"
                             "3 files: " +
                                 std::string(total) +
                                 ", 3 failed; 0 lines, 0 segments, 0 replacements\n"));
    }
}

TEST(CliBatchTest, GlobsMatchNamesAndPaths) {
    // clang-format off
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"*.htm", "a.htm", true}, {"*.htm", "a.html", false}, {"*", "a/b", false},
        {"a/*", "a/b", true}, {"**", "a/b/c", true}, {"**/c", "c", true}, {"**/c", "a/b/c", true},
        {"a/**/c", "a/c", true}, {"a/**/c", "a/x/y/c", true}, {"a/**/c", "ab/c", false},
        {"a/**", "a/x/y", true}, {"a**c", "abc", true}, {"a**c", "a/c", false},
        {"?.htm", "\xc3\xa9.htm", true}, {"?", "/", false}, {"[ab]x", "bx", true},
        {"[!ab]x", "bx", false}, {"[a-c]", "b", true}, {"[a-c]", "d", false}, {"[x", "[x", true},
        {"[]]", "]", true}, {"*.[ch]", "main.c", true}, {"", "", true}, {"a", "ab", false},
    };
    // clang-format on
    for (const auto& [pattern, path, matches] : cases)
        EXPECT_EQ(cli::globMatches(pattern, path), matches) << pattern << " " << path;
}

// A system that gives fewer threads than --jobs asks for (none, or two): the run goes on with
// those it has, or on its own thread.
TEST(CliBatchTest, ThreadsTheSystemRefusesLeaveTheRunWithThoseItHas) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root, to run as a user of its own";
    for (const int threads : {1, 3}) {
        TempFolder folder;
        fs::permissions(folder.path, fs::perms::all);
        const Outcome outcome =
            runCli(with(with(kTexts, {"-j8"}), numberedFiles(folder.path, 40, kLine)), folder.path,
                   {.asUser = true, .threads = threads});
        EXPECT_EQ(std::tuple(outcome.status, folder.read().size()), std::tuple(0, 80u));
        EXPECT_THAT(outcome.err,
                    EndsWith("40 files: 40 done, 40 changed, 0 failed; 40 lines, 40 segments, "
                             "40 replacements\n"));
    }
}

// 200 files of random lines, a few names that fail among them.
Files randomFiles(std::vector<std::string>& names) {
    std::mt19937 random(11);
    const char* const pieces[] = {"<a ", "b", "B", ">", " ", "x", "<A", "\r\n", "é"};
    Files files;
    for (int i = 0; i < 200; ++i) {
        std::string& content = files[names.emplace_back("f" + std::to_string(i) + ".htm")];
        const unsigned length = random() % 3000;
        for (unsigned j = 0; j < length; ++j) content += pieces[random() % 9];
        if (i % 50 == 7) names.push_back("missing" + std::to_string(i) + ".htm");
    }
    return files;
}

// The diffs too, which wait for their turn while other files are done.
TEST(CliBatchTest, FourJobsWriteAndReportExactlyWhatOneJobDoes) {
    std::vector<std::string> names;
    const Files sources = randomFiles(names);
    std::string list;
    for (const std::string& name : names) list += name + '\n';
    Files results[2];
    Outcome outcomes[2];
    for (const int jobs : {1, 4}) {
        TempFolder folder;
        folder.write(sources);
        outcomes[jobs == 4] =
            runCli(with(kTexts, {"--diff", "--jobs", std::to_string(jobs), "--files-from", "-"}),
                   folder.path, {list});
        EXPECT_EQ(outcomes[jobs == 4].status, 1);  // the missing files
        results[jobs == 4] = folder.read();
    }
    EXPECT_EQ(results[0].size(), 400u);
    EXPECT_TRUE(results[0] == results[1]) << "outputs differ between --jobs 1 and --jobs 4";
    EXPECT_EQ(outcomes[0].err, outcomes[1].err);
    EXPECT_TRUE(outcomes[0].out == outcomes[1].out) << "diffs differ between --jobs 1 and --jobs 4";
    EXPECT_THAT(outcomes[0].out, HasSubstr("\n--- f199.htm\n"));
    EXPECT_THAT(outcomes[0].err, HasSubstr("\nmissing7.htm: failed"));
    EXPECT_THAT(outcomes[0].err, ContainsRegex("\n204 files: 200 done, [0-9]+ changed, 4 failed; "
                                               "[^\n]*\n$"));
}

}  // namespace
