// Times a whole replace run over the benchmark corpus twice: clicked in the window (offscreen),
// and through engine::run with an observer that does nothing. The difference is what the window's
// per-line observer calls cost.
//
//   window_bench [repeats]                    BENCH_CORPUS_MB sets its size (200 MB by default)
//   window_bench files [repeats] [count]      many files of 1 kB in one folder (20000)
#include <sys/resource.h>

#include <QApplication>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "corpus.h"
#include "engine/engine.h"
#include "ui/path_text.h"
#include "ui/qt/frmMain.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "window_bench: %s\n", what.c_str());
    std::exit(1);
}

// Times `work` from a clean start: the previous outputs are removed first and the disk is
// flushed, so that neither run pays for dropping the other's files.
struct Timing {
    double wall = std::numeric_limits<double>::max();
    double user = std::numeric_limits<double>::max();  // CPU time spent outside the kernel
};

double userSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6;
}

// Keeps the best of each measure in `best`.
void time(Timing& best, const std::vector<fs::path>& outputs, const std::function<void()>& work) {
    for (const fs::path& output : outputs) fs::remove(output);
    if (std::system("sync") != 0) fail("sync failed");
    const double userBefore = userSeconds();
    const auto started = std::chrono::steady_clock::now();
    work();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    best.wall = std::min(best.wall, wall);
    best.user = std::min(best.user, userSeconds() - userBefore);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const bool manyFiles = argc > 1 && std::string(argv[1]) == "files";
    const int repeatsAt = manyFiles ? 2 : 1;
    const int repeats = argc > repeatsAt ? std::max(1, std::atoi(argv[repeatsAt])) : 3;

    const fs::path folder = fs::temp_directory_path() / "segment-replace-bench";
    fs::create_directories(folder);
    std::vector<fs::path> chosen;  // one full path, or the names in `files`
    const fs::path files = folder / "window-files";
    if (manyFiles) {
        const int count = argc > 3 ? std::max(2, std::atoi(argv[3])) : 20000;
        fs::remove_all(files);
        fs::create_directories(files);
        std::string text;
        while (text.size() < 1024 - 80) {
            text += std::string(bench::kDefaultStart) + "p\" " + bench::kDefaultStop + "x</a>\r\n";
        }
        for (int i = 0; i < count; ++i) {
            chosen.push_back("page" + std::to_string(i) + ".htm");
            std::ofstream(files / chosen.back(), std::ios::binary) << text;
        }
    } else {
        const std::uint64_t bytes = bench::corpusBytesFromEnvironment();
        // One file per size, so that a quick run with a small corpus does not pick up a larger.
        chosen.push_back(folder / ("window-corpus-" + std::to_string(bytes / 1000000) + "MB.htm"));
        bench::writeCorpus(chosen.front(), bytes);
    }

    const engine::RunPlan plan = engine::planRun(chosen, files);
    qtview::frmMain window(selection::DialogServices{
        {}, [](const std::string&, const std::string& text) { fail(text); }});
    window.show();
    window.logic().clearList();
    if (manyFiles) window.logic().setDirectoryText(ui::toText(files));
    for (const fs::path& entry : chosen) window.logic().appendEntry(ui::toText(entry));
    window.logic().setReplaceEnabled(true);
    auto* replace = window.findChild<QPushButton*>(QStringLiteral("cmdReplace"));

    // Alternate the two so that the page cache and the CPU's clock favour neither; keep the best.
    std::vector<fs::path> outputs;
    for (const fs::path& entry : chosen) {
        outputs.push_back(engine::outputPath(manyFiles ? files / entry : entry));
    }
    Timing engineBest, windowBest;
    for (int i = 0; i < repeats; ++i) {
        // Each goes first in turn: the file system's state after a run favours neither.
        const auto engineRun = [&] {
            time(engineBest, outputs, [&] { bench::runDefaults(plan); });
        };
        const auto windowRun = [&] { time(windowBest, outputs, [&] { replace->click(); }); };
        if (i % 2 == 0) engineRun(), windowRun();
        if (i % 2 != 0) windowRun(), engineRun();
    }

    // The kernel's part (creating and moving files) is the same work for both and varies from
    // run to run; the time outside the kernel shows what the window adds.
    const double amount = manyFiles ? static_cast<double>(chosen.size())
                                    : static_cast<double>(fs::file_size(chosen.front())) / 1e6;
    const char* unit = manyFiles ? "files/s" : "MB/s";
    if (manyFiles) {
        std::printf("%zu files of 1 kB, best of %d\n", chosen.size(), repeats);
        fs::remove_all(files);
    } else {
        fs::remove(outputs.front());
        std::printf("corpus           %.1f MB, best of %d\n", amount, repeats);
    }
    for (const auto& [name, t] :
         {std::pair{"engine alone   ", engineBest}, std::pair{"through frmMain", windowBest}}) {
        std::printf("%s  %.3f s (%.0f %s), %.3f s outside the kernel\n", name, t.wall,
                    amount / t.wall, unit, t.user);
    }
    std::printf("window / engine  %.3f (%+.1f%%) in all, %+.3f s outside the kernel\n",
                windowBest.wall / engineBest.wall,
                (windowBest.wall / engineBest.wall - 1.0) * 100.0,
                windowBest.user - engineBest.user);
    return 0;
}
