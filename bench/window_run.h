// A replace run clicked in a window against the same run through engine::run with an observer
// that does nothing, for the Qt and the Win32 window's benchmarks. Judged by the process's CPU
// time outside the kernel: creating and moving files is the same work for both and varies from
// run to run, while the time outside the kernel shows what the window adds.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "corpus.h"
#include "engine/engine.h"
#include "rounds.h"
#include "ui/path_text.h"
#include "ui/window_logic.h"

namespace bench {

// What a window's run is over: one full path, or names in `folder`; the folder removed after
// the measure when `temporary`.
struct WindowChoice {
    std::vector<std::filesystem::path> chosen;
    std::filesystem::path folder;
    std::string name;
    bool temporary = false;
};

// Chooses `choice` in the window of `logic`; the contenders: engine::run over the same choice,
// planned as the window plans it, then `clickReplace`, judged by user time.
inline Measure windowAgainstEngine(const std::string& window, ui::WindowLogic& logic,
                                   const std::function<void()>& clickReplace,
                                   const WindowChoice& choice) {
    logic.clearList();
    logic.setDirectoryText(ui::toText(choice.folder));
    for (const std::filesystem::path& entry : choice.chosen) logic.appendEntry(ui::toText(entry));
    logic.setReplaceEnabled(true);

    const auto plan =
        std::make_shared<const engine::RunPlan>(engine::planRun(choice.chosen, choice.folder));
    std::vector<std::filesystem::path> sources;
    for (const engine::FileJob& job : plan->jobs) sources.push_back(job.source);
    const auto reset = [sources] { dropOutputs(sources); };
    std::printf("%s; medians of %d interleaved rounds\n", choice.name.c_str(),
                roundsFromEnvironment());
    const std::string label = window + " window / engine, " + choice.name;
    return {label + ", user time",
            {{[choice] { runDefaults(engine::planRun(choice.chosen, choice.folder)); }, reset},
             {clickReplace, reset}},
            [window, label, sources, choice](const std::vector<Timing>& t) {
                for (const std::filesystem::path& source : sources) {
                    if (std::filesystem::exists(engine::outputPath(source))) continue;
                    std::fprintf(stderr, "the %s window wrote no output\n", window.c_str());
                    std::exit(1);
                }
                dropOutputs(sources);
                if (choice.temporary) std::filesystem::remove_all(choice.folder);
                return Outcome{t[1].user / t[0].user,
                               t[1].user,
                               t[0].user,
                               against(t[1].user, t[0].user),
                               {{label + ", wall time", t[1].wall / t[0].wall,
                                 against(t[1].wall, t[0].wall)}}};
            }};
}

// The cases: one generated file (BENCH_CORPUS_MB), or BENCH_SMALL_FILES files of 1 kB; each
// written when asked for.
inline WindowChoice windowCase(bool smallFiles) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "segment-replace-bench";
    std::filesystem::create_directories(folder);
    if (!smallFiles) {
        const std::uint64_t bytes = corpusBytesFromEnvironment();
        // One file per size, so that a quick run does not pick up a larger corpus.
        const std::filesystem::path corpus =
            folder / ("corpus-" + std::to_string(bytes / 1000000) + "MB.htm");
        writeCorpus(corpus, bytes);
        return {
            {corpus},
            folder,
            "one file of " + std::to_string(std::filesystem::file_size(corpus) / 1000000) + " MB"};
    }
    const std::filesystem::path files = folder / "window-files";
    const std::vector<std::filesystem::path> names =
        writeSmallFiles(files, smallFileCountFromEnvironment());
    return {names, files, std::to_string(names.size()) + " files of 1 kB", true};
}

// The window's target: its user time against the engine's at most 1.1 times.
constexpr double kWindowTarget = 1.1;

}  // namespace bench
