// A scripted Open dialog and message box that record each call: no real one opens in tests.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "selection/get_files.h"

using Strings = std::vector<std::string>;

struct Script {
    explicit Script(std::string fail = "", std::string choice = "")
        : failAt(std::move(fail)), selection(std::move(choice)) {}
    std::string failAt;     // the step that throws
    std::string selection;  // what the user chooses; empty: Cancel
    std::function<void()> onShow;
    Strings calls;     // "create", "Name=value", "ShowOpen", "FileName", "~"
    Strings messages;  // "title|text"

    void step(const std::string& call) {
        calls.push_back(call);
        if (call.substr(0, call.find('=')) == failAt)
            throw selection::DialogFailure(7, "Out of memory");
        if (call != "ShowOpen") return;
        if (onShow) onShow();
        if (selection.empty()) throw selection::DialogFailure(selection::kCancelNumber, "");
    }
    std::unique_ptr<selection::OpenDialog> create();
    void show(const std::string& title, const std::string& text) {
        messages.push_back(title + '|' + text);
    }
};

struct ScriptedDialog : selection::OpenDialog {
    explicit ScriptedDialog(Script& script) : s(script) {}
    ~ScriptedDialog() override { s.calls.push_back("~"); }
    void setCancelError(bool on) override { s.step(on ? "CancelError=true" : "CancelError=false"); }
    void setFilter(const std::string& filter) override { s.step("Filter=" + filter); }
    void setFilterIndex(int index) override { s.step("FilterIndex=" + std::to_string(index)); }
    void setDialogTitle(const std::string& title) override { s.step("DialogTitle=" + title); }
    void setMaxFileSize(int size) override { s.step("MaxFileSize=" + std::to_string(size)); }
    void setFlags(long flags) override { s.step("Flags=" + std::to_string(flags)); }
    void showOpen() override { s.step("ShowOpen"); }
    std::string fileName() const override { return s.step("FileName"), s.selection; }
    Script& s;
};

inline std::unique_ptr<selection::OpenDialog> Script::create() {
    step("create");
    return std::make_unique<ScriptedDialog>(*this);
}

inline selection::DialogServices services(Script& s) {
    return {[&s] { return s.create(); },
            [&s](const std::string& title, const std::string& text) { s.show(title, text); }};
}
