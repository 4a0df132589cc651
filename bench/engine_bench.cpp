// Whole passes against what each is judged by, on corpora made here (BENCH_CORPUS_MB, 200 by
// default, in TMPDIR), in interleaved rounds (BENCH_ROUNDS, 5 by default):
//
//   engine_bench passes      the 8-bit and the UTF-8 pass against a plain copy of their file;
//                            the same text in UTF-16 and in UTF-32 against the 8-bit pass
//   engine_bench past-ascii  texts past ASCII against the same shapes in ASCII, in CP1251,
//                            UTF-8, UTF-16 and UTF-32
//
// Without an argument, both. Each target is a benchmark of its own (passes/8-bit, passes/UTF-8,
// passes/UTF-16, passes/UTF-32, past-ascii/CP1251 ... past-ascii/UTF-32), which
// --benchmark_filter picks as well; see ratio_benchmark.h.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "copy.h"
#include "corpus.h"
#include "engine/engine.h"
#include "ratio_benchmark.h"

namespace fs = std::filesystem;
using engine::TextEncoding;

namespace {

[[noreturn]] void fail(const std::string& what) {
    std::fflush(stdout);
    std::fprintf(stderr, "engine_bench: %s\n", what.c_str());
    std::exit(1);
}

// Appends code point `c` in `form`: CP1251 (ASCII and the basic Cyrillic letters), UTF-8, or
// little-endian UTF-16 (the basic plane) or UTF-32.
void append(std::string& out, char32_t c, TextEncoding form) {
    const auto byte = [&](char32_t value) { out += static_cast<char>(value & 0xFF); };
    switch (form) {
        case TextEncoding::codePage:
            if (c >= 0x80 && (c < 0x410 || c > 0x44F)) fail("no CP1251 form");
            return byte(c < 0x80 ? c : c - 0x410 + 0xC0);
        case TextEncoding::utf16le:
            return byte(c), byte(c >> 8);
        case TextEncoding::utf32le:
            return byte(c), byte(c >> 8), byte(c >> 16), byte(c >> 24);
        default:
            fail("no such form here");
    }
}

// The UTF-8 file `from` written in `form` to `to`, with its byte-order mark for UTF-16 and
// UTF-32, unless it is there from an earlier run; `to` itself for UTF-8.
fs::path convert(const fs::path& from, TextEncoding form, const std::string& suffix) {
    if (form == TextEncoding::utf8) return from;
    const fs::path to = from.string() + suffix;
    if (fs::exists(to)) return to;
    std::ifstream in(from, std::ios::binary);
    const fs::path partial = to.string() + ".part";
    std::ofstream out(partial, std::ios::binary);
    std::string line, text = form == TextEncoding::utf16le   ? std::string("\xFF\xFE", 2)
                             : form == TextEncoding::utf32le ? std::string("\xFF\xFE\0\0", 4)
                                                             : std::string();
    while (std::getline(in, line)) {
        line += '\n';
        for (std::size_t i = 0; i < line.size();) {
            const auto lead = static_cast<unsigned char>(line[i]);
            const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            char32_t c = length == 1 ? lead : lead & (0x7F >> length);
            for (int k = 1; k < length; ++k) c = c << 6 | (line[i + k] & 0x3F);
            append(text, c, form);
            i += length;
        }
        if (text.size() >= (1u << 20)) out << text, text.clear();
    }
    out << text;
    out.close();
    fs::rename(partial, to);
    return to;
}

struct Place {
    fs::path folder = fs::temp_directory_path() / "segment-replace-bench";
    std::uint64_t bytes = bench::corpusBytesFromEnvironment();
    // A file for this corpus size, so that a quick run does not pick up a larger corpus.
    fs::path file(const std::string& name) const {
        fs::create_directories(folder);
        return folder / (name + "-" + std::to_string(bytes / 1000000) + "MB.htm");
    }
};

// A pass of `file` with `texts`, its report kept in `report`, its output removed before.
bench::Contender passOf(const fs::path& file, const engine::Texts& texts,
                        const std::shared_ptr<engine::FileReport>& report) {
    return {[report, file, texts] { *report = bench::passWith(file, texts); },
            [file] { bench::removeFile(engine::outputPath(file)); }};
}

bench::Contender copyOf(const fs::path& file) {
    const fs::path copy = file.string() + ".copy";
    return {[file, copy] { bench::plainCopy(file, copy); }, [copy] { bench::removeFile(copy); }};
}

void checkEncoding(const engine::FileReport& report, TextEncoding expected, const char* name) {
    if (report.stats.encoding != expected) fail(std::string(name) + " file read otherwise");
}

double megabytes(const fs::path& file) {
    return static_cast<double>(fs::file_size(file)) / 1e6;
}

const char* const kPassNames[] = {"8-bit", "UTF-8", "UTF-16", "UTF-32"};
const TextEncoding kPassForms[] = {TextEncoding::codePage, TextEncoding::utf8,
                                   TextEncoding::utf16le, TextEncoding::utf32le};

// The files of the passes, made on first use: an 8-bit and a UTF-8 corpus, and the 8-bit text
// in UTF-16 and in UTF-32.
const std::array<fs::path, 4>& passFiles() {
    static const std::array<fs::path, 4> files = [] {
        const Place place;
        const fs::path eightBit = place.file("corpus"), utf8 = place.file("corpus-utf8");
        bench::writeCorpus(eightBit, place.bytes);
        bench::writeCorpus(utf8, place.bytes, true);
        const std::array<fs::path, 4> made{eightBit, utf8,
                                           convert(eightBit, TextEncoding::utf16le, ".utf16"),
                                           convert(eightBit, TextEncoding::utf32le, ".utf32")};
        std::printf(
            "default texts; %.0f MB 8-bit, %.0f MB UTF-8, %.0f MB UTF-16, %.0f MB UTF-32 "
            "(the 8-bit text); medians of %d interleaved rounds\n",
            megabytes(made[0]), megabytes(made[1]), megabytes(made[2]), megabytes(made[3]),
            bench::roundsFromEnvironment());
        return made;
    }();
    return files;
}

// The pass of form `i`'s file against a plain copy of it for 8-bit and UTF-8; for UTF-16 and
// UTF-32 against the 8-bit pass of the same text, and against a copy of its file without a
// target.
bench::Measure passMeasure(int i) {
    const std::array<fs::path, 4>& files = passFiles();
    const engine::Texts texts{bench::kDefaultStart, bench::kDefaultStop, bench::kDefaultSearch,
                              bench::kDefaultReplacement, 1};
    const auto report = std::make_shared<engine::FileReport>();
    const auto eightBit = std::make_shared<engine::FileReport>();
    std::vector<bench::Contender> contenders{copyOf(files[i]), passOf(files[i], texts, report)};
    if (i >= 2) contenders.push_back(passOf(files[0], texts, eightBit));
    const std::string name = std::string(kPassNames[i]) +
                             (i < 2 ? " pass / plain copy" : " pass / 8-bit pass of the same text");
    return {name, contenders, [i, files, report, eightBit](const std::vector<bench::Timing>& t) {
                checkEncoding(*report, kPassForms[i], kPassNames[i]);
                if (i >= 2) checkEncoding(*eightBit, kPassForms[0], kPassNames[0]);
                for (const fs::path& file : {files[0], files[i]}) {
                    bench::removeFile(engine::outputPath(file));
                    bench::removeFile(file.string() + ".copy");
                }
                const double pass = t[1].wall, reference = t[i < 2 ? 0 : 2].wall;
                bench::Outcome outcome{pass / reference, pass, reference,
                                       bench::against(pass, reference)};
                if (i >= 2) {
                    outcome.also.push_back(
                        {std::string(kPassNames[i]) + " pass / plain copy of its file",
                         pass / t[0].wall, bench::against(pass, t[0].wall)});
                }
                return outcome;
            }};
}

// Lines of markup, each written twice: in Russian words and in their ASCII transliteration, in
// the same shapes; so the texts of either alphabet find as many segments and replacements in
// the same file.
enum Alphabet { cyrillic, latin };
struct Words {
    const char* cyrillic;
    const char* latin;
};
const Words kFiller[] = {{"текст", "tekst"},  {"строка", "stroka"}, {"пример", "primer"},
                         {"город", "gorod"},  {"вода", "voda"},     {"книга", "kniga"},
                         {"время", "vremya"}, {"слово", "slovo"}};
const Words kStart{"<a href=\"ссылка", "<a href=\"ssylka"};
const Words kMatched{"Подчеркнутый", "Podcherknutyj"};  // the search text, in another case
const Words kUnmatched{"обычный", "obychnyj"};
const Words kOther{"<a href=\"другая", "<a href=\"drugaya"};
const Words kSearch{"подчеркнутый", "podcherknutyj"};
const Words kReplacement{"подчеркнутый зачеркнутый", "podcherknutyj zacherknutyj"};

const char* in(const Words& words, Alphabet alphabet) {
    return alphabet == cyrillic ? words.cyrillic : words.latin;
}

void writePastAscii(const fs::path& path, std::uint64_t bytes) {
    std::error_code error;
    if (fs::file_size(path, error) >= bytes && !error) return;
    std::ofstream out(path, std::ios::binary);
    std::mt19937_64 random(7);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    std::string block;
    for (std::uint64_t written = 0; written < bytes;) {
        const int kind = pick(10), number = pick(1000), count = 4 + pick(16);
        std::vector<int> filler;
        for (int i = 0; i < count; ++i) filler.push_back(pick(8));
        std::string line;
        for (const Alphabet alphabet : {cyrillic, latin}) {
            const std::string word = in(kFiller[filler[0]], alphabet);
            if (kind < 3) {  // a segment, and in two of three the search text in it
                line += std::string("<li>") + in(kStart, alphabet) + "/" + std::to_string(number) +
                        "\" class=\"" + in(kind < 2 ? kMatched : kUnmatched, alphabet) + "\">" +
                        word + "</a></li>";
            } else if (kind == 3) {  // an anchor that is no segment
                line += std::string("<li>") + in(kOther, alphabet) + "/" + std::to_string(number) +
                        "\">" + word + "</a></li>";
            } else {
                line += "<p>";
                for (const int w : filler) line += std::string(in(kFiller[w], alphabet)) + " ";
                line += "</p>";
            }
            line += alphabet == cyrillic ? " " : "\r\n";
        }
        block += line;
        written += line.size();
        if (block.size() >= (1u << 20)) out << block, block.clear();
    }
    out << block;
}

const TextEncoding kPastForms[] = {TextEncoding::codePage, TextEncoding::utf8,
                                   TextEncoding::utf16le, TextEncoding::utf32le};
const char* const kPastNames[] = {"CP1251", "UTF-8", "UTF-16", "UTF-32"};

// The file of both alphabets in each form, made on first use.
const std::array<fs::path, 4>& pastAsciiFiles() {
    static const std::array<fs::path, 4> files = [] {
        const fs::path utf8 = Place().file("past-ascii");
        writePastAscii(utf8, Place().bytes);
        const char* const suffixes[] = {".cp1251", "", ".utf16", ".utf32"};
        std::array<fs::path, 4> made;
        for (int i = 0; i < 4; ++i) made[i] = convert(utf8, kPastForms[i], suffixes[i]);
        std::printf(
            "texts past ASCII (Cyrillic) against their transliteration, on the same file of "
            "both, so no per-byte normalisation: %.0f MB UTF-8; medians of %d interleaved "
            "rounds\n",
            megabytes(utf8), bench::roundsFromEnvironment());
        return made;
    }();
    return files;
}

// A pass over form `i`'s file with the Cyrillic texts against one with their transliteration.
bench::Measure pastAsciiMeasure(int i) {
    const fs::path file = pastAsciiFiles()[i];
    // The 8-bit file's letters are read in CP1251, whatever the locale.
    if (!engine::setCodePage("1251")) fail("no code page 1251");
    std::vector<bench::Contender> contenders;
    std::array<std::shared_ptr<engine::FileReport>, 2> reports;
    for (const Alphabet alphabet : {cyrillic, latin}) {
        reports[alphabet] = std::make_shared<engine::FileReport>();
        const engine::Texts texts{in(kStart, alphabet), "\">", in(kSearch, alphabet),
                                  in(kReplacement, alphabet), 1};
        contenders.push_back(passOf(file, texts, reports[alphabet]));
    }
    return {std::string("past ASCII / ASCII texts, ") + kPastNames[i], contenders,
            [i, file, reports](const std::vector<bench::Timing>& t) {
                engine::setCodePage("");
                bench::removeFile(engine::outputPath(file));
                const engine::PassStats &past = reports[cyrillic]->stats,
                                        &ascii = reports[latin]->stats;
                checkEncoding(*reports[cyrillic], kPastForms[i], kPastNames[i]);
                if (past.segments != ascii.segments || past.replacements != ascii.replacements ||
                    past.replacements == 0) {
                    fail(std::string(kPastNames[i]) + ": the two texts found different counts");
                }
                const double pastTime = t[0].wall, asciiTime = t[1].wall;
                char counts[96];
                std::snprintf(counts, sizeof counts,
                              ", %.0f MB, %lld segments and %lld replacements each",
                              megabytes(file), static_cast<long long>(past.segments),
                              static_cast<long long>(past.replacements));
                return bench::Outcome{pastTime / asciiTime, pastTime, asciiTime,
                                      bench::against(pastTime, asciiTime) + counts};
            }};
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 0; i < 4; ++i) {
        bench::registerRatio(std::string("passes/") + kPassNames[i], "<=", 1.3,
                             [i] { return passMeasure(i); });
    }
    for (int i = 0; i < 4; ++i) {
        bench::registerRatio(std::string("past-ascii/") + kPastNames[i], "<=", 1.3,
                             [i] { return pastAsciiMeasure(i); });
    }
    return bench::runBenchmarks(argc, argv, "passes|past-ascii",
                                [](const std::string& which) -> std::optional<std::string> {
                                    if (which == "passes" || which == "past-ascii")
                                        return "^" + which + "/";
                                    return std::nullopt;
                                });
}
