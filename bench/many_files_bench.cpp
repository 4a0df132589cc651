// A run over many small files in one folder (multi mode, engine::planRun and engine::run)
// against copying each of them to a new name in the same folder with the system calls `cp`
// makes (open, read, create, write, close), in this process, since starting `cp` for every
// file would time process start-up instead; in interleaved rounds (BENCH_ROUNDS, 5).
//
//   many_files_bench [files]      default BENCH_SMALL_FILES, else 20000 files of 1 kB, in TMPDIR
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "copy.h"
#include "corpus.h"
#include "engine/engine.h"
#include "rounds.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const int count = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1])
                                                         : bench::smallFileCountFromEnvironment();
    const fs::path folder = fs::temp_directory_path() / "segment-replace-many";
    const std::vector<fs::path> names = bench::writeSmallFiles(folder, count);
    const engine::RunPlan plan = engine::planRun(names, folder);
    std::vector<fs::path> sources;
    for (const engine::FileJob& job : plan.jobs) sources.push_back(job.source);

    // Each copy goes where the pass puts its output, so that both leave the same files.
    const auto copyAll = [&] {
        for (const fs::path& source : sources) bench::plainCopy(source, engine::outputPath(source));
    };
    const auto reset = [&] { bench::dropOutputs(sources); };
    const int rounds = bench::roundsFromEnvironment();
    const std::vector<bench::Timing> t =
        bench::medianRounds({{copyAll, reset}, {[&] { bench::runDefaults(plan); }, reset}}, rounds);
    fs::remove_all(folder);

    std::printf("%d files of 1 kB; medians of %d interleaved rounds\n", count, rounds);
    bench::printRatio("many files, run / cp's system calls in-process", t[1].wall / t[0].wall,
                      "<=", 1.5, bench::against(t[1].wall, t[0].wall));
    return 0;
}
