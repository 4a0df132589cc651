// A run over many small files in one folder (multi mode, engine::planRun and engine::run)
// against copying each of them to a new name in the same folder with the system calls `cp`
// makes (open, read, create, write, close), in this process, since starting `cp` for every
// file would time process start-up instead; in interleaved rounds (BENCH_ROUNDS, 5).
//
//   many_files_bench [files]      default BENCH_SMALL_FILES, else 20000 files of 1 kB, in TMPDIR
//
// One benchmark, many-files; see ratio_benchmark.h.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "copy.h"
#include "corpus.h"
#include "engine/engine.h"
#include "ratio_benchmark.h"

namespace fs = std::filesystem;

int gCount = 0;  // the files; 0 until the argument or the environment

bench::Measure manyFiles() {
    const int count = gCount > 0 ? gCount : bench::smallFileCountFromEnvironment();
    const fs::path folder = fs::temp_directory_path() / "segment-replace-many";
    const std::vector<fs::path> names = bench::writeSmallFiles(folder, count);
    const auto plan = std::make_shared<const engine::RunPlan>(engine::planRun(names, folder));
    std::vector<fs::path> sources;
    for (const engine::FileJob& job : plan->jobs) sources.push_back(job.source);
    std::printf("%d files of 1 kB; medians of %d interleaved rounds\n", count,
                bench::roundsFromEnvironment());

    // Each copy goes where the pass puts its output, so that both leave the same files.
    const auto copyAll = [sources] {
        for (const fs::path& source : sources) bench::plainCopy(source, engine::outputPath(source));
    };
    const auto reset = [sources] { bench::dropOutputs(sources); };
    return {"many files, run / cp's system calls in-process",
            {{copyAll, reset}, {[plan] { bench::runDefaults(*plan); }, reset}},
            [folder](const std::vector<bench::Timing>& t) {
                fs::remove_all(folder);
                return bench::Outcome{t[1].wall / t[0].wall, t[1].wall, t[0].wall,
                                      bench::against(t[1].wall, t[0].wall)};
            }};
}

int main(int argc, char** argv) {
    bench::registerRatio("many-files", "<=", 1.5, manyFiles);
    return bench::runBenchmarks(argc, argv, "files",
                                [](const std::string& files) -> std::optional<std::string> {
                                    gCount = std::atoi(files.c_str());
                                    if (gCount <= 0) return std::nullopt;
                                    return "";
                                });
}
