#include <gtest/gtest.h>

#include <stdexcept>

#include "engine/engine.h"
#include "recording_host.h"
#include "temp_folder.h"

namespace {

using engine_test::readFile;
using engine_test::RecordingHost;
using engine_test::TempFolder;
using engine_test::writeFile;
namespace fs = std::filesystem;

const std::vector<std::string> kStartEvents = {"caption Waiting ...", "replace off", "stop on",
                                               "flag off"};

// The events after the last pass: the finish step, leaving the window idle.
void expectIdle(const RecordingHost& host) {
    EXPECT_EQ(host.replaceCaption, "Replace");
    EXPECT_FALSE(host.stopEnabled);
    EXPECT_FALSE(host.stopFlag);
    EXPECT_EQ(host.progressValue, 0);
    EXPECT_EQ(host.replaceEnabled, host.hasChosenFiles());
}

// Runs from another working directory, so outputs opened relative to it would be misplaced.
class RunTest : public testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        fs::current_path(elsewhere_.path());
    }
    void TearDown() override { fs::current_path(previous_); }

    TempFolder folder;

private:
    TempFolder elsewhere_;
    fs::path previous_;
};

TEST_F(RunTest, MultiModeWritesEveryOutputBesideItsSource) {
    writeFile(folder / "a.htm", "<a b>\r\n");
    writeFile(folder / "b.htm", "x\r\n<A B>");
    RecordingHost host;
    host.entries = {"a.htm", "b.htm"};
    host.directory = folder.path();

    engine::run(host);

    EXPECT_EQ(readFile(folder / "a_new.htm"), "<a i>\r\n");
    EXPECT_EQ(readFile(folder / "b_new.htm"), "x\r\n<A i>\r\n");
    EXPECT_TRUE(fs::is_empty(fs::current_path()));
    EXPECT_EQ(std::vector<std::string>(host.events.begin(), host.events.begin() + 4), kStartEvents);
    EXPECT_EQ(
        host.eventsStartingWith("select"),
        (std::vector<std::string>{"select 0 on", "select 0 off", "select 1 on", "select 1 off"}));
    EXPECT_TRUE(host.failures.empty());
    expectIdle(host);
}

TEST_F(RunTest, SingleModeUsesTheEntryAsAFullPath) {
    fs::create_directories(folder / "my.site");
    writeFile(folder / "my.site" / "index.html", "<a b>");
    RecordingHost host;
    host.entries = {folder / "my.site" / "index.html"};
    host.directory = "Single Files selected:";

    engine::run(host);

    EXPECT_EQ(readFile(folder / "my.site" / "index_new.html"), "<a i>\r\n");
    EXPECT_TRUE(host.failures.empty());
    expectIdle(host);
}

TEST_F(RunTest, StopDuringTheSecondFileEndsTheRun) {
    for (const char* name : {"a.htm", "b.htm", "c.htm"})
        writeFile(folder / name, "1\r\n2\r\n3\r\n");
    RecordingHost host;
    host.entries = {"a.htm", "b.htm", "c.htm"};
    host.directory = folder.path();
    host.onYield = [&](int yield) { host.stopFlag = host.stopFlag || yield == 5; };

    engine::run(host);

    EXPECT_EQ(readFile(folder / "a_new.htm"), "1\r\n2\r\n3\r\n");
    EXPECT_EQ(readFile(folder / "b_new.htm"), "1\r\n");
    EXPECT_FALSE(fs::exists(folder / "c_new.htm"));
    EXPECT_EQ(host.eventsStartingWith("select").back(), "select 1 on");
    expectIdle(host);
}

TEST_F(RunTest, PlaceholderEntryIsNeverTakenForAFile) {
    writeFile(fs::current_path() / "(No files selected)", "x");
    RecordingHost host;
    host.entries = {"(No files selected)"};

    engine::run(host);

    EXPECT_EQ(host.yields, 0);
    EXPECT_TRUE(host.failures.empty());
    EXPECT_FALSE(fs::exists(fs::current_path() / "(No files selected)_new"));
    EXPECT_EQ(std::vector<std::string>(host.events.begin(), host.events.begin() + 4), kStartEvents);
    expectIdle(host);
    EXPECT_FALSE(host.replaceEnabled);
}

TEST_F(RunTest, OutputThatIsAChosenFileIsRefusedAndTheRunGoesOn) {
    writeFile(folder / "a.htm", "<a b>");
    writeFile(folder / "a_new.htm", "chosen");
    writeFile(folder / "README", "<a b>");
    RecordingHost host;
    host.entries = {"a.htm", "a_new.htm", "README"};
    host.directory = folder.path();

    engine::run(host);

    EXPECT_EQ(readFile(folder / "a.htm"), "<a b>");
    EXPECT_EQ(readFile(folder / "a_new.htm"), "chosen");
    EXPECT_EQ(readFile(folder / "a_new_new.htm"), "chosen\r\n");
    EXPECT_EQ(readFile(folder / "README_new"), "<a i>\r\n");
    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.failures[0].first.filename(), "a.htm");
    EXPECT_NE(host.failures[0].second.find("would overwrite a chosen file"), std::string::npos);
    expectIdle(host);
}

TEST_F(RunTest, FinishStepRunsWhenAPassThrows) {
    writeFile(folder / "a.htm", "1\r\n");
    RecordingHost host;
    host.entries = {folder / "a.htm"};
    host.onYield = [](int) { throw std::runtime_error("window gone"); };

    EXPECT_THROW(engine::run(host), std::runtime_error);
    expectIdle(host);
}

}  // namespace
