// Fuzzing of the pass's line reading: every line must reach the output in order, rewritten and
// ended by CR LF. Input: a mode byte (bit 0 folds the source into CR, LF, NUL, high bytes and
// markup), the read chunk size (0: all at once), the yield that presses Stop (0: none), source.
#include <clocale>

#include "../engine/test_support.h"
#include "reference_rewrite.h"

using reference::require;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return std::setlocale(LC_ALL, "C"), reference::takeLocale(), 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    std::string source;
    std::vector<std::string> lines(1);  // cut at CR LF or a lone CR; an empty tail is no line
    for (std::size_t i = 3; i < size; ++i) {
        source += (data[0] & 1) ? "\r\n\0a<>\xFF\x1a"[data[i] % 8] : char(data[i]);
        if (source.back() == '\r') lines.emplace_back();
        if (source.back() != '\r' && !source.ends_with("\r\n")) lines.back() += source.back();
    }
    if (lines.back().empty()) lines.pop_back();
    engine_test::TestFiles files;
    files.chunk = data[1] ? data[1] : SIZE_MAX;
    files.files["d/p.htm"] = source;
    engine_test::Host host;
    host.texts[0] = "<", host.texts[2] = "\n", host.texts[3] = "[LF]";
    const std::size_t stopAt = data[2];
    host.onYield = [&](int n) { host.stopFlag = static_cast<std::size_t>(n) == stopAt; };
    const auto result = engine::pass("d/p.htm", "d/p.htm", 0, host, files);
    const bool stops = stopAt != 0 && stopAt <= lines.size();
    std::string expected;
    for (std::size_t i = 0; i < (stops ? stopAt - 1 : lines.size()); ++i)
        expected += reference::rewrite(lines[i], "<", ">", "\n", "[LF]") + "\r\n";
    require(files.files.at("d/p_new.htm") == expected && host.failures.empty(), "output wrong");
    require(host.max == std::ssize(source) + 2, "maximum is not size + 2");
    require(host.yields == static_cast<int>(stops ? stopAt : lines.size()), "yields wrong");
    require(result == (stops ? engine::PassResult::stopped : engine::PassResult::completed) &&
                host.selects == (stops ? "0+" : "0+0-"),
            "result or selection wrong");
    return 0;
}
