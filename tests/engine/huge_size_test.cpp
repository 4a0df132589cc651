// A source past 2 GiB, generated on the fly and checked as it is written: the counters and the
// progress values must not wrap at 32 bits, and the output must hold every byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "engine/engine.h"
#include "memory_files.h"
#include "recording_host.h"

namespace {

using engine_test::RecordingHost;

TEST(HugeSizeTest, SourcePastTwoGibibytesIsCountedAndCopiedWhole) {
    // 2 GiB and a bit, in lines of 1 MiB, the last one without a terminator.
    const testfiles::GeneratedText text{(std::uint64_t{1} << 31) + 1000, std::uint64_t{1} << 20};
    // Nothing in it matches the texts, so the output is the source and a final CR LF.
    testfiles::GeneratedFiles files(
        "huge.txt", text, [&text](std::uint64_t offset, char* out, std::size_t n) {
            const std::uint64_t inSource = offset < text.size ? text.size - offset : 0;
            const auto fromSource = static_cast<std::size_t>(std::min<std::uint64_t>(n, inSource));
            text.fill(offset, out, fromSource);
            for (std::size_t i = fromSource; i < n; ++i) {
                out[i] = "\r\n"[offset + i - text.size];
            }
        });
    RecordingHost host;
    std::int64_t previous = 0;
    bool monotonic = true;
    host.onYield = [&](int) {
        monotonic = monotonic && host.progressValue >= previous;
        previous = host.progressValue;
    };

    EXPECT_EQ(engine::pass("huge.txt", "huge.txt", 0, host, files), engine::PassResult::completed);

    const auto size = static_cast<std::int64_t>(text.size);
    EXPECT_TRUE(host.failures.empty());
    EXPECT_TRUE(files.result.committed);
    EXPECT_EQ(files.result.written, text.size + 2);
    EXPECT_EQ(files.result.firstMismatch, UINT64_MAX) << "first wrong output byte";
    EXPECT_EQ(host.progressMax, size + 2);
    EXPECT_EQ(host.progressValue, size + 2);
    EXPECT_TRUE(monotonic);
    EXPECT_EQ(host.yields, 2049);
}

}  // namespace
