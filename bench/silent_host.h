// A window stand-in for the benchmarks: one chosen file (or a folder and names), the default
// texts, and nothing else done per line, so a timing shows the engine's own cost.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "corpus.h"
#include "engine/engine.h"

namespace bench {

class SilentHost final : public engine::RunHost {
public:
    explicit SilentHost(std::filesystem::path file) : names_{std::move(file)} {}
    SilentHost(std::filesystem::path folder, std::vector<std::filesystem::path> names)
        : folder_(std::move(folder)), names_(std::move(names)) {}

    void selectEntry(int, bool) override {}
    void setProgressValue(std::int64_t) override {}
    void setProgressMin(std::int64_t) override {}
    void setProgressMax(std::int64_t) override {}
    void yield() override {}
    bool stopRequested() const override { return false; }
    engine::Texts currentTexts() const override { return texts_; }
    // A benchmark whose file failed measures nothing: give up at once.
    void reportFailure(const std::filesystem::path& file, const std::string& reason) override {
        std::fprintf(stderr, "%s: %s\n", file.string().c_str(), reason.c_str());
        std::exit(1);
    }
    void setReplaceCaption(std::string_view) override {}
    void setReplaceEnabled(bool) override {}
    void setStopEnabled(bool) override {}
    void setStopFlag(bool) override {}
    bool hasChosenFiles() const override { return true; }
    int entryCount() const override { return static_cast<int>(names_.size()); }
    std::filesystem::path entryText(int i) const override {
        return names_[static_cast<std::size_t>(i)];
    }
    std::filesystem::path directoryText() const override { return folder_; }

private:
    std::filesystem::path folder_;
    std::vector<std::filesystem::path> names_;
    // Views made once, as a window keeps its texts converted, rather than measured every line.
    const engine::Texts texts_{kDefaultStart, kDefaultStop, kDefaultSearch, kDefaultReplacement, 1};
};

}  // namespace bench
