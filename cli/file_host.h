// The engine's host for one file pass of the command line: fixed texts, a stop flag shared by
// every worker, the pass's counts and failures, and optionally its diff.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "cli/unified_diff.h"
#include "engine/engine.h"

namespace cli {

class FileHost final : public engine::PassHost {
public:
    // `progress`, when given, receives the bytes of the file done so far after every line.
    FileHost(const engine::Texts& texts, const std::atomic<bool>& stop,
             std::atomic<std::int64_t>* progress);

    // Collects the lines of the pass into a unified diff.
    void keepDiff(int context, bool utf8Terminal);

    void selectEntry(int, bool) override {}
    void setProgressValue(std::int64_t value) override {
        if (progress_ != nullptr) progress_->store(value, std::memory_order_relaxed);
    }
    void setProgressMin(std::int64_t) override {}
    void setProgressMax(std::int64_t) override {}
    void yield() override {}
    bool stopRequested() const override { return stop_.load(std::memory_order_relaxed); }
    engine::Texts currentTexts() const override { return texts_; }
    void reportFailure(const std::filesystem::path& file, const std::string& reason) override;
    void fileDone(const engine::PassStats& stats) override { stats_ = stats; }
    bool wantsLines() const override { return diff_ != nullptr; }
    void lineRewritten(std::string_view before, std::string_view after) override {
        diff_->line(before, after);
    }

    // Set once the pass wrote its output (completed or stopped).
    const std::optional<engine::PassStats>& stats() const { return stats_; }
    // The first failure reported: the file concerned and the reason.
    const std::optional<std::pair<std::filesystem::path, std::string>>& failure() const {
        return failure_;
    }
    // The diff's hunks; empty without keepDiff() or when nothing changed.
    std::string takeDiff() { return diff_ ? diff_->finish() : std::string(); }

private:
    engine::Texts texts_;
    const std::atomic<bool>& stop_;
    std::atomic<std::int64_t>* progress_;
    std::unique_ptr<UnifiedDiff> diff_;
    std::optional<engine::PassStats> stats_;
    std::optional<std::pair<std::filesystem::path, std::string>> failure_;
};

}  // namespace cli
