// Times a whole replace run over the benchmark corpus twice: clicked in the window (offscreen),
// and through engine::run with a host that does nothing. The difference is what the window's
// per-line host operations cost.
//
//   window_bench [repeats]      BENCH_CORPUS_MB sets the corpus size (200 MB by default)
#include <QApplication>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>

#include "corpus.h"
#include "engine/engine.h"
#include "silent_host.h"
#include "ui/path_text.h"
#include "ui/qt/frmMain.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "window_bench: %s\n", what.c_str());
    std::exit(1);
}

// Times `work` from a clean start: the previous output is removed first, so that neither run
// pays for dropping the other's file.
double secondsOf(const fs::path& output, const std::function<void()>& work) {
    fs::remove(output);
    const auto started = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    const fs::path folder = fs::temp_directory_path() / "segment-replace-bench";
    fs::create_directories(folder);
    const std::uint64_t bytes = bench::corpusBytesFromEnvironment();
    // One file per size, so that a quick run with a small corpus does not pick up a larger one.
    const fs::path corpus =
        folder / ("window-corpus-" + std::to_string(bytes / 1000000) + "MB.htm");
    bench::writeCorpus(corpus, bytes);

    bench::SilentHost silent(corpus);
    frmMain window(selection::DialogServices{
        {}, [](const std::string&, const std::string& text) { fail(text); }});
    window.show();
    window.logic().clearList();
    window.logic().appendEntry(ui::toText(corpus));
    window.logic().setReplaceEnabled(true);
    auto* replace = window.findChild<QPushButton*>(QStringLiteral("cmdReplace"));

    // Alternate the two so that the page cache and the CPU's clock favour neither; keep the best.
    const fs::path output = engine::outputPath(corpus);
    double engineBest = std::numeric_limits<double>::max();
    double windowBest = std::numeric_limits<double>::max();
    for (int i = 0; i < repeats; ++i) {
        engineBest = std::min(engineBest, secondsOf(output, [&] { engine::run(silent); }));
        windowBest = std::min(windowBest, secondsOf(output, [&] { replace->click(); }));
    }
    fs::remove(output);

    const double megabytes = static_cast<double>(fs::file_size(corpus)) / 1e6;
    std::printf("corpus           %.1f MB, best of %d\n", megabytes, repeats);
    std::printf("engine alone     %.3f s  (%.0f MB/s)\n", engineBest, megabytes / engineBest);
    std::printf("through frmMain  %.3f s  (%.0f MB/s)\n", windowBest, megabytes / windowBest);
    std::printf("window / engine  %.3f  (%+.1f%%)\n", windowBest / engineBest,
                (windowBest / engineBest - 1.0) * 100.0);
    return 0;
}
