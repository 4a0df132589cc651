// Many files: lists of names and parallel workers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "cli_process.h"

namespace {

using namespace cli_test;
using namespace testing;

const std::vector<std::string> kTexts = {"--start",  "<a", "--stop",    ">",
                                         "--search", "b",  "--replace", "[i]"};

struct ListCase {
    const char* name;
    std::vector<std::string> arguments;
    std::string input;  // standard input
    Files lists = {};
};

// Names with blanks and a line end inside a name, which only NUL lists can carry.
TEST(CliBatchTest, ReadsFileListsWithNulsOrLineEnds) {
    const Files sources = {
        {"one two.htm", "<a b>\r\n"}, {"x\ny.htm", "<a bb>\r\n"}, {"sub/z.htm", "<A B>\r\n"}};
    const ListCase cases[] = {
        {"NUL list on standard input",
         {"-0", "--files-from", "-"},
         std::string("sub/z.htm\0one two.htm\0x\ny.htm\0", 31)},
        {"NUL list in a file, and a FILE first",
         {"sub/z.htm", "--null", "--files-from=l"},
         "",
         {{"l", std::string("one two.htm\0\0x\ny.htm", 21)}}},
        {"an empty list on standard input, then a NUL list in a file",
         {"--files-from", "-", "-0", "--files-from", "l"},
         "",
         {{"l", std::string("sub/z.htm\0one two.htm\0x\ny.htm", 30)}}},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        folder.write(sources);
        folder.write(c.lists);
        std::vector<std::string> arguments = kTexts;
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const Outcome outcome = runCli(arguments, folder.path, c.input);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.err,
                  "sub/z_new.htm: 1 line, 1 segment, 1 replacement\n"
                  "one two_new.htm: 1 line, 1 segment, 1 replacement\n"
                  "x\\x0ay_new.htm: 1 line, 1 segment, 1 replacement\n"
                  "3 files: 3 done, 3 changed, 0 failed; 3 lines, 3 segments, 3 replacements\n");
        const Files after = folder.read();
        EXPECT_EQ(after.at("sub/z_new.htm"), "<A [i]>\r\n");
        EXPECT_EQ(after.at("one two_new.htm"), "<a [i]>\r\n");
        EXPECT_EQ(after.at("x\ny_new.htm"), "<a [i]b>\r\n");
    }
    TempFolder folder;
    folder.write(sources);
    const Outcome lines = runCli(kTexts + std::vector<std::string>{"--files-from", "-"},
                                 folder.path, "\nsub/z.htm\none two.htm\n\n");
    EXPECT_EQ(lines.status, 0);
    EXPECT_THAT(lines.err, StartsWith("sub/z_new.htm: 1 line, 1 segment, 1 replacement\n"
                                      "one two_new.htm: 1 line"));
    EXPECT_THAT(lines.err, HasSubstr("2 files: 2 done"));
}

// 200 files of random lines, a few names that fail among them.
Files randomFiles(std::vector<std::string>& names) {
    std::mt19937 random(11);
    const char* const pieces[] = {"<a ", "b", "B", ">", " ", "x", "<A", "\r\n", "é"};
    Files files;
    for (int i = 0; i < 200; ++i) {
        std::string content;
        const unsigned length = random() % 3000;
        for (unsigned j = 0; j < length; ++j) content += pieces[random() % 9];
        const std::string name = "f" + std::to_string(i) + ".htm";
        files[name] = content;
        names.push_back(name);
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
    std::string reports[2], diffs[2];
    for (const int jobs : {1, 4}) {
        TempFolder folder;
        folder.write(sources);
        const Outcome outcome =
            runCli(kTexts + std::vector<std::string>{"--diff", "--jobs", std::to_string(jobs),
                                                     "--files-from", "-"},
                   folder.path, list);
        EXPECT_EQ(outcome.status, 1);  // the missing files
        results[jobs == 4] = folder.read();
        reports[jobs == 4] = outcome.err;
        diffs[jobs == 4] = outcome.out;
    }
    EXPECT_EQ(results[0].size(), 400u);
    EXPECT_TRUE(results[0] == results[1]) << "outputs differ between --jobs 1 and --jobs 4";
    EXPECT_EQ(reports[0], reports[1]);
    EXPECT_TRUE(diffs[0] == diffs[1]) << "diffs differ between --jobs 1 and --jobs 4";
    EXPECT_THAT(diffs[0], HasSubstr("\n--- f199.htm\n"));
    EXPECT_THAT(reports[0], HasSubstr("\nmissing7.htm: failed"));
    EXPECT_THAT(reports[0], ContainsRegex("\n204 files: 200 done, [0-9]+ changed, 4 failed; "
                                          "[^\n]*\n$"));
}

}  // namespace
