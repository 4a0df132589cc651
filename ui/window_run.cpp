#include "ui/window_run.h"

#include "selection/add_file.h"
#include "ui/path_text.h"

namespace ui {
namespace {

// Puts the buttons and the stop flag back however the run ends.
class FinishStep {
public:
    FinishStep(RunWindow& window, bool files) : window_(window), files_(files) {}
    ~FinishStep() {
        window_.setReplaceCaption("Replace");
        window_.setReplaceEnabled(files_);
        window_.setStopEnabled(false);
        window_.setStopFlag(false);
        window_.clearProgress();
    }
    FinishStep(const FinishStep&) = delete;
    FinishStep& operator=(const FinishStep&) = delete;

private:
    RunWindow& window_;
    bool files_;
};

// The entry of the file at work stays selected until its pass is over, and after it when it
// was stopped.
class EntrySelection final : public engine::RunObserver {
public:
    explicit EntrySelection(RunWindow& window) : window_(window) {}
    engine::Observer* fileStarting(std::size_t index, unsigned) override {
        window_.selectEntry(static_cast<int>(index), true);
        return &window_;
    }
    void fileDone(std::size_t index, const engine::FileReport& report) override {
        if (report.outcome == engine::FileReport::Outcome::stopped) return;
        window_.selectEntry(static_cast<int>(index), false);
        if (report.outcome == engine::FileReport::Outcome::failed) {
            window_.reportFailure(report.failedFile, report.reason);
        }
    }

private:
    RunWindow& window_;
};

}  // namespace

bool holdsFiles(const std::vector<std::string>& entries) {
    return entries.size() > 1 ||
           (entries.size() == 1 && entries.front() != selection::kNoFilesSelected);
}

void replaceRun(RunWindow& window, const std::vector<std::string>& entries,
                const std::string& folder, engine::FileLayer& files) {
    const bool chosen = holdsFiles(entries);
    window.setReplaceCaption("Waiting ...");
    window.setReplaceEnabled(false);
    window.setStopEnabled(true);
    window.setStopFlag(false);
    const FinishStep finish(window, chosen);
    if (!chosen) return;

    std::vector<std::filesystem::path> paths;
    paths.reserve(entries.size());
    for (const std::string& entry : entries) paths.push_back(toPath(entry));
    EntrySelection selection(window);
    engine::run(engine::planRun(paths, toPath(folder)), selection, 0, files);
}

}  // namespace ui
