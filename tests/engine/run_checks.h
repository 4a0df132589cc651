// Checks shared by the fault tests: a run left the window idle, and the files of a folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "recording_host.h"
#include "temp_folder.h"

namespace engine_test {

// The buttons, the stop flag and the bar are back at rest after the finish step.
inline void expectIdleAfterRun(const RecordingHost& host) {
    EXPECT_EQ(host.replaceCaption, "Replace");
    EXPECT_TRUE(host.replaceEnabled);
    EXPECT_FALSE(host.stopEnabled);
    EXPECT_FALSE(host.stopFlag);
    EXPECT_EQ(host.progressValue, 0);
}

// Every regular file of `folder` by name, with its bytes; folders are listed with "<folder>".
inline std::map<std::string, std::string> folderContents(const std::filesystem::path& folder) {
    std::map<std::string, std::string> contents;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::u8string name = entry.path().filename().u8string();
        contents[std::string(name.begin(), name.end())] =
            entry.is_directory() ? "<folder>" : readFile(entry.path());
    }
    return contents;
}

}  // namespace engine_test
