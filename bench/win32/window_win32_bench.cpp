// A replace run clicked in the Win32 window against the same run through engine::run with an
// observer that does nothing, in interleaved rounds (BENCH_ROUNDS, 5 by default), judged by the
// process's CPU time outside the kernel, as bench/window/window_bench.cpp does for the Qt one.
//
//   window_win32_bench [file|files]   one generated file (BENCH_CORPUS_MB, 200 by default), and
//                                     BENCH_SMALL_FILES (20000) files of 1 kB; without one, both
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "corpus.h"
#include "engine/engine.h"
#include "rounds.h"
#include "ui/path_text.h"
#include "ui/win32/frmMain.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "window_win32_bench: %s\n", what.c_str());
    std::exit(1);
}

// Chooses `chosen` (one full path, or names in `folder`) in the window, then times its Replace
// button against engine::run over the same plan.
void measure(win32view::frmMain& window, const std::vector<fs::path>& chosen,
             const fs::path& folder, const std::string& name) {
    window.logic().clearList();
    window.logic().setDirectoryText(ui::toText(folder));
    for (const fs::path& entry : chosen) window.logic().appendEntry(ui::toText(entry));
    window.logic().setReplaceEnabled(true);
    const HWND replace = window.control(win32view::cmdReplace);
    if (!IsWindowEnabled(replace)) fail("Replace is disabled");

    const engine::RunPlan plan = engine::planRun(chosen, folder);
    std::vector<fs::path> sources;
    for (const engine::FileJob& job : plan.jobs) sources.push_back(job.source);
    const auto reset = [&] { bench::dropOutputs(sources); };
    const int rounds = bench::roundsFromEnvironment();
    const std::vector<bench::Timing> t =
        bench::medianRounds({{[&] { bench::runDefaults(plan); }, reset},
                             {[&] { SendMessageW(replace, BM_CLICK, 0, 0); }, reset}},
                            rounds);
    for (const fs::path& source : sources) {
        if (!fs::exists(engine::outputPath(source))) fail("the window wrote no output");
    }
    bench::dropOutputs(sources);

    std::printf("%s; medians of %d interleaved rounds\n", name.c_str(), rounds);
    bench::printRatio("Win32 window / engine, " + name + ", user time", t[1].user / t[0].user,
                      "<=", 1.1, bench::against(t[1].user, t[0].user));
    bench::printInformative("Win32 window / engine, " + name + ", wall time", t[1].wall / t[0].wall,
                            bench::against(t[1].wall, t[0].wall));
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::string which = argc > 1 ? argv[1] : "";
    if (argc > 2 || (!which.empty() && which != "file" && which != "files")) {
        std::fprintf(stderr, "usage: window_win32_bench [file|files]\n");
        return 2;
    }
    win32view::frmMain window(selection::DialogServices{
        {}, [](const std::string&, const std::string& text) { fail(text); }});
    window.show();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) win32view::frmMain::dispatch(msg);

    const fs::path folder = fs::temp_directory_path() / "segment-replace-bench";
    fs::create_directories(folder);
    if (which != "files") {
        const std::uint64_t bytes = bench::corpusBytesFromEnvironment();
        const fs::path corpus = folder / ("corpus-" + std::to_string(bytes / 1000000) + "MB.htm");
        bench::writeCorpus(corpus, bytes);
        measure(window, {corpus}, folder,
                "one file of " + std::to_string(fs::file_size(corpus) / 1000000) + " MB");
    }
    if (which != "file") {
        const fs::path files = folder / "window-files";
        const std::vector<fs::path> names =
            bench::writeSmallFiles(files, bench::smallFileCountFromEnvironment());
        measure(window, names, files, std::to_string(names.size()) + " files of 1 kB");
        fs::remove_all(files);
    }
    return 0;
}
