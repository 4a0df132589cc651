// Sources that are not ordinary text: only CR or only LF bytes, NUL and high bytes, terminators
// that straddle the engine's read blocks, a line of 100 MB. Every byte must come through.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "engine/engine.h"
#include "memory_files.h"
#include "recording_host.h"
#include "reference_rewrite.h"
#include "temp_folder.h"

namespace {

using engine_test::readFile;
using engine_test::RecordingHost;
using engine_test::TempFolder;
using engine_test::writeFile;

constexpr std::size_t kMiB = std::size_t{1} << 20;

struct ContentCase {
    const char* name;
    std::function<std::string()> source;
};

void PrintTo(const ContentCase& c, std::ostream* out) {
    *out << c.name;
}

std::string allByteValues() {
    std::string text;
    for (int round = 0; round < 4; ++round) {
        for (int c = 0; c < 256; ++c) text += static_cast<char>(c);
    }
    return text + "<a \xE4\xC4 b>";
}

class OddContentTest : public testing::TestWithParam<ContentCase> {};

TEST_P(OddContentTest, EveryByteReachesTheOutput) {
    const std::string source = GetParam().source();
    TempFolder folder;
    writeFile(folder / "odd.txt", source);
    RecordingHost host;

    EXPECT_EQ(engine::pass(folder / "odd.txt", folder / "odd.txt", 0, host),
              engine::PassResult::completed);

    EXPECT_EQ(readFile(folder / "odd.txt"), source);
    EXPECT_EQ(readFile(folder / "odd_new.txt"),
              reference::passOutput(source, host.startMarker, host.stopMarker, host.searchText,
                                    host.replacementText));
    EXPECT_EQ(host.progressMax, static_cast<std::int64_t>(source.size()) + 2);
    EXPECT_EQ(host.progressValue, reference::finalProgress(source));
    EXPECT_EQ(host.yields, static_cast<int>(reference::splitLines(source).size()));
    EXPECT_TRUE(host.failures.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, OddContentTest,
    testing::Values(ContentCase{"OnlyCr", [] { return std::string(100000, '\r'); }},
                    ContentCase{"OnlyLf", [] { return std::string(100000, '\n'); }},
                    ContentCase{"OnlyNul", [] { return std::string(1000, '\0'); }},
                    ContentCase{"NulInsideSegments",
                                [] { return std::string("\0<a\0b>\0\r\n\0\r\0<A B\0>", 19); }},
                    ContentCase{"EveryByteValue", allByteValues},
                    ContentCase{"CrLfAcrossTwoBlocks",
                                [] { return std::string(kMiB - 1, 'x') + "\r\n<a b>"; }},
                    ContentCase{"LoneCrAtTheEndOfABlock",
                                [] { return std::string(kMiB - 1, 'x') + "\r<a b>\r"; }},
                    ContentCase{"LineSpanningBlocks",
                                [] { return "<a " + std::string(3 * kMiB, 'b') + ">\r\n\r\n"; }}),
    [](const testing::TestParamInfo<ContentCase>& param) { return param.param.name; });

// Held in memory: the file system adds nothing here but time.
TEST(LongLineTest, LineOf100MegabytesIsRewrittenWhole) {
    const std::string middle(100 * kMiB, 'x');
    testfiles::MemoryFiles files;
    files.files["long.txt"] = "<a b>" + middle + "<A B>\r\nend";
    const auto size = static_cast<std::int64_t>(files.files["long.txt"].size());
    RecordingHost host;

    EXPECT_EQ(engine::pass("long.txt", "long.txt", 0, host, files), engine::PassResult::completed);

    EXPECT_TRUE(files.files["long_new.txt"] == "<a i>" + middle + "<A i>\r\nend\r\n");
    EXPECT_EQ(host.progressValue, size + 2);
    EXPECT_EQ(host.yields, 2);
}

}  // namespace
