// segment-replace-cli over many small files already in the page cache, with `--jobs 1` and with
// `--jobs 2`, in interleaved rounds (BENCH_ROUNDS, 5 by default): the speedup of the second.
// Beside it, without a target, the speedup that two threads get copying the same files with the
// system calls `cp` makes: what the file system allows two at once.
// BENCH_SMALL_FILES sets the count (20000 files of 1 kB by default); TMPDIR picks the folder.
// One benchmark, jobs; see ratio_benchmark.h.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "corpus.h"
#include "engine/engine.h"
#include "ratio_benchmark.h"

namespace fs = std::filesystem;

namespace {

// Copies every `threads`-th file from `first` on to its output path, as `cp` does.
void copyEvery(const std::vector<fs::path>& files, std::size_t first, std::size_t threads) {
    std::vector<char> block(std::size_t{1} << 16);
    for (std::size_t i = first; i < files.size(); i += threads) {
        const int in = ::open(files[i].c_str(), O_RDONLY);
        const int out =
            ::open(engine::outputPath(files[i]).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ssize_t n = 0;
        while (in >= 0 && out >= 0 && (n = ::read(in, block.data(), block.size())) > 0)
            if (::write(out, block.data(), static_cast<std::size_t>(n)) != n) break;
        ::close(in);
        ::close(out);
    }
}

}  // namespace

bench::Measure jobs() {
    const int count = bench::smallFileCountFromEnvironment();
    const fs::path folder = fs::temp_directory_path() / "segment-replace-cli-bench";
    std::vector<fs::path> files = bench::writeSmallFiles(folder, count);
    const fs::path list = folder.string() + ".list";
    {
        std::ofstream names(list, std::ios::binary);
        for (fs::path& file : files) names << (file = folder / file).string() << '\0';
    }
    std::printf("%d cached files of 1 kB; medians of %d interleaved rounds\n", count,
                bench::roundsFromEnvironment());
    std::vector<bench::Contender> contenders;
    for (const int jobs : {1, 2}) {
        const std::string command = std::string("'") + CLI_PROGRAM + "' --quiet -0 --jobs " +
                                    std::to_string(jobs) + " --files-from '" + list.string() + "'";
        contenders.push_back({[command] {
                                  if (std::system(command.c_str()) == 0) return;
                                  std::fprintf(stderr, "cli_bench: failed: %s\n", command.c_str());
                                  std::exit(1);
                              },
                              [files] { bench::dropOutputs(files); }});
    }
    for (const std::size_t threads : {1, 2}) {
        contenders.push_back({[files, threads] {
                                  std::vector<std::jthread> copying;
                                  for (std::size_t first = 0; first < threads; ++first)
                                      copying.emplace_back(copyEvery, std::cref(files), first,
                                                           threads);
                              },
                              [files] { bench::dropOutputs(files); }});
    }
    return {"command line, --jobs 1 / --jobs 2 (speedup)", contenders,
            [folder, list](const std::vector<bench::Timing>& t) {
                fs::remove_all(folder);
                fs::remove(list);
                return bench::Outcome{
                    t[0].wall / t[1].wall,
                    t[1].wall,
                    t[0].wall,
                    bench::against(t[0].wall, t[1].wall),
                    {{"cp's system calls, 1 thread / 2 threads (speedup)", t[2].wall / t[3].wall,
                      bench::against(t[2].wall, t[3].wall)}}};
            }};
}

int main(int argc, char** argv) {
    bench::registerRatio("jobs", ">=", 1.6, jobs);
    return bench::runBenchmarks(argc, argv, "");
}
