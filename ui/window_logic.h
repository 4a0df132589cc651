// The window's behaviour without a toolkit: the click handlers, the run/stop/close state, the
// throttled yield and bar, the failure report and the initial texts. The replace run and the Add
// File click work through it, and it alone drives a view, through Controls.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/default_texts.h"
#include "selection/add_file.h"
#include "ui/controls.h"
#include "ui/failure_report.h"
#include "ui/window_run.h"

namespace ui {

// The texts the window opens with.
inline constexpr std::string_view kInitialDirectory = "Click Open... and select multiple files";
inline constexpr std::array<std::string_view, kTextBoxCount> kInitialTexts = {
    engine::kDefaultStart, engine::kDefaultStop, engine::kDefaultSearch,
    engine::kDefaultReplacement};

// Events are handled, and the bar repainted, at most this often during a run.
inline constexpr auto kFrame = std::chrono::milliseconds(15);

class WindowLogic final : public RunWindow {
public:
    using Clock = std::chrono::steady_clock;
    explicit WindowLogic(Controls& controls, std::function<Clock::time_point()> now = Clock::now);

    // The initial state, set when the window is loaded.
    void load();
    void cmdAdd_Click();
    void cmdReplace_Click();
    void cmdStop_Click();
    // Whether the window may close now. During a run it stops the run instead, and the window is
    // closed through Controls once the run has returned.
    bool queryClose();
    // A text box changed; the engine reads the texts for every line, so they are kept ready.
    void textChanged(TextBox box, std::string utf8);

    bool running() const { return running_; }
    bool bStop = false;

    // Entry `index` as a path, empty past the list's end.
    std::filesystem::path entryText(int index) const;

    // What a pass needs.
    engine::Texts texts() const override;
    bool stopRequested() override;
    void progress(std::int64_t done, std::int64_t total) override;

    // What the run needs; setReplaceEnabled serves the Add File click as well.
    void setReplaceCaption(std::string_view caption) override;
    void setReplaceEnabled(bool enabled) override;
    void setStopEnabled(bool enabled) override;
    void setStopFlag(bool stop) override { bStop = stop; }
    void selectEntry(int index, bool on) override;
    void clearProgress() override { progressValue_ = 0; }
    void reportFailure(const std::filesystem::path& file, const std::string& reason) override;

    // The list and the label, as the Add File click fills them.
    void clearList();
    void appendEntry(const std::string& entry);
    void setDirectoryText(const std::string& text);

private:
    // Hands the selection and the bar to the view where they differ from what it shows.
    void paint();
    void processEvents();
    void yield();

    Controls& controls_;
    std::function<Clock::time_point()> now_;
    selection::DialogServices services_;

    // Mirrors of what the list and the label hold, read by the run without asking the view.
    std::vector<std::string> entries_;
    std::string directory_;
    std::array<std::string, kTextBoxCount> texts_;
    std::uint64_t textsVersion_ = 1;

    // The selection and progress as the engine set them, and as the view last showed them.
    int selected_ = -1;
    int shownSelected_ = -1;
    std::int64_t progressMax_ = form::kProgressMax;
    std::int64_t progressValue_ = 0;
    std::array<int, 3> shownBar_{0, form::kProgressMax, 0};

    Clock::time_point lastEvents_{};
    bool eventsDue_ = true;  // the run's first yield
    bool fileStarted_ = false;
    // Yields left, and the progress at the last look, before the clock is read again.
    int yieldsToClock_ = 0;
    std::int64_t progressAtClock_ = 0;

    bool running_ = false;
    bool closeAfterRun_ = false;
    bool addAfterRun_ = false;
    std::vector<Failure> failures_;
};

}  // namespace ui
