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
        : texts_(settings.texts), stop_(stop), slot_(slot), skipBinary_(settings.skipBinary) {
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
    bool skipsBinary() const override { return skipBinary_; }
    void lineRewritten(const engine::RewrittenLine& line) override { diff_->line(line); }
    // Writes the diff's last hunk; whether it has any.
    bool finishDiff() { return diff_ && diff_->finish(); }

private:
    engine::Texts texts_;
    const std::atomic<bool>& stop_;
    ProgressSlot* slot_;
    std::int64_t done_ = 0;
    bool skipBinary_;
    std::optional<UnifiedDiff> diff_;
};

// What is known of a listed file before any pass: a folder that could not be walked, or a file
// listed again (`added` false).
std::optional<FileResult> knownBefore(const ListedFile& file, bool added) {
    if (file.failure.empty() && added) return std::nullopt;
    FileResult result;
    result.source = textFromPath(file.path);
    result.output = textFromPath(engine::outputPath(file.path));
    result.status = file.failure.empty() ? FileResult::Status::skipped : FileResult::Status::failed;
    result.failedFile = file.failure.empty() ? "" : result.source;
    result.reason = file.failure.empty() ? "listed twice" : file.failure;
    return result;
}

// The pass for a source: its output beside it, over it in place, or standard output for "-".
engine::FileJob jobFor(const RunSettings& settings, const std::filesystem::path& source) {
    engine::FileJob job{source, engine::outputPath(source)};
    if (source == kStandardStreams) {
        job.output = job.source;  // a filter, which writes every line
        return job;
    }
    job.changedOnly = settings.changedOnly || settings.inPlace;
    if (settings.inPlace) {
        job.output = job.source;
        if (settings.backupSuffix)
            (job.backup = job.source) += pathFromText(*settings.backupSuffix);
    }
    return job;
}

// Starts a pass for every file until `stop` is set, and reports each in list order, with the
// listed files that need none.
class Run final : public engine::RunObserver {
public:
    Run(const RunSettings& settings, Report& report, const std::atomic<bool>& stop)
        : settings_(settings),
          report_(report),
          stop_(stop),
          known_(settings.files.size()),
          slots_(std::max(1u, settings.jobs)),
          diffs_(
              [this](std::string_view bytes) {
                  if (settings_.diffOut != nullptr) settings_.diffOut->write(bytes);
              },
              settings.diffOut != nullptr) {
        // Every listed file is chosen, looked up on disk on as many threads as the passes get.
        std::vector<const std::filesystem::path*> readable;
        for (const ListedFile& file : settings.files)
            if (file.failure.empty()) readable.push_back(&file.path);
        const std::vector<bool> added = plan.chosen.add(readable, slots_.size());
        for (std::size_t i = 0, next = 0; i < settings.files.size(); ++i) {
            known_[i] =
                knownBefore(settings.files[i], settings.files[i].failure.empty() && added[next++]);
            if (known_[i]) continue;
            plan.jobs.push_back(jobFor(settings, settings.files[i].path));
            listed_.push_back(i);
        }
        observers_.resize(plan.jobs.size());
    }

    engine::Observer* fileStarting(std::size_t index, unsigned worker) override {
        if (stop_.load()) return nullptr;
        ProgressSlot* slot = settings_.progress != nullptr ? &slots_[worker] : nullptr;
        observers_[index] =
            std::make_unique<FileObserver>(settings_, stop_, slot, plan.jobs[index], index, diffs_);
        return observers_[index].get();
    }

    void fileDone(std::size_t index, const engine::FileReport& passed) override {
        reportKnown(listed_[index]);
        const std::unique_ptr<FileObserver> observer = std::move(observers_[index]);
        FileResult result;
        result.source = textFromPath(plan.jobs[index].source);
        result.output = textFromPath(plan.jobs[index].output);
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
        } else if (passed.outcome == engine::FileReport::Outcome::skipped) {
            result.status = FileResult::Status::skipped;
            result.reason = passed.reason;
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
        next_ = listed_[index] + 1;
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

    // After the run: the known files after the last pass are reported when every pass was
    // made; otherwise they are counted as not started, as are the files never started.
    void finish(std::size_t started) {
        if (started == plan.jobs.size() && totals.stopped == 0) reportKnown(known_.size());
        const auto rest = static_cast<std::int64_t>(known_.size() - next_);
        totals.files += rest;
        totals.notStarted += rest;
    }

    engine::RunPlan plan;
    Totals totals;

private:
    // Reports the known files listed before `end`.
    void reportKnown(std::size_t end) {
        for (; next_ < end; ++next_) {
            if (known_[next_]) add(*known_[next_]);
        }
    }

    void add(const FileResult& result) {
        if (settings_.progress != nullptr) settings_.progress->clear();
        totals.add(result);
        report_.file(result);
    }

    const RunSettings& settings_;
    Report& report_;
    const std::atomic<bool>& stop_;
    std::vector<std::optional<FileResult>> known_;  // by listed file
    std::vector<std::size_t> listed_;               // the listed file of every pass
    std::size_t next_ = 0;                          // the first listed file not reported
    std::vector<std::unique_ptr<FileObserver>> observers_;
    std::vector<ProgressSlot> slots_;
    OrderedOutput diffs_;
};

}  // namespace

Totals runFiles(const RunSettings& settings, Report& report, const std::atomic<bool>& stop) {
    // Every listed file is chosen: no output may replace any of them, except a source its own.
    Run run(settings, report, stop);
    run.finish(engine::run(run.plan, run, std::max(1u, settings.jobs), *settings.fileLayer).size());
    if (settings.progress != nullptr) settings.progress->clear();
    return run.totals;
}

}  // namespace cli
