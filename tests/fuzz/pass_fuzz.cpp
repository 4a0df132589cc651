// Fuzzing of the pass's line reading: every line must reach the output in order, rewritten and
// ended as it was. Input: a mode byte, the read chunk size (0: all at once), the yield that
// presses Stop (0: none), then the source. Mode bit 0 folds the source into line ends, NUL,
// high bytes and markup; bit 1 writes it as UTF-16 (one code unit per byte, with its mark),
// bit 2 big-endian, bit 3 with an odd byte after the last unit.
#include <clocale>

#include "../engine/test_support.h"
#include "reference_rewrite.h"

using reference::require;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return std::setlocale(LC_ALL, "C"), reference::takeLocale(), 0;
}

namespace {

struct SourceLine {
    std::string text, end;
};

// Cut at CR LF, a lone CR or an LF; an empty tail is no line.
std::vector<SourceLine> linesOf(const std::string& units) {
    std::vector<SourceLine> lines(1);
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char c = units[i];
        if (c != '\r' && c != '\n') {
            lines.back().text += c;
            continue;
        }
        lines.back().end = (c == '\r' && i + 1 < units.size() && units[i + 1] == '\n')
                               ? "\r\n"
                               : std::string(1, c);
        i += lines.back().end.size() - 1;
        lines.emplace_back();
    }
    if (lines.back().text.empty()) lines.pop_back();
    return lines;
}

// Each byte as one UTF-16 code unit, after the mark.
std::string asUtf16(const std::string& units, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : units) {
        bytes += bigEndian ? '\0' : c;
        bytes += bigEndian ? c : '\0';
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const bool utf16 = data[0] & 2, bigEndian = data[0] & 4, oddByte = utf16 && (data[0] & 8);
    std::string units;
    for (std::size_t i = 3; i < size; ++i)
        units += (data[0] & 1) ? "\r\n\0a<>\xFF\x1a"[data[i] % 8] : char(data[i]);
    // A UTF-16 file's units past ASCII are rewritten in UTF-8; the model keeps to ASCII there.
    if (utf16)
        for (char& c : units) c &= 0x7F;
    const std::vector<SourceLine> lines = linesOf(units);
    std::string source = utf16 ? asUtf16(units, bigEndian) : units;
    if (oddByte) source += '\x01';
    // An 8-bit source that starts like a UTF-16 mark is read as UTF-16.
    if (!utf16 && (units.starts_with("\xFF\xFE") || units.starts_with("\xFE\xFF"))) return 0;

    engine_test::TestFiles files;
    files.chunk = data[1] ? data[1] : SIZE_MAX;
    files.files["d/p.htm"] = source;
    engine_test::Host host;
    host.texts[0] = "<", host.texts[2] = "a", host.texts[3] = "[A]";
    const std::size_t stopAt = data[2];
    host.onYield = [&](int n) { host.stopFlag = static_cast<std::size_t>(n) == stopAt; };
    const auto result = engine::pass("d/p.htm", "d/p.htm", 0, host, files);

    // An odd byte after a closed last line is read as a line of its own.
    const std::size_t yields =
        lines.size() + (oddByte && (lines.empty() || !lines.back().end.empty()) ? 1 : 0);
    const bool stops = stopAt != 0 && stopAt <= yields;
    std::string expected;
    std::string lastEnd = "\r\n";
    const std::size_t written = stops ? std::min(stopAt - 1, lines.size()) : lines.size();
    for (std::size_t i = 0; i < written; ++i) {
        if (!lines[i].end.empty()) lastEnd = lines[i].end;
        expected += reference::rewrite(lines[i].text, "<", ">", "a", "[A]") + lastEnd;
    }
    if (utf16) expected = asUtf16(expected, bigEndian);
    if (oddByte && !stops) expected += '\x01';
    require(files.files.at("d/p_new.htm") == expected && host.failures.empty(), "output wrong");
    require(host.max == std::ssize(source) + 2, "maximum is not size + 2");
    require(stops || host.value == std::ssize(source) || host.value == std::ssize(source) + 2,
            "final value is neither the size nor two past it");
    require(host.yields == static_cast<int>(stops ? stopAt : yields), "yields wrong");
    require(result == (stops ? engine::PassResult::stopped : engine::PassResult::completed) &&
                host.selects == (stops ? "0+" : "0+0-"),
            "result or selection wrong");
    return 0;
}
