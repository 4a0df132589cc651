#include "ui/window_logic.h"

#include <exception>

#include "ui/path_text.h"
#include "ui/progress_scale.h"

namespace ui {

namespace {

// Reading the clock costs about as much as rewriting a short line, so it is read only after this
// many lines or this many bytes, whichever comes first: either takes far less than a frame.
constexpr int kYieldsPerClockRead = 64;
constexpr std::int64_t kBytesPerClockRead = 64 * 1024;

}  // namespace

WindowLogic::WindowLogic(Controls& controls, std::function<Clock::time_point()> now)
    : controls_(controls), now_(std::move(now)) {
    services_.createDialog = [this] { return controls_.createOpenDialog(); };
    services_.showExclamation = [this](const std::string& title, const std::string& text) {
        controls_.showExclamation(title, text);
    };
}

void WindowLogic::load() {
    setDirectoryText(std::string(kInitialDirectory));
    for (int box = 0; box < kTextBoxCount; ++box) {
        texts_[box] = kInitialTexts[box];
        controls_.setText(static_cast<TextBox>(box), texts_[box]);
    }
    ++textsVersion_;
    controls_.setReplaceEnabled(false);
    controls_.setStopEnabled(false);
}

void WindowLogic::cmdAdd_Click() {
    if (running_) {
        // The run must not see its list change: stop it and choose once it has returned.
        bStop = true;
        addAfterRun_ = true;
        return;
    }
    // The dialog opens over an empty list.
    clearList();
    const selection::FileChoice choice = selection::addFileClick(services_);
    if (choice.directoryText) setDirectoryText(*choice.directoryText);
    for (const std::string& entry : choice.entries) appendEntry(entry);
    setReplaceEnabled(choice.replaceEnabled);
}

void WindowLogic::cmdReplace_Click() {
    if (running_) return;
    running_ = true;
    failures_.clear();
    eventsDue_ = true;
    try {
        replaceRun(*this, entries_, directory_);
    } catch (const std::exception& e) {
        // The run has put the buttons back on its way out; what remains is to tell the user.
        reportFailure({}, e.what());
    }
    running_ = false;
    paint();

    if (!failures_.empty()) {
        const std::string text = failureText(failures_);
        failures_.clear();
        controls_.showExclamation(std::string(kReplaceErrorTitle), text);
    }
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        addAfterRun_ = false;
        controls_.closeWindow();
    } else if (addAfterRun_) {
        addAfterRun_ = false;
        cmdAdd_Click();
    }
}

void WindowLogic::cmdStop_Click() {
    bStop = true;
}

bool WindowLogic::queryClose() {
    if (!running_) return true;
    // The pass closes its files once it sees the flag; the window follows when it has.
    bStop = true;
    closeAfterRun_ = true;
    return false;
}

void WindowLogic::textChanged(TextBox box, std::string utf8) {
    std::string& text = texts_[static_cast<int>(box)];
    if (text == utf8) return;
    text = std::move(utf8);
    ++textsVersion_;
}

void WindowLogic::selectEntry(int index, bool on) {
    if (on) {
        selected_ = index;
        // A new file: the clock is looked at on its first yield, whatever the counters say.
        fileStarted_ = true;
    } else if (selected_ == index) {
        selected_ = -1;
    }
}

void WindowLogic::progress(std::int64_t done, std::int64_t total) {
    progressValue_ = done;
    progressMax_ = total;
}

void WindowLogic::paint() {
    if (selected_ != shownSelected_) {
        shownSelected_ = selected_;
        controls_.showSelectedEntry(selected_);
    }
    const BarRange bar = barRange(0, progressMax_, progressValue_);
    const std::array<int, 3> wanted{bar.min, bar.max, bar.value};
    if (wanted != shownBar_) {
        shownBar_ = wanted;
        controls_.setProgress(bar.min, bar.max, bar.value);
    }
}

void WindowLogic::processEvents() {
    eventsDue_ = false;
    fileStarted_ = false;
    paint();
    controls_.processEvents();
    lastEvents_ = now_();
    yieldsToClock_ = kYieldsPerClockRead;
    progressAtClock_ = progressValue_;
}

void WindowLogic::yield() {
    if (eventsDue_) return processEvents();
    if (fileStarted_) {
        fileStarted_ = false;
        // Input that arrived between two files (a Stop) is handled before the new file's first
        // line, without waiting for the frame.
        if (controls_.inputWaiting()) return processEvents();
    } else {
        const std::int64_t bytes = progressValue_ - progressAtClock_;
        if (--yieldsToClock_ > 0 && bytes >= 0 && bytes < kBytesPerClockRead) return;
    }
    yieldsToClock_ = kYieldsPerClockRead;
    progressAtClock_ = progressValue_;
    if (now_() - lastEvents_ >= kFrame) processEvents();
}

bool WindowLogic::stopRequested() {
    yield();
    return bStop;
}

engine::Texts WindowLogic::texts() const {
    return {texts_[0], texts_[1], texts_[2], texts_[3], textsVersion_};
}

void WindowLogic::reportFailure(const std::filesystem::path& file, const std::string& reason) {
    failures_.push_back({toText(file), reason});
}

void WindowLogic::setReplaceCaption(std::string_view caption) {
    controls_.setReplaceCaption(std::string(caption));
}

void WindowLogic::setReplaceEnabled(bool enabled) {
    controls_.setReplaceEnabled(enabled);
}

void WindowLogic::setStopEnabled(bool enabled) {
    controls_.setStopEnabled(enabled);
}

std::filesystem::path WindowLogic::entryText(int index) const {
    if (index < 0 || index >= static_cast<int>(entries_.size())) return {};
    return toPath(entries_[static_cast<std::size_t>(index)]);
}

void WindowLogic::clearList() {
    entries_.clear();
    selected_ = shownSelected_ = -1;
    controls_.clearList();
}

void WindowLogic::appendEntry(const std::string& entry) {
    entries_.push_back(entry);
    controls_.appendEntry(entry);
}

void WindowLogic::setDirectoryText(const std::string& text) {
    directory_ = text;
    controls_.setDirectoryText(text);
}

}  // namespace ui
