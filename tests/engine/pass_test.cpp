#include <gtest/gtest.h>

#include "engine/engine.h"
#include "recording_host.h"
#include "temp_folder.h"

namespace {

using engine_test::readFile;
using engine_test::RecordingHost;
using engine_test::TempFolder;
using engine_test::writeFile;
namespace fs = std::filesystem;

struct PassCase {
    const char* name;
    std::string source;
    std::string output;
    std::int64_t max;
    std::int64_t finalValue;
    int yields;
};

class PassTest : public testing::TestWithParam<PassCase> {};

TEST_P(PassTest, CopiesLinesWithCrLfAndReportsProgress) {
    const PassCase& c = GetParam();
    TempFolder folder;
    writeFile(folder / "page.htm", c.source);
    RecordingHost host;

    EXPECT_EQ(engine::pass(folder / "page.htm", folder / "page.htm", 3, host),
              engine::PassResult::completed);

    EXPECT_EQ(readFile(folder / "page_new.htm"), c.output);
    EXPECT_EQ(readFile(folder / "page.htm"), c.source);
    EXPECT_EQ(host.progressMax, c.max);
    EXPECT_EQ(host.progressValue, c.finalValue);
    EXPECT_EQ(host.yields, c.yields);
    EXPECT_EQ(host.eventsStartingWith("select"),
              (std::vector<std::string>{"select 3 on", "select 3 off"}));
    EXPECT_EQ(engine_test::fileCount(folder.path()), 2u) << "no temporary file is left";
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PassTest,
    testing::Values(PassCase{"Empty", "", "", 2, 0, 0},
                    PassCase{"OneEmptyLine", "\r\n", "\r\n", 4, 2, 1},
                    PassCase{"CrLfLines", "ab\r\ncd\r\n", "ab\r\ncd\r\n", 10, 8, 2},
                    PassCase{"LastLineWithoutTerminator", "ab\r\ncd", "ab\r\ncd\r\n", 8, 8, 2},
                    PassCase{"LfOnlyIsOneLine", "a\nb\n", "a\nb\n\r\n", 6, 6, 1},
                    PassCase{"LoneCrEndsALine", "ab\rcd\ref", "ab\r\ncd\r\nef\r\n", 10, 10, 3},
                    PassCase{"LoneCrTwice", "a\r\rb\rc", "a\r\n\r\nb\r\nc\r\n", 8, 8, 4},
                    PassCase{"TrailingLoneCr", "ab\r", "ab\r\n", 5, 3, 1},
                    PassCase{"SegmentsRewritten", "x <a b>\r\n<A B>", "x <a i>\r\n<A i>\r\n", 16,
                             16, 2}),
    [](const testing::TestParamInfo<PassCase>& param) { return param.param.name; });

TEST(PassStopTest, StopAtFirstYieldKeepsAnEmptyOutputAndTheSelection) {
    TempFolder folder;
    writeFile(folder / "a.htm", "<a b>\r\n<a b>\r\n");
    RecordingHost host;
    host.stopFlag = true;

    EXPECT_EQ(engine::pass(folder / "a.htm", folder / "a.htm", 0, host),
              engine::PassResult::stopped);
    EXPECT_EQ(readFile(folder / "a_new.htm"), "");
    EXPECT_EQ(host.eventsStartingWith("select"), std::vector<std::string>{"select 0 on"});
}

TEST(PassStopTest, StopMidFileKeepsTheLinesWrittenAndEditsApplyFromTheNextLine) {
    TempFolder folder;
    writeFile(folder / "a.htm", "<a b>\r\n<a b>\r\n<a b>\r\n<a b>\r\n");
    RecordingHost host;
    host.onYield = [&](int yield) {
        if (yield == 2) host.replacementText = "u";
        if (yield == 3) host.stopFlag = true;
    };

    EXPECT_EQ(engine::pass(folder / "a.htm", folder / "a.htm", 0, host),
              engine::PassResult::stopped);
    EXPECT_EQ(readFile(folder / "a_new.htm"), "<a i>\r\n<a u>\r\n");
    EXPECT_EQ(host.progressValue, 14);
}

TEST(PassFailureTest, MissingSourceLeavesAnEarlierOutputAsItWas) {
    TempFolder folder;
    writeFile(folder / "gone_new.htm", "earlier output");
    RecordingHost host;

    EXPECT_EQ(engine::pass(folder / "gone.htm", folder / "gone.htm", 0, host),
              engine::PassResult::completed);
    EXPECT_EQ(readFile(folder / "gone_new.htm"), "earlier output");
    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.failures[0].first, folder / "gone.htm");
    EXPECT_FALSE(host.failures[0].second.empty());
    EXPECT_TRUE(host.eventsStartingWith("select").empty());
    EXPECT_EQ(engine_test::fileCount(folder.path()), 1u);
}

TEST(OutputPathTest, RenamesTheFileNameOnly) {
    const fs::path folder = fs::path("my.site") / "sub.dir";
    EXPECT_EQ(engine::outputPath(folder / "index.html"), folder / "index_new.html");
    EXPECT_EQ(engine::outputPath(folder / "a.b.txt"), folder / "a_new.b_new.txt");
    EXPECT_EQ(engine::outputPath(folder / "README"), folder / "README_new");
    EXPECT_EQ(engine::outputPath("page.html"), fs::path("page_new.html"));
}

}  // namespace
