#include "cli/run_files.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <thread>

#include "cli/escape.h"
#include "cli/platform.h"
#include "cli/unified_diff.h"

namespace cli {
namespace {

using namespace std::chrono_literals;

// Each worker's bytes done, on a cache line of its own.
struct alignas(64) ProgressSlot {
    std::atomic<std::int64_t> bytes{0};
};

// One file's pass: the fixed texts, the stop flag every worker shares, the bytes done added to
// its worker's slot, and optionally the diff.
class FileObserver final : public engine::Observer {
public:
    FileObserver(const RunSettings& settings, const std::atomic<bool>& stop, ProgressSlot* slot)
        : texts_(settings.texts), stop_(stop), slot_(slot) {
        if (settings.diffContext >= 0) diff_.emplace(settings.diffContext, settings.utf8Terminal);
    }
    engine::Texts texts() const override { return texts_; }
    bool stopRequested() override { return stop_.load(std::memory_order_relaxed); }
    void progress(std::int64_t done, std::int64_t) override {
        // Only this worker writes its slot.
        constexpr auto relaxed = std::memory_order_relaxed;
        if (slot_ != nullptr)
            slot_->bytes.store(slot_->bytes.load(relaxed) + done - done_, relaxed);
        done_ = done;
    }
    bool wantsLines() const override { return diff_.has_value(); }
    void lineRewritten(const engine::RewrittenLine& line) override {
        diff_->line(line.before, line.after);
    }
    // The diff's hunks; empty without a diff or when nothing changed.
    std::string takeDiff() { return diff_ ? diff_->finish() : std::string(); }

private:
    engine::Texts texts_;
    const std::atomic<bool>& stop_;
    ProgressSlot* slot_;
    std::int64_t done_ = 0;
    std::optional<UnifiedDiff> diff_;
};

// Starts a pass for every file until `stop` is set, and reports each in list order.
class Run final : public engine::RunObserver {
public:
    Run(const RunSettings& settings, const engine::RunPlan& plan, Report& report,
        const std::atomic<bool>& stop)
        : settings_(settings),
          plan_(plan),
          report_(report),
          stop_(stop),
          observers_(plan.jobs.size()),
          slots_(std::max(1u, settings.jobs)) {}

    engine::Observer* fileStarting(std::size_t index, unsigned worker) override {
        if (stop_.load()) return nullptr;
        ProgressSlot* slot = settings_.progress != nullptr ? &slots_[worker] : nullptr;
        observers_[index] = std::make_unique<FileObserver>(settings_, stop_, slot);
        return observers_[index].get();
    }

    void fileDone(std::size_t index, const engine::FileReport& passed) override {
        const std::unique_ptr<FileObserver> observer = std::move(observers_[index]);
        FileResult result;
        result.source = textFromPath(plan_.jobs[index].source);
        result.output = textFromPath(plan_.jobs[index].output);
        if (passed.outcome == engine::FileReport::Outcome::failed) {
            result.status = FileResult::Status::failed;
            result.failedFile = textFromPath(passed.failedFile);
            result.reason = passed.reason;
        } else {
            result.status = passed.outcome == engine::FileReport::Outcome::stopped
                                ? FileResult::Status::stopped
                                : FileResult::Status::done;
            result.stats = passed.stats;
            if (std::string hunks = observer->takeDiff(); !hunks.empty()) {
                std::string headers = "--- ";
                appendForTerminal(headers, result.source, settings_.utf8Terminal);
                headers += "\n+++ ";
                appendForTerminal(headers, result.output, settings_.utf8Terminal);
                result.diff = headers + "\n" + hunks;
            }
        }
        if (settings_.progress != nullptr) settings_.progress->clear();
        totals.add(result);
        report_.file(result);
    }

    // With a progress line, the calling thread wakes ten times a second and no more often.
    bool waiting() override {
        if (settings_.progress == nullptr) return true;
        std::int64_t bytes = 0;
        for (const ProgressSlot& slot : slots_) bytes += slot.bytes.load();
        settings_.progress->update(totals.files, bytes);
        std::this_thread::sleep_for(100ms);
        return false;
    }

    Totals totals;

private:
    const RunSettings& settings_;
    const engine::RunPlan& plan_;
    Report& report_;
    const std::atomic<bool>& stop_;
    std::vector<std::unique_ptr<FileObserver>> observers_;
    std::vector<ProgressSlot> slots_;
};

}  // namespace

Totals runFiles(const RunSettings& settings, Report& report, const std::atomic<bool>& stop) {
    // Every listed file is chosen: no output may replace any of them.
    const engine::RunPlan plan(settings.files);
    Run run(settings, plan, report, stop);
    const std::size_t started =
        engine::run(plan, run, std::max(1u, settings.jobs), *settings.fileLayer).size();
    run.totals.files += static_cast<std::int64_t>(plan.jobs.size() - started);
    run.totals.notStarted += static_cast<std::int64_t>(plan.jobs.size() - started);
    if (settings.progress != nullptr) settings.progress->clear();
    return run.totals;
}

}  // namespace cli
