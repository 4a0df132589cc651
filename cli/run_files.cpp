#include "cli/run_files.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <thread>

#include "cli/platform.h"
#include "cli/spool.h"
#include "cli/stream_files.h"

namespace cli {
namespace {

using namespace std::chrono_literals;

// Each worker's bytes done, on a cache line of its own.
struct alignas(64) ProgressSlot {
    std::atomic<std::int64_t> bytes{0};
};

// One file's pass: the fixed texts, the stop flag every worker shares, the bytes done added to
// its worker's slot, and optionally the diff, written to `diffs` as its hunks are complete.
class FileObserver final : public engine::Observer {
public:
    FileObserver(const RunSettings& settings, const std::atomic<bool>& stop, ProgressSlot* slot,
                 const engine::FileJob& job, std::size_t index, OrderedOutput& diffs)
        : texts_(settings.texts), stop_(stop), slot_(slot) {
        if (settings.diffContext < 0) return;
        diff_.emplace(settings.diffContext, settings.diffStyle, textFromPath(job.source),
                      [&diffs, index](std::string_view bytes) { diffs.write(index, bytes); });
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
    void lineRewritten(const engine::RewrittenLine& line) override { diff_->line(line); }
    // Writes the diff's last hunk; whether it has any.
    bool finishDiff() { return diff_ && diff_->finish(); }

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
          slots_(std::max(1u, settings.jobs)),
          diffs_(
              [this](std::string_view bytes) {
                  if (settings_.diffOut != nullptr) settings_.diffOut->write(bytes);
              },
              settings.diffOut != nullptr) {}

    engine::Observer* fileStarting(std::size_t index, unsigned worker) override {
        if (stop_.load()) return nullptr;
        ProgressSlot* slot = settings_.progress != nullptr ? &slots_[worker] : nullptr;
        observers_[index] = std::make_unique<FileObserver>(settings_, stop_, slot,
                                                           plan_.jobs[index], index, diffs_);
        return observers_[index].get();
    }

    void fileDone(std::size_t index, const engine::FileReport& passed) override {
        const std::unique_ptr<FileObserver> observer = std::move(observers_[index]);
        FileResult result;
        result.source = textFromPath(plan_.jobs[index].source);
        result.output = textFromPath(plan_.jobs[index].output);
        if (settings_.progress != nullptr) settings_.progress->clear();
        if (passed.outcome != engine::FileReport::Outcome::failed) {
            try {
                if (observer->finishDiff() && settings_.diffOut == nullptr) {
                    result.diff = [this, index](const Sink& to) { diffs_.take(index, to); };
                }
            } catch (const std::exception& error) {  // a temporary file that cannot be written
                result.reason = error.what();
            }
        }
        if (passed.outcome == engine::FileReport::Outcome::failed || !result.reason.empty()) {
            result.status = FileResult::Status::failed;
            result.failedFile =
                result.reason.empty() ? textFromPath(passed.failedFile) : result.source;
            if (result.reason.empty()) result.reason = passed.reason;
        } else {
            result.status = passed.outcome == engine::FileReport::Outcome::stopped
                                ? FileResult::Status::stopped
                            : passed.written ? FileResult::Status::done
                                             : FileResult::Status::unchanged;
            result.stats = passed.stats;
        }
        totals.add(result);
        // The diff comes before the file's line in the text report, inside its entry in JSON,
        // and the next file's diff after both.
        if (settings_.diffOut != nullptr) diffs_.flush(index);
        report_.file(result);
        diffs_.finish(index);
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
    OrderedOutput diffs_;
};

}  // namespace

Totals runFiles(const RunSettings& settings, Report& report, const std::atomic<bool>& stop) {
    // Every listed file is chosen: no output may replace any of them, except a source its own.
    engine::RunPlan plan(settings.files);
    for (engine::FileJob& job : plan.jobs) {
        if (job.source == kStandardStreams) {
            job.output = job.source;  // a filter, which writes every line
            continue;
        }
        job.changedOnly = settings.changedOnly || settings.inPlace;
        if (!settings.inPlace) continue;
        job.output = job.source;
        if (settings.backupSuffix)
            (job.backup = job.source) += pathFromText(*settings.backupSuffix);
    }
    Run run(settings, plan, report, stop);
    const std::size_t started =
        engine::run(plan, run, std::max(1u, settings.jobs), *settings.fileLayer).size();
    run.totals.files += static_cast<std::int64_t>(plan.jobs.size() - started);
    run.totals.notStarted += static_cast<std::int64_t>(plan.jobs.size() - started);
    if (settings.progress != nullptr) settings.progress->clear();
    return run.totals;
}

}  // namespace cli
