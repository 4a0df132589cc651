// A window stand-in for engine tests: holds the list, the folder text and the four texts, and
// records every host operation in order.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/engine.h"

namespace engine_test {

class RecordingHost : public engine::RunHost {
public:
    std::vector<std::filesystem::path> entries;
    std::filesystem::path directory;
    std::string startMarker = "<a";
    std::string stopMarker = ">";
    std::string searchText = "b";
    std::string replacementText = "i";

    // Called at every yield with its 1-based count, e.g. to press Stop or edit a text.
    std::function<void(int)> onYield;

    std::vector<std::string> events;  // "select 0 on", "max 4", "value 2", "yield", ...
    std::vector<std::pair<std::filesystem::path, std::string>> failures;
    int yields = 0;
    bool stopFlag = false;
    bool replaceEnabled = false;
    bool stopEnabled = false;
    std::string replaceCaption = "Replace";
    std::int64_t progressValue = 0, progressMin = 0, progressMax = 100;

    void selectEntry(int index, bool on) override {
        events.push_back("select " + std::to_string(index) + (on ? " on" : " off"));
    }
    void setProgressValue(std::int64_t value) override {
        progressValue = value;
        events.push_back("value " + std::to_string(value));
    }
    void setProgressMin(std::int64_t value) override {
        progressMin = value;
        events.push_back("min " + std::to_string(value));
    }
    void setProgressMax(std::int64_t value) override {
        progressMax = value;
        events.push_back("max " + std::to_string(value));
    }
    void yield() override {
        ++yields;
        events.push_back("yield");
        if (onYield) onYield(yields);
    }
    bool stopRequested() const override { return stopFlag; }
    engine::Texts currentTexts() const override {
        return {startMarker, stopMarker, searchText, replacementText};
    }
    void reportFailure(const std::filesystem::path& file, const std::string& reason) override {
        failures.emplace_back(file, reason);
        events.push_back("failure " + file.filename().string());
    }
    void setReplaceCaption(std::string_view caption) override {
        replaceCaption = caption;
        events.push_back("caption " + replaceCaption);
    }
    void setReplaceEnabled(bool enabled) override {
        replaceEnabled = enabled;
        events.push_back(enabled ? "replace on" : "replace off");
    }
    void setStopEnabled(bool enabled) override {
        stopEnabled = enabled;
        events.push_back(enabled ? "stop on" : "stop off");
    }
    void setStopFlag(bool stop) override {
        stopFlag = stop;
        events.push_back(stop ? "flag on" : "flag off");
    }
    bool hasChosenFiles() const override {
        return !entries.empty() && !(entries.size() == 1 && entries[0] == "(No files selected)");
    }
    int entryCount() const override { return static_cast<int>(entries.size()); }
    std::filesystem::path entryText(int index) const override {
        return entries.at(static_cast<std::size_t>(index));
    }
    std::filesystem::path directoryText() const override { return directory; }

    // The recorded events that start with `prefix`, in order.
    std::vector<std::string> eventsStartingWith(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& event : events) {
            if (event.rfind(prefix, 0) == 0) found.push_back(event);
        }
        return found;
    }
};

}  // namespace engine_test
