// Times a whole file pass over a generated corpus against a plain read/write copy of the same
// file, the same text in UTF-16 and UTF-32 and, where perl is installed, an equivalent perl
// rewrite; reports peak memory as well. Also times a search on one long line of a letter past
// ASCII against the same shape in ASCII.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "copy.h"
#include "corpus.h"
#include "engine/engine.h"

namespace fs = std::filesystem;

namespace {

struct Setup {
    fs::path folder = fs::temp_directory_path() / "segment-replace-bench";
    fs::path corpus = folder / "corpus.htm";
    fs::path copy = folder / "copy.htm";
    fs::path perlOutput = folder / "perl.htm";
    fs::path utf16 = folder / "corpus16.htm";  // the same text in UTF-16
    fs::path utf32 = folder / "corpus32.htm";  // and in UTF-32
    std::uint64_t bytes = 0;
    std::vector<double> passSeconds, copySeconds, perlSeconds, utf16Seconds, utf32Seconds;
    // Per search shape: UTF-8, then ASCII.
    std::vector<double> searchSeconds[2][2];
};

Setup& setup() {
    static Setup s;
    return s;
}

double seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

template <typename Work>
void timeEach(benchmark::State& state, std::vector<double>& samples, const fs::path& output,
              Work work) {
    for (auto _ : state) {
        // Each timing starts without the previous output, so none pays for dropping a file.
        std::error_code ignored;
        fs::remove(output, ignored);
        const auto started = std::chrono::steady_clock::now();
        work();
        samples.push_back(seconds(std::chrono::steady_clock::now() - started));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * setup().bytes));
}

void BM_WholePass(benchmark::State& state) {
    timeEach(state, setup().passSeconds, engine::outputPath(setup().corpus),
             [&] { bench::passDefaults(setup().corpus); });
}

void BM_Utf16Pass(benchmark::State& state) {
    timeEach(state, setup().utf16Seconds, engine::outputPath(setup().utf16),
             [&] { bench::passDefaults(setup().utf16); });
}

void BM_Utf32Pass(benchmark::State& state) {
    timeEach(state, setup().utf32Seconds, engine::outputPath(setup().utf32),
             [&] { bench::passDefaults(setup().utf32); });
}

// The corpus as little-endian UTF-16 or UTF-32 with its mark: one code unit of `size` bytes per
// byte, all ASCII.
void writeUnits(const fs::path& from, const fs::path& to, std::size_t size) {
    if (fs::exists(to) && fs::file_size(to) == size * (fs::file_size(from) + 1)) return;
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary);
    out.write("\xFF\xFE\0\0", static_cast<std::streamsize>(size));
    std::vector<char> block(std::size_t{1} << 20), wide(size * block.size());
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
        const auto n = static_cast<std::size_t>(in.gcount());
        for (std::size_t i = 0; i < n; ++i) {
            wide[size * i] = block[i];
            std::fill_n(&wide[size * i + 1], size - 1, '\0');
        }
        out.write(wide.data(), static_cast<std::streamsize>(size * n));
    }
}

void BM_PlainCopy(benchmark::State& state) {
    timeEach(state, setup().copySeconds, setup().copy,
             [&] { bench::plainCopy(setup().corpus, setup().copy); });
}

// The same rewrite in perl: one regex per segment, the first search hit replaced inside it.
std::string perlCommand() {
    const Setup& s = setup();
    return "perl -e 'BEGIN { $/ = \"\\r\\n\" } "
           "while (<STDIN>) { chomp; "
           "s{(\\Q$ARGV[0]\\E.*?\\Q$ARGV[1]\\E)}{ my $x = $1; $x =~ s/\\Q$ARGV[2]\\E/$ARGV[3]/i; "
           "$x "
           "}gie; print $_, \"\\r\\n\" }' '" +
           std::string(bench::kDefaultStart) + "' '" + bench::kDefaultStop + "' '" +
           bench::kDefaultSearch + "' '" + bench::kDefaultReplacement + "' < '" +
           s.corpus.string() + "' > '" + s.perlOutput.string() + "'";
}

void BM_PerlRewrite(benchmark::State& state) {
    const std::string command = perlCommand();
    timeEach(state, setup().perlSeconds, setup().perlOutput, [&] {
        if (std::system(command.c_str()) != 0) state.SkipWithError("perl failed");
    });
}

// A 600 KB line of `unit` repeated, ended by `last`; the search text is 301 letters: `unit`
// repeated, then `last`. So the one match is at the line's end, after a near-miss at nearly
// every start when `unit` holds two letters.
struct SearchShape {
    const char* name;
    std::string_view unit[2], last[2];  // UTF-8, ASCII
};
const SearchShape kSearchShapes[] = {
    {"OneLetter", {"\xC3\xA9", "e"}, {"\xC3\xA8", "f"}},          // "é..é" + "è"
    {"NearMiss", {"\xC3\xA9\xC3\xA8", "ef"}, {"\xC3\xA8", "f"}},  // "éè..éè" + "è"
};

void BM_LongLineSearch(benchmark::State& state, int shape, int ascii) {
    const SearchShape& s = kSearchShapes[shape];
    const std::string_view unit = s.unit[ascii], last = s.last[ascii];
    // The ASCII unit has one byte per letter.
    const std::size_t units = 600000 / unit.size(), needleUnits = 300 / s.unit[1].size();
    std::string line, needle;
    for (std::size_t i = 0; i < units; ++i) line += unit;
    line += last;
    for (std::size_t i = 0; i < needleUnits; ++i) needle += unit;
    needle += last;
    const auto expected = static_cast<engine::Position>((units - needleUnits) * unit.size() + 1);
    if (!std::setlocale(LC_CTYPE, "C.UTF-8")) return state.SkipWithError("no C.UTF-8 locale");
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        const engine::Position at = engine::find(line, needle, 1);
        setup().searchSeconds[shape][ascii].push_back(
            seconds(std::chrono::steady_clock::now() - started));
        if (at != expected) state.SkipWithError("wrong match");
    }
    std::setlocale(LC_CTYPE, "C");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
}

double best(const std::vector<double>& samples) {
    double result = samples.empty() ? 0 : samples.front();
    for (const double s : samples) result = s < result ? s : result;
    return result;
}

bool sameContent(const fs::path& a, const fs::path& b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    return std::equal(std::istreambuf_iterator<char>(x), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(y), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    Setup& s = setup();
    fs::create_directories(s.folder);
    s.bytes = bench::corpusBytesFromEnvironment();
    bench::writeCorpus(s.corpus, s.bytes);
    s.bytes = fs::file_size(s.corpus);
    const long peakBefore = bench::peakKilobytes();

    const bool havePerl = std::system("perl -e 1 2>/dev/null") == 0;
    benchmark::RegisterBenchmark("WholePass", BM_WholePass)
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    writeUnits(s.corpus, s.utf16, 2);
    benchmark::RegisterBenchmark("Utf16Pass", BM_Utf16Pass)
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    writeUnits(s.corpus, s.utf32, 4);
    benchmark::RegisterBenchmark("Utf32Pass", BM_Utf32Pass)
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("PlainCopy", BM_PlainCopy)
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    if (havePerl) {
        benchmark::RegisterBenchmark("PerlRewrite", BM_PerlRewrite)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    for (int shape = 0; shape < 2; ++shape) {
        for (int ascii = 0; ascii < 2; ++ascii) {
            const std::string name = std::string("LongLineSearch/") + kSearchShapes[shape].name +
                                     (ascii ? "/ascii" : "/utf8");
            benchmark::RegisterBenchmark(
                name.c_str(),
                [shape, ascii](benchmark::State& state) { BM_LongLineSearch(state, shape, ascii); })
                ->Iterations(10)
                ->Unit(benchmark::kMicrosecond)
                ->UseRealTime();
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const double mb = static_cast<double>(s.bytes) / 1e6;
    const double pass = best(s.passSeconds), copy = best(s.copySeconds);
    std::printf("\ncorpus: %.0f MB\n", mb);
    if (!s.passSeconds.empty() && !s.copySeconds.empty()) {
        std::printf("whole pass:   %8.3f s  %7.1f MB/s\n", pass, mb / pass);
        std::printf("plain copy:   %8.3f s  %7.1f MB/s  pass/copy = %.2fx (target <= 2x)\n", copy,
                    mb / copy, pass / copy);
    }
    if (!s.utf16Seconds.empty() && !s.passSeconds.empty()) {
        const double utf16 = best(s.utf16Seconds);
        std::printf(
            "UTF-16 pass:  %8.3f s  the same characters, utf16/pass = %.2fx (target <= 2x)\n",
            utf16, utf16 / pass);
    }
    if (!s.utf32Seconds.empty() && !s.passSeconds.empty()) {
        const double utf32 = best(s.utf32Seconds);
        std::printf("UTF-32 pass:  %8.3f s  the same characters, utf32/pass = %.2fx\n", utf32,
                    utf32 / pass);
    }
    if (havePerl && !s.perlSeconds.empty() && !s.passSeconds.empty()) {
        const double perl = best(s.perlSeconds);
        std::printf("perl rewrite: %8.3f s  %7.1f MB/s  perl/pass = %.1fx (target >= 10x)\n", perl,
                    mb / perl, perl / pass);
        std::printf(
            "perl output %s the pass's output\n",
            sameContent(s.perlOutput, engine::outputPath(s.corpus)) ? "equals" : "DIFFERS FROM");
    }
    for (int shape = 0; shape < 2; ++shape) {
        const auto& samples = s.searchSeconds[shape];
        if (samples[0].empty() || samples[1].empty()) continue;
        const double utf8 = best(samples[0]), ascii = best(samples[1]);
        std::printf("search, %-9s %8.3f ms past ASCII, %8.3f ms in ASCII: %.2fx (target <= 2x)\n",
                    kSearchShapes[shape].name, 1e3 * utf8, 1e3 * ascii, utf8 / ascii);
    }
    std::printf("peak memory: %ld kB before the timed runs, %ld kB after\n", peakBefore,
                bench::peakKilobytes());
    for (const fs::path& p : {s.copy, s.perlOutput, engine::outputPath(s.corpus),
                              engine::outputPath(s.utf16), engine::outputPath(s.utf32)}) {
        std::error_code ignored;
        fs::remove(p, ignored);
    }
    return 0;
}
