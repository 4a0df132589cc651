// File failures during a run: whatever fails for the first of two entries, its source and any
// earlier output stay as they were, no temporary file is left, the host hears why, the second
// entry is still processed and the window ends idle.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "faulty_files.h"
#include "recording_host.h"
#include "run_checks.h"
#include "temp_folder.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#endif

namespace {

namespace fs = std::filesystem;
using engine_test::RecordingHost;
using engine_test::TempFolder;
using engine_test::writeFile;
using testfiles::FaultyFiles;

// Three MiB of lines, so that the engine reads and writes it in several blocks.
std::string bigSource() {
    std::string text;
    for (int i = 0; text.size() < (3u << 20); ++i)
        text += "<a b> line " + std::to_string(i) + "\r\n";
    return text;
}

const std::string kEarlierOutput = "earlier output\r\n";
const std::string kGone = "<gone>";

struct FaultCase {
    const char* name;
    std::function<void(const TempFolder&, FaultyFiles&)> inject;
    const char* failedFile;  // the file name the failure is reported for
    const char* reason;      // part of the reason the host is given
    // The folder's files after the run, where they differ from the untouched a.htm, the
    // earlier a_new.htm, b.htm and the new b_new.htm; kGone for a file that is not there.
    std::map<std::string, std::string> changed;
};

void PrintTo(const FaultCase& c, std::ostream* out) {
    *out << c.name;
}

class FaultTest : public testing::TestWithParam<FaultCase> {};

TEST_P(FaultTest, NothingIsLostAndTheRunGoesOn) {
    const FaultCase& c = GetParam();
    TempFolder folder;
    const std::string source = bigSource();
    writeFile(folder / "a.htm", source);
    writeFile(folder / "a_new.htm", kEarlierOutput);
    writeFile(folder / "b.htm", "<A B>\r\n");
    FaultyFiles files(engine::systemFiles());
    c.inject(folder, files);
    RecordingHost host;
    host.entries = {"a.htm", "b.htm"};
    host.directory = folder.path();

    engine::run(host, files);

    std::map<std::string, std::string> expected = {{"a.htm", source},
                                                   {"a_new.htm", kEarlierOutput},
                                                   {"b.htm", "<A B>\r\n"},
                                                   {"b_new.htm", "<A i>\r\n"}};
    for (const auto& [name, content] : c.changed) {
        if (content == kGone) {
            expected.erase(name);
        } else {
            expected[name] = content;
        }
    }
    EXPECT_EQ(engine_test::folderContents(folder.path()), expected);
    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.failures[0].first.filename(), c.failedFile);
    EXPECT_FALSE(host.failures[0].second.empty());
    EXPECT_NE(host.failures[0].second.find(c.reason), std::string::npos) << host.failures[0].second;
    const auto firstEntry = host.eventsStartingWith("select 0");
    EXPECT_TRUE(firstEntry.empty() ||
                firstEntry == (std::vector<std::string>{"select 0 on", "select 0 off"}))
        << "selected once, then deselected";
    EXPECT_EQ(host.eventsStartingWith("select 1"),
              (std::vector<std::string>{"select 1 on", "select 1 off"}));
    engine_test::expectIdleAfterRun(host);
}

INSTANTIATE_TEST_SUITE_P(
    Files, FaultTest,
    testing::Values(FaultCase{"SourceGoneBeforeTheRun",
                              [](const TempFolder& f, FaultyFiles&) { fs::remove(f / "a.htm"); },
                              "a.htm",
                              "No such file",
                              {{"a.htm", kGone}}},
                    FaultCase{"SourceIsAFolder",
                              [](const TempFolder& f, FaultyFiles&) {
                                  fs::remove(f / "a.htm");
                                  fs::create_directory(f / "a.htm");
                              },
                              "a.htm",
                              "folder",
                              {{"a.htm", "<folder>"}}},
                    FaultCase{"SourceUnreadableMidway",
                              [](const TempFolder& f, FaultyFiles& files) {
                                  files.failReadAfter[f / "a.htm"] = 1u << 20;
                              },
                              "a.htm",
                              "Input/output error",
                              {}},
                    FaultCase{"OutputCannotBeCreated",
                              [](const TempFolder& f, FaultyFiles& files) {
                                  files.failCreateOutput.insert(f / "a_new.htm");
                              },
                              "a_new.htm",
                              "Permission denied",
                              {}},
                    FaultCase{"WriteFailsMidway",
                              [](const TempFolder& f, FaultyFiles& files) {
                                  files.failWriteAfter[f / "a_new.htm"] = 3u << 19;
                              },
                              "a_new.htm",
                              "No space left",
                              {}},
                    FaultCase{"MoveIntoPlaceFails",
                              [](const TempFolder& f, FaultyFiles& files) {
                                  files.failCommit.insert(f / "a_new.htm");
                              },
                              "a_new.htm",
                              "Input/output error",
                              {}},
                    FaultCase{"OutputNameIsAFolder",
                              [](const TempFolder& f, FaultyFiles&) {
                                  fs::remove(f / "a_new.htm");
                                  fs::create_directory(f / "a_new.htm");
                              },
                              "a_new.htm",
                              "",
                              {{"a_new.htm", "<folder>"}}}),
    [](const testing::TestParamInfo<FaultCase>& param) { return param.param.name; });

TEST(MissingFolderTest, EveryEntryIsReportedAndNothingIsCreated) {
    TempFolder folder;
    FaultyFiles files(engine::systemFiles());
    RecordingHost host;
    host.entries = {"a.htm", "b.htm"};
    host.directory = folder / "missing";

    engine::run(host, files);

    EXPECT_TRUE(fs::is_empty(folder.path()));
    EXPECT_TRUE(files.outputsCreated.empty()) << "no output before its source is open";
    ASSERT_EQ(host.failures.size(), 2u);
    for (const auto& [file, reason] : host.failures) {
        EXPECT_EQ(file.parent_path(), folder / "missing");
        EXPECT_NE(reason.find("No such file"), std::string::npos) << reason;
    }
    EXPECT_TRUE(host.eventsStartingWith("select").empty());
    engine_test::expectIdleAfterRun(host);
}

#ifndef _WIN32
struct NonRegularCase {
    const char* name;
    std::function<void(const fs::path&)> make;
};

void PrintTo(const NonRegularCase& c, std::ostream* out) {
    *out << c.name;
}

class NonRegularSourceTest : public testing::TestWithParam<NonRegularCase> {};

// A source that is not a regular file is refused at once: a FIFO must not leave the run (and
// the window) waiting for a writer that never comes.
TEST_P(NonRegularSourceTest, IsRefusedWithoutWaiting) {
    TempFolder folder;
    const fs::path odd = folder / "odd.htm";
    GetParam().make(odd);
    writeFile(folder / "b.htm", "<a b>");
    RecordingHost host;
    host.entries = {"odd.htm", "b.htm"};
    host.directory = folder.path();

    auto running = std::async(std::launch::async, [&host] { engine::run(host); });
    if (running.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
        ADD_FAILURE() << "the run is stuck opening the source";
        // A writer that comes and goes lets the blocked open return.
        const int writer = ::open(odd.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) ::close(writer);
    }
    running.get();

    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.failures[0].first.filename(), "odd.htm");
    EXPECT_FALSE(host.failures[0].second.empty());
    EXPECT_FALSE(fs::exists(folder / "odd_new.htm"));
    EXPECT_EQ(engine_test::readFile(folder / "b_new.htm"), "<a i>\r\n");
    engine_test::expectIdleAfterRun(host);
}

INSTANTIATE_TEST_SUITE_P(
    Posix, NonRegularSourceTest,
    testing::Values(
        NonRegularCase{"Fifo",
                       [](const fs::path& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }},
        NonRegularCase{"LinkToADevice",
                       [](const fs::path& path) { fs::create_symlink("/dev/zero", path); }}),
    [](const testing::TestParamInfo<NonRegularCase>& param) { return param.param.name; });
#endif

}  // namespace
