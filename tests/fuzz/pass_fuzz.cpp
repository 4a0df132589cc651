// Fuzzing of the pass's line reading: every line must reach the output in order, rewritten and
// ended as it was. Input: a mode byte, the read chunk size (0: all at once), the yield that
// presses Stop (0: none), then the source. Mode bit 0 folds the source into line ends, NUL,
// high bytes and markup; bit 1 writes it in code units (one per byte, with its mark), UTF-32
// with bit 4, UTF-16 without a mark with bit 5 (and not bit 4); bit 2 big-endian; bit 3 adds an
// incomplete last unit (1 to 3 bytes by bits 6 and 7 in UTF-32).
#include <algorithm>
#include <clocale>

#include "reference_rewrite.h"
#include "tests/support/support.h"

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
        if (units[i] != '\r' && units[i] != '\n') {
            lines.back().text += units[i];
            continue;
        }
        const bool crLf = units.compare(i, 2, "\r\n") == 0;
        lines.back().end = crLf ? "\r\n" : std::string(1, units[i]);
        i += crLf;
        lines.emplace_back();
    }
    if (lines.back().text.empty()) lines.pop_back();
    return lines;
}

// The code unit that stands for a byte past ASCII: a character of one to four bytes in UTF-8,
// or a unit that is none (a lone or paired surrogate, a value past U+10FFFF).
std::uint32_t unitFor(unsigned char c, bool utf32, bool mark) {
    if (c < 0x80 || !mark) return c;
    const std::uint32_t units[] = {c, 0xD800u | c, 0xDC00u | c, 0x1F600u + c,
                                   c & 1 ? 0x110000u + (c << 16) : 0xFFFFFF00u | c};
    return units[c % (utf32 ? 5 : 3)];
}

// Each byte as one code unit of `size` bytes, after the mark if there is one.
std::string asUnits(const std::string& symbols, int size, bool bigEndian, bool mark) {
    std::u32string values;
    for (const char c : symbols) values += unitFor(static_cast<unsigned char>(c), size == 4, mark);
    return test::units(values, size, bigEndian, mark);
}

// Whether a source would be taken for UTF-16 by a mark, or by NUL in all its high bytes and
// none of its low ones.
bool looksWide(const std::string& s) {
    for (const char* mark : {"\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF"})
        if (s.starts_with(mark)) return true;
    if (s.starts_with(std::string("\0\0\xFE\xFF", 4))) return true;
    for (std::size_t high = 0; high < 2 && s.size() >= 2; ++high) {
        bool all = true;
        for (std::size_t i = 0; i + 1 < s.size(); i += 2)
            all = all && s[i + high] == '\0' && s[i + 1 - high] != '\0';
        if (all) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const bool wide = data[0] & 2, bigEndian = data[0] & 4, utf32 = wide && (data[0] & 16);
    const bool mark = !wide || utf32 || !(data[0] & 32);
    const int unitSize = utf32 ? 4 : 2;
    const std::size_t trailing = wide && (data[0] & 8) ? 1 + (utf32 ? (data[0] >> 6) % 3 : 0) : 0;
    std::string units;
    for (std::size_t i = 3; i < size; ++i)
        units += (data[0] & 1) ? "\r\n\0a<>\xFF\x1a"[data[i] % 8] : char(data[i]);
    // Without a mark, UTF-16 shows by a NUL in every high byte: its units are never NUL.
    if (!mark) std::replace(units.begin(), units.end(), '\0', 'z');
    if (!mark && units.empty()) return 0;
    // UTF-16 LE that begins with U+0000 begins with UTF-32 LE's mark.
    if (wide && !utf32 && !bigEndian && mark && units.starts_with('\0')) return 0;
    const std::vector<SourceLine> lines = linesOf(units);
    std::string source = wide ? asUnits(units, unitSize, bigEndian, mark) : units;
    source += std::string("\x01\x02\x03", trailing);
    if (!wide && looksWide(source)) return 0;

    test::TestFiles files;
    files.chunk = data[1] ? data[1] : SIZE_MAX;
    files.files["d/p.htm"] = source;
    test::Recorder pass;
    pass.text[0] = "<", pass.text[2] = "a", pass.text[3] = "[A]";
    const std::size_t stopAt = data[2];
    pass.onYield = [&](int n) { pass.stop = static_cast<std::size_t>(n) == stopAt; };
    const engine::FileReport report = pass.pass("d/p.htm", files);

    // An incomplete unit after a closed last line is read as a line of its own.
    const std::size_t yields =
        lines.size() + (trailing && (lines.empty() || !lines.back().end.empty()) ? 1 : 0);
    const bool stops = stopAt != 0 && stopAt <= yields;
    std::string expected;
    std::string lastEnd = "\r\n";
    const std::size_t written = stops ? std::min(stopAt - 1, lines.size()) : lines.size();
    for (std::size_t i = 0; i < written; ++i) {
        if (!lines[i].end.empty()) lastEnd = lines[i].end;
        // 8-bit text that ends on a lone NUL at an odd offset may be UTF-16: it gets no end.
        const bool halfUnit = !wide && i + 1 == lines.size() && lines[i].end.empty() &&
                              lines[i].text == std::string(1, '\0') && units.size() % 2 == 0;
        expected +=
            reference::rewrite(lines[i].text, "<", ">", "a", "[A]") + (halfUnit ? "" : lastEnd);
    }
    if (wide) expected = asUnits(expected, unitSize, bigEndian, mark);
    if (trailing && !stops) expected += std::string("\x01\x02\x03", trailing);
    require(files.files.at("d/p_new.htm") == expected && pass.failures.empty(), "output wrong");
    using engine::TextEncoding;
    require(!wide || report.stats.encoding ==
                         (utf32 ? (bigEndian ? TextEncoding::utf32be : TextEncoding::utf32le)
                                : (bigEndian ? TextEncoding::utf16be : TextEncoding::utf16le)),
            "encoding wrong");
    require(pass.total == std::ssize(source) + 2, "total is not size + 2");
    require(stops || pass.done == std::ssize(source) || pass.done == std::ssize(source) + 2,
            "bytes done are neither the size nor two past it");
    require(pass.yields == static_cast<int>(stops ? stopAt : yields), "yields wrong");
    using Outcome = engine::FileReport::Outcome;
    require(report.outcome == (stops ? Outcome::stopped : Outcome::completed), "outcome wrong");
    return 0;
}
