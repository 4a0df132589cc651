// A replace run clicked in a window against the same run through engine::run with an observer
// that does nothing, for the Qt and the Win32 window's benchmarks. Judged by the process's CPU
// time outside the kernel: creating and moving files is the same work for both and varies from
// run to run, while the time outside the kernel shows what the window adds.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "corpus.h"
#include "engine/engine.h"
#include "rounds.h"
#include "ui/path_text.h"
#include "ui/window_logic.h"

namespace bench {

// Chooses `chosen` (one full path, or names in `folder`) in the window of `logic`, then times
// `clickReplace` against engine::run over the same plan, in interleaved rounds.
inline void windowAgainstEngine(const std::string& window, ui::WindowLogic& logic,
                                const std::function<void()>& clickReplace,
                                const std::vector<std::filesystem::path>& chosen,
                                const std::filesystem::path& folder, const std::string& name) {
    logic.clearList();
    logic.setDirectoryText(ui::toText(folder));
    for (const std::filesystem::path& entry : chosen) logic.appendEntry(ui::toText(entry));
    logic.setReplaceEnabled(true);

    const engine::RunPlan plan = engine::planRun(chosen, folder);
    std::vector<std::filesystem::path> sources;
    for (const engine::FileJob& job : plan.jobs) sources.push_back(job.source);
    const auto reset = [&] { dropOutputs(sources); };
    const int rounds = roundsFromEnvironment();
    const std::vector<Timing> t =
        medianRounds({{[&] { runDefaults(plan); }, reset}, {clickReplace, reset}}, rounds);
    for (const std::filesystem::path& source : sources) {
        if (std::filesystem::exists(engine::outputPath(source))) continue;
        std::fprintf(stderr, "the %s window wrote no output\n", window.c_str());
        std::exit(1);
    }
    dropOutputs(sources);

    std::printf("%s; medians of %d interleaved rounds\n", name.c_str(), rounds);
    const std::string label = window + " window / engine, " + name;
    printRatio(label + ", user time", t[1].user / t[0].user, "<=", 1.1,
               against(t[1].user, t[0].user));
    printInformative(label + ", wall time", t[1].wall / t[0].wall, against(t[1].wall, t[0].wall));
}

// Both cases, as `which` ("file", "files" or empty: both) asks: one generated file
// (BENCH_CORPUS_MB) and BENCH_SMALL_FILES files of 1 kB.
inline void windowCases(
    const std::string& which,
    const std::function<void(const std::vector<std::filesystem::path>&,
                             const std::filesystem::path&, const std::string&)>& measure) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "segment-replace-bench";
    std::filesystem::create_directories(folder);
    if (which != "files") {
        const std::uint64_t bytes = corpusBytesFromEnvironment();
        // One file per size, so that a quick run does not pick up a larger corpus.
        const std::filesystem::path corpus =
            folder / ("corpus-" + std::to_string(bytes / 1000000) + "MB.htm");
        writeCorpus(corpus, bytes);
        measure(
            {corpus}, folder,
            "one file of " + std::to_string(std::filesystem::file_size(corpus) / 1000000) + " MB");
    }
    if (which != "file") {
        const std::filesystem::path files = folder / "window-files";
        const std::vector<std::filesystem::path> names =
            writeSmallFiles(files, smallFileCountFromEnvironment());
        measure(names, files, std::to_string(names.size()) + " files of 1 kB");
        std::filesystem::remove_all(files);
    }
}

}  // namespace bench
