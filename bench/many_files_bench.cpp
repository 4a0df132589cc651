// Files per second of a run over many small files in one folder (multi mode), with an observer
// that does nothing: what a run costs per file, beside the bytes.
//
//   many_files_bench [files]      default 20000 files of 1 KiB, in TMPDIR
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "corpus.h"
#include "engine/engine.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
    const fs::path folder = fs::temp_directory_path() / "segment-replace-many";
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::string text;
    while (text.size() < 1024 - 64) {
        text += std::string(bench::kDefaultStart) + "p\" " + bench::kDefaultStop + "x</a>\r\n";
    }
    std::vector<fs::path> names;
    for (int i = 0; i < count; ++i) {
        names.push_back("page" + std::to_string(i) + ".htm");
        std::ofstream(folder / names.back(), std::ios::binary) << text;
    }
    const engine::RunPlan plan = engine::planRun(names, folder);
    double best = 0;
    for (int round = 0; round < 3; ++round) {
        const auto started = std::chrono::steady_clock::now();
        bench::runDefaults(plan);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        best = round == 0 ? seconds : std::min(best, seconds);
    }
    std::printf("%d files of %zu bytes: best of 3 runs %.3f s, %.0f files/s\n", count, text.size(),
                best, count / best);
    fs::remove_all(folder);
    return 0;
}
