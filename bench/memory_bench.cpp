// One pass over a file that is a single huge line, without an end, against a plain read/write
// copy of it, in interleaved rounds (BENCH_ROUNDS, 5 by default); and the process's peak memory
// against the line's size. Peak memory is per process, so this one has a program of its own:
//
//   memory_bench [MiB]     the line's size: the argument, else BENCH_CORPUS_MB, else 200
//
// Two benchmarks: huge-line/time, the pass against the copy; huge-line/memory, the pass alone,
// then the peak. Run alone (--benchmark_filter=huge-line/memory), the peak is the pass's only.
//
// The file goes to TMPDIR (or the system's temporary folder) and is removed afterwards.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "copy.h"
#include "corpus.h"
#include "engine/engine.h"
#include "ratio_benchmark.h"

namespace fs = std::filesystem;

namespace {

// `total` bytes of markup on one line, with an anchor that the default texts rewrite about
// every kilobyte.
void writeLine(const fs::path& path, std::uint64_t total) {
    std::string piece = std::string(bench::kDefaultStart) + "x\" " + bench::kDefaultStop +
                        "link</a> and some ordinary text around it, ";
    while (piece.size() < 1000) piece += "lorem ipsum dolor sit amet, consectetur adipiscing ";
    std::string block;
    while (block.size() < (1u << 20)) block += piece;
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    std::uint64_t written = 0;
    while (file != nullptr && written < total) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), total - written));
        if (std::fwrite(block.data(), 1, n, file) != n) break;
        written += n;
    }
    if (file == nullptr || std::fclose(file) != 0 || written < total) {
        std::fprintf(stderr, "memory_bench: cannot write %s\n", path.string().c_str());
        std::exit(1);
    }
}

std::uint64_t gMebibytes = 0;  // the line's size; 0 until the argument or the environment

// The line, written on first use, and the process's peak memory before any pass.
struct Line {
    fs::path file = fs::temp_directory_path() / "memory-bench-line.htm";
    std::uint64_t bytes = 0;
    long before = 0;
};

const Line& line() {
    static const Line made = [] {
        if (gMebibytes == 0) {
            const char* given = std::getenv("BENCH_CORPUS_MB");
            const std::uint64_t asked = given != nullptr ? std::strtoull(given, nullptr, 10) : 0;
            gMebibytes = asked > 0 ? asked : 200;
        }
        Line written;
        written.bytes = gMebibytes << 20;
        writeLine(written.file, written.bytes);
        written.before = bench::peakKilobytes();
        std::printf("one line of %llu MiB; medians of %d interleaved rounds\n",
                    static_cast<unsigned long long>(gMebibytes), bench::roundsFromEnvironment());
        return written;
    }();
    return made;
}

// The pass over the line, its report checked; a plain copy of the line first if `copy`.
bench::Measure lineMeasure(const std::string& name, bool copy) {
    const fs::path file = line().file, copied = file.string() + ".copy";
    const fs::path output = engine::outputPath(file);
    const auto report = std::make_shared<engine::FileReport>();
    std::vector<bench::Contender> contenders{
        {[report, file] { *report = bench::passDefaults(file); },
         [output] { bench::removeFile(output); }}};
    if (copy) {
        contenders.insert(contenders.begin(), {[file, copied] { bench::plainCopy(file, copied); },
                                               [copied] { bench::removeFile(copied); }});
    }
    return {name, contenders, [report, copy, copied, output](const std::vector<bench::Timing>& t) {
                for (const fs::path& p : {copied, output}) bench::removeFile(p);
                if (report->stats.lines != 1 || report->stats.replacements == 0) {
                    std::fprintf(stderr,
                                 "memory_bench: the pass did not see one line with replacements\n");
                    std::exit(1);
                }
                const double pass = t.back().wall;
                if (copy)
                    return bench::Outcome{pass / t[0].wall, pass, t[0].wall,
                                          bench::against(pass, t[0].wall)};
                const long peak = bench::peakKilobytes();
                char note[96];
                std::snprintf(note, sizeof note,
                              "peak %.1f MiB, %.1f MiB of it before the first pass", peak / 1024.0,
                              line().before / 1024.0);
                return bench::Outcome{
                    static_cast<double>(peak) * 1024.0 / static_cast<double>(line().bytes),
                    pass,
                    0,
                    note,
                    {},
                    {{"peak_MiB", peak / 1024.0},
                     {"before_MiB", line().before / 1024.0},
                     {"line_MiB", static_cast<double>(line().bytes >> 20)}}};
            }};
}

}  // namespace

int main(int argc, char** argv) {
    bench::registerRatio("huge-line/time", "<=", 1.5,
                         [] { return lineMeasure("huge line, pass / plain copy", true); });
    bench::registerRatio("huge-line/memory", "<=", 1.03,
                         [] { return lineMeasure("huge line, peak memory / line size", false); });
    const int status = bench::runBenchmarks(
        argc, argv, "MiB", [](const std::string& mib) -> std::optional<std::string> {
            gMebibytes = std::strtoull(mib.c_str(), nullptr, 10);
            if (gMebibytes == 0) return std::nullopt;
            return "";
        });
    bench::removeFile(fs::temp_directory_path() / "memory-bench-line.htm");
    return status;
}
