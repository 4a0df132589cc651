#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using engine_test::Host;
using engine_test::TestFiles;

struct PassCase {
    std::string source, output;
    std::int64_t max, finalValue;
    int yields;
};

const std::string kBytes = [] {
    std::string bytes;
    for (int c = 0; c < 256; ++c) bytes += static_cast<char>(c);
    return bytes;
}();

// A line ends at CR LF or a lone CR (one byte of progress); an open last line counts two.
// clang-format off
const PassCase kPasses[] = {
    {"", "", 2, 0, 0},
    {"\r\n", "\r\n", 4, 2, 1},
    {"ab\r\ncd\r\n", "ab\r\ncd\r\n", 10, 8, 2},
    {"ab\r\ncd", "ab\r\ncd\r\n", 8, 8, 2},
    {"a\nb\n", "a\nb\n\r\n", 6, 6, 1},
    {"\n\n\n", "\n\n\n\r\n", 5, 5, 1},
    {"ab\rcd\ref", "ab\r\ncd\r\nef\r\n", 10, 10, 3},
    {"a\r\rb\rc", "a\r\n\r\nb\r\nc\r\n", 8, 8, 4},
    {"ab\r", "ab\r\n", 5, 3, 1},
    {"\r\r\r", "\r\n\r\n\r\n", 5, 3, 3},
    {"x <a b>\r\n<A B>", "x <a i>\r\n<A i>\r\n", 16, 16, 2},
    {{"\0<a\xff\0B>\x1a\r\n\0", 11}, {"\0<a\xff\0i>\x1a\r\n\0\r\n", 13}, 13, 13, 2},
    {kBytes, kBytes.substr(0, 13) + "\r\n" + kBytes.substr(14) + "\r\n", 258, 258, 2},
};
// clang-format on

TEST(PassTest, CopiesEveryByteAndCountsProgress) {
    for (const PassCase& c : kPasses) {
        for (const std::size_t chunk : {SIZE_MAX, std::size_t{1}}) {  // 1: terminators split
            TestFiles files;
            files.chunk = chunk;
            files.files["p.htm"] = c.source;
            Host host;
            EXPECT_EQ(engine::pass("p.htm", "p.htm", 3, host, files),
                      engine::PassResult::completed);
            EXPECT_EQ(files.files["p_new.htm"], c.output) << testing::PrintToString(c.source);
            EXPECT_EQ(std::tuple(host.max, host.value, host.yields, host.selects),
                      std::tuple(c.max, c.finalValue, c.yields, "3+3-"))
                << testing::PrintToString(c.source) << ", chunk " << chunk;
        }
    }
}

TEST(PassTest, StopKeepsTheLinesWrittenAndEditsApplyFromTheNextLine) {
    for (const int stopAt : {1, 3}) {
        TestFiles files;
        files.files["a.htm"] = "<a b>\r\n<a b>\r\n<a b>\r\n<a b>\r\n";
        Host host;
        host.onYield = [&](int n) {
            if (n == 2) host.texts[3] = "u";
            host.stopFlag = n == stopAt;
        };
        EXPECT_EQ(engine::pass("a.htm", "a.htm", 0, host, files), engine::PassResult::stopped);
        EXPECT_EQ(files.files.at("a_new.htm"), stopAt == 1 ? "" : "<a i>\r\n<a u>\r\n");
        EXPECT_EQ(host.value, stopAt == 1 ? 0 : 14);
        EXPECT_EQ(host.selects, "0+") << "a stopped entry stays selected";
    }
}

TEST(PassTest, SizePastTwoGibibytesIsCountedIn64Bits) {
    TestFiles files;
    files.files["huge"] = std::string((1 << 20) - 1, 'x') + '\r';
    files.repeatTo = (std::uint64_t{1} << 31) + 1000;  // the last line without a terminator
    Host host;
    EXPECT_EQ(engine::pass("huge", "huge", 0, host, files), engine::PassResult::completed);
    const auto size = static_cast<std::int64_t>(files.repeatTo);
    EXPECT_EQ(files.written, files.repeatTo + 2048 + 2);  // each lone CR becomes CR LF
    EXPECT_EQ(std::tuple(host.max, host.value, host.yields), std::tuple(size + 2, size + 2, 2049));
}

}  // namespace
