// One pass over a file that is a single huge line, without an end, against a plain read/write
// copy of it, in interleaved rounds (BENCH_ROUNDS, 5 by default); and the process's peak memory
// against the line's size. Peak memory is per process, so this one has a program of its own:
//
//   memory_bench [MiB]     the line's size: the argument, else BENCH_CORPUS_MB, else 200
//
// The file goes to TMPDIR (or the system's temporary folder) and is removed afterwards.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "copy.h"
#include "corpus.h"
#include "engine/engine.h"
#include "rounds.h"

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

}  // namespace

int main(int argc, char** argv) {
    const char* given = argc > 1 ? argv[1] : std::getenv("BENCH_CORPUS_MB");
    const std::uint64_t asked = given != nullptr ? std::strtoull(given, nullptr, 10) : 0;
    const std::uint64_t mib = asked > 0 ? asked : 200;
    const std::uint64_t total = mib << 20;
    const fs::path file = fs::temp_directory_path() / "memory-bench-line.htm";
    const fs::path copy = file.string() + ".copy", output = engine::outputPath(file);
    writeLine(file, total);
    const long before = bench::peakKilobytes();

    const int rounds = bench::roundsFromEnvironment();
    engine::FileReport report;
    const std::vector<bench::Timing> t = bench::medianRounds(
        {{[&] { bench::plainCopy(file, copy); }, [&] { bench::removeFile(copy); }},
         {[&] { report = bench::passDefaults(file); }, [&] { bench::removeFile(output); }}},
        rounds);
    const long peak = bench::peakKilobytes();
    for (const fs::path& p : {file, copy, output}) bench::removeFile(p);
    if (report.stats.lines != 1 || report.stats.replacements == 0) {
        std::fprintf(stderr, "memory_bench: the pass did not see one line with replacements\n");
        return 1;
    }

    std::printf("one line of %llu MiB; medians of %d interleaved rounds\n",
                static_cast<unsigned long long>(mib), rounds);
    bench::printRatio("huge line, pass / plain copy", t[1].wall / t[0].wall, "<=", 1.5,
                      bench::against(t[1].wall, t[0].wall));
    char note[96];
    std::snprintf(note, sizeof note, "peak %.1f MiB, %.1f MiB of it before the first pass",
                  peak / 1024.0, before / 1024.0);
    bench::printRatio("huge line, peak memory / line size",
                      static_cast<double>(peak) * 1024.0 / static_cast<double>(total), "about",
                      1.03, note);
    return 0;
}
