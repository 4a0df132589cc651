// Controls that record every call as a line of text, with a scripted Open dialog, input that
// waits until the next processEvents(), and a clock the test moves.
#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/selection/scripted_dialog.h"
#include "ui/controls.h"
#include "ui/window_logic.h"

struct FakeControls : ui::Controls {
    Strings log;
    Script script;
    int events = 0;
    std::vector<std::function<void()>> queued;  // input handled by the next processEvents()
    std::function<void(int)> onEvents;          // called with the count at each processEvents()
    std::chrono::milliseconds tick{0};          // how far the clock moves at each reading
    std::chrono::steady_clock::time_point clock{};
    ui::WindowLogic logic{*this, [this] { return clock += tick; }};

    void note(std::string line) { log.push_back(std::move(line)); }
    void setReplaceCaption(const std::string& caption) override { note("caption=" + caption); }
    void setReplaceEnabled(bool on) override { note(on ? "Replace on" : "Replace off"); }
    void setStopEnabled(bool on) override { note(on ? "Stop on" : "Stop off"); }
    void clearList() override { note("clear"); }
    void appendEntry(const std::string& entry) override { note("entry=" + entry); }
    void showSelectedEntry(int index) override { note("select=" + std::to_string(index)); }
    void setDirectoryText(const std::string& text) override { note("label=" + text); }
    void setText(ui::TextBox box, const std::string& text) override {
        note("text" + std::to_string(static_cast<int>(box)) + '=' + text);
    }
    void setProgress(int min, int max, int value) override {
        note("bar=" + std::to_string(min) + ',' + std::to_string(max) + ',' +
             std::to_string(value));
    }
    void processEvents() override {
        note("events");
        for (auto& handle : std::exchange(queued, {})) handle();
        if (onEvents) onEvents(++events);
    }
    bool inputWaiting() override { return !queued.empty(); }
    void showExclamation(const std::string& title, const std::string& text) override {
        script.show(title, text);
    }
    std::unique_ptr<selection::OpenDialog> createOpenDialog() override { return script.create(); }
    void closeWindow() override { note("close"); }
    long count(const std::string& prefix) const {  // logged lines that start with `prefix`
        return std::ranges::count_if(log, [&](auto& line) { return line.starts_with(prefix); });
    }
};
