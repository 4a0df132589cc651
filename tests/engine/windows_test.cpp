// What matters most on Windows, checked on every platform where it makes sense: binary I/O, the
// separator of multi mode, a drive root as the folder, non-ASCII names, and a file system that
// ignores letter case.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "faulty_files.h"
#include "memory_files.h"
#include "recording_host.h"
#include "run_checks.h"
#include "temp_folder.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;
using engine_test::readFile;
using engine_test::RecordingHost;
using engine_test::TempFolder;
using engine_test::writeFile;

// The folder text, the platform's separator and the name, as the run must join them.
fs::path joined(const fs::path& folder, const fs::path& name) {
    fs::path::string_type text = folder.native();
    text += fs::path::preferred_separator;
    text += name.native();
    return text;
}

// Runs from an unrelated working directory, so that outputs opened relative to it would show.
class ElsewhereTest : public testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        fs::current_path(elsewhere_.path());
    }
    void TearDown() override {
        fs::current_path(previous_);
        EXPECT_TRUE(fs::is_empty(elsewhere_.path())) << "something was written elsewhere";
    }

    TempFolder folder;

private:
    TempFolder elsewhere_;
    fs::path previous_;
};

using BinaryIoTest = ElsewhereTest;

TEST_F(BinaryIoTest, BytesPassUntranslatedAndCtrlZDoesNotEndTheFile) {
    const std::string source = "one\r\nLF\ninside\r\n\x1a middle\r\n\x1a\r\n<a b>\x1a";
    writeFile(folder / "bin.htm", source);
    RecordingHost host;
    host.entries = {folder / "bin.htm"};

    engine::run(host);

    EXPECT_EQ(readFile(folder / "bin.htm"), source);
    EXPECT_EQ(readFile(folder / "bin_new.htm"),
              "one\r\nLF\ninside\r\n\x1a middle\r\n\x1a\r\n<a i>\x1a\r\n");
    EXPECT_EQ(host.progressValue, 0);
    EXPECT_EQ(host.eventsStartingWith("max"),
              std::vector<std::string>{"max " + std::to_string(source.size() + 2)});
}

using MultiModeTest = ElsewhereTest;

TEST_F(MultiModeTest, SourcesJoinFolderSeparatorAndNameAndOutputsLandBeside) {
    writeFile(folder / "a.htm", "<a b>\r\n");
    writeFile(folder / "b.htm", "<A B>");
    testfiles::FaultyFiles files(engine::systemFiles());
    RecordingHost host;
    host.entries = {"a.htm", "b.htm"};
    host.directory = folder.path();

    engine::run(host, files);

    ASSERT_EQ(files.inputsOpened.size(), 2u);
    ASSERT_EQ(files.outputsCreated.size(), 2u);
    EXPECT_EQ(files.inputsOpened[1].native(), joined(folder.path(), "b.htm").native());
    EXPECT_EQ(files.outputsCreated[1].native(), joined(folder.path(), "b_new.htm").native());
    EXPECT_EQ(readFile(folder / "a_new.htm"), "<a i>\r\n");
    EXPECT_EQ(readFile(folder / "b_new.htm"), "<A i>\r\n");
    EXPECT_TRUE(host.failures.empty());
}

// The root of the drive (or of the file system) as the folder text: it already ends in a
// separator, gets a second one, and the path is used as it is.
TEST(DriveRootTest, PathsAreBuiltUnchanged) {
#ifdef _WIN32
    const fs::path root = L"C:\\";
    const fs::path::string_type expected = L"C:\\\\a.htm";
#else
    const fs::path root = "/";
    const fs::path::string_type expected = "//a.htm";
#endif
    testfiles::MemoryFiles memory;
    memory.files[expected] = "<a b>\r\n";
    testfiles::FaultyFiles files(memory);
    RecordingHost host;
    host.entries = {"a.htm", "b.htm"};
    host.directory = root;

    engine::run(host, files);

    ASSERT_EQ(files.inputsOpened.size(), 2u);
    EXPECT_EQ(files.inputsOpened[0].native(), expected);
    ASSERT_EQ(files.outputsCreated.size(), 1u) << "b.htm does not exist";
    EXPECT_EQ(files.outputsCreated[0].native(), joined(root, "a_new.htm").native());
    EXPECT_EQ(memory.files[files.outputsCreated[0]], "<a i>\r\n");
    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.failures[0].first.native(), joined(root, "b.htm").native());
}

#ifdef _WIN32
// A drive whose root this test may write to: the one named by REPLACE_TEST_DRIVE (the test
// script maps one for Wine), or a free letter mapped onto a temporary folder as "subst" does.
class DriveRootFilesTest : public testing::Test {
protected:
    void SetUp() override {
        if (const char* given = std::getenv("REPLACE_TEST_DRIVE")) {
            drive_ = fs::path(given).wstring();
        } else {
            const DWORD used = GetLogicalDrives();
            for (wchar_t c = L'Z'; c >= L'D' && drive_.empty(); --c) {
                if (!(used & (1u << (c - L'A')))) drive_ = {c, L':'};
            }
            if (drive_.empty()) GTEST_SKIP() << "no free drive letter";
            if (!DefineDosDeviceW(0, drive_.c_str(), folder_.path().c_str())) {
                GTEST_SKIP() << "cannot map a drive letter, error " << GetLastError();
            }
            mapped_ = true;
        }
        if (!fs::is_directory(root())) GTEST_SKIP() << "drive " << root() << " is not there";
    }
    void TearDown() override {
        for (const char* name : {"a.htm", "b.htm", "a_new.htm", "b_new.htm"}) {
            std::error_code ignored;
            fs::remove(root() / name, ignored);
        }
        if (mapped_) DefineDosDeviceW(DDD_REMOVE_DEFINITION, drive_.c_str(), nullptr);
    }
    fs::path root() const { return drive_ + L"\\"; }

private:
    TempFolder folder_;
    std::wstring drive_;
    bool mapped_ = false;
};

TEST_F(DriveRootFilesTest, FilesOnADriveRootAreFoundAndWrittenBeside) {
    writeFile(root() / "a.htm", "<a b>\r\n");
    writeFile(root() / "b.htm", "x");
    RecordingHost host;
    host.entries = {"a.htm", "b.htm"};
    host.directory = root();

    engine::run(host);

    for (const auto& [file, reason] : host.failures) ADD_FAILURE() << file << ": " << reason;
    EXPECT_EQ(readFile(root() / "a_new.htm"), "<a i>\r\n");
    EXPECT_EQ(readFile(root() / "b_new.htm"), "x\r\n");
}
#endif

using NonAsciiNameTest = ElsewhereTest;

TEST_F(NonAsciiNameTest, SingleAndMultiModeFindSourcesAndWriteOutputs) {
    const fs::path german = fs::path(u8"Grüße Ä.htm");
    const fs::path russian = fs::path(u8"файл.txt");
    writeFile(folder / german, "<a b>");
    writeFile(folder / russian, "<a b>\r\n");

    RecordingHost single;
    single.entries = {folder / german};
    engine::run(single);
    RecordingHost multi;
    multi.entries = {german, russian};
    multi.directory = folder.path();
    engine::run(multi);

    EXPECT_TRUE(single.failures.empty());
    EXPECT_TRUE(multi.failures.empty());
    EXPECT_EQ(readFile(folder / fs::path(u8"Grüße Ä_new.htm")), "<a i>\r\n");
    EXPECT_EQ(readFile(folder / fs::path(u8"файл_new.txt")), "<a i>\r\n");
    EXPECT_EQ(engine_test::fileCount(folder.path()), 4u);
}

TEST_F(NonAsciiNameTest, MissingSourceIsReportedByItsName) {
    RecordingHost host;
    host.entries = {folder / fs::path(u8"Ärger.htm")};

    engine::run(host);

    ASSERT_EQ(host.failures.size(), 1u);
    const std::u8string name = host.failures[0].first.filename().u8string();
    EXPECT_TRUE(name == u8"Ärger.htm") << std::string(name.begin(), name.end());
    EXPECT_TRUE(fs::is_empty(folder.path()));
}

// On a file system that ignores letter case, "A_NEW.HTM" is the output of "a.htm".
TEST(CaseInsensitiveTest, OutputDifferingOnlyInCaseFromAChosenFileIsRefused) {
    TempFolder folder;
    writeFile(folder / "probe", "");
    if (!fs::exists(folder / "PROBE")) GTEST_SKIP() << "this file system tells letter case apart";
    fs::remove(folder / "probe");
    writeFile(folder / "a.htm", "<a b>");
    writeFile(folder / "A_NEW.HTM", "<a b> chosen");
    RecordingHost host;
    host.entries = {"a.htm", "A_NEW.HTM"};
    host.directory = folder.path();

    engine::run(host);

    EXPECT_EQ(engine_test::folderContents(folder.path()),
              (std::map<std::string, std::string>{{"a.htm", "<a b>"},
                                                  {"A_NEW.HTM", "<a b> chosen"},
                                                  {"A_NEW_new.HTM", "<a i> chosen\r\n"}}));
    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.failures[0].first.filename(), "a.htm");
    engine_test::expectIdleAfterRun(host);
}

}  // namespace
