#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <future>

#include "test_support.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using namespace engine_test;
using namespace testing;
using Files = std::map<std::string, std::string>;

// Every file under `folder` by relative name; anything but a regular file reads "<other>".
Files contents(const TempFolder& folder) {
    Files found;
    for (const auto& entry : fs::recursive_directory_iterator(folder.path)) {
        if (entry.is_directory() && !fs::is_empty(entry.path())) continue;
        found[entry.path().lexically_relative(folder.path).generic_string()] =
            entry.is_regular_file() ? readFile(entry.path()) : "<other>";
    }
    return found;
}

struct RunCase {
    Files files;                       // "@x" makes a symbolic link to x
    std::vector<std::string> entries;  // one entry is single mode, a full path
    Files outputs;
    std::string refused = "";  // the entry whose output would replace a chosen file
    int stopAt = 0;            // the yield at which Stop is pressed; -1: the window throws there
};

// clang-format off
const RunCase kRuns[] = {
    {{{"a.htm", "<a b>"}, {"b.htm", "<A B>"}}, {"a.htm", "b.htm"},
     {{"a_new.htm", "<a i>\r\n"}, {"b_new.htm", "<A i>\r\n"}}},
    {{{"my.site/x.y.htm", "<a b>"}}, {"my.site/x.y.htm"}, {{"my.site/x_new.y_new.htm", "<a i>\r\n"}}},
    {{{"a.htm", "1\r\n2\r\n"}, {"b.htm", "1\r\n2\r\n"}, {"c.htm", "1\r\n2\r\n"}}, {"a.htm", "b.htm", "c.htm"},
     {{"a_new.htm", "1\r\n2\r\n"}, {"b_new.htm", "1\r\n"}}, "", 4},
    {{{"(No files selected)", "<a b>"}}, {"(No files selected)"}, {}},  // the placeholder, no file
    {{{"a.htm", "<a b>"}}, {"a.htm"}, {}, "", -1},  // the window throws: no output, finish step
    {{{"a.htm", "<a b>"}}, {"a.htm", "a.htm"}, {{"a_new.htm", "<a i>\r\n"}}},
    {{{"a.htm", "<a b>"}, {"a_new.htm", "<a b>!"}}, {"a_new.htm", "a.htm"},
     {{"a_new_new.htm", "<a i>!\r\n"}}, "a.htm"},
    {{{"README", "<a b>"}, {"README_new", "<a b>!"}}, {"README", "README_new"},
     {{"README_new_new", "<a i>!\r\n"}}, "README"},
    {{{"a.htm", "<a b>"}, {"b.htm", "b"}, {"b_new.htm", "@a.htm"}}, {"a.htm", "b.htm"},
     {{"a_new.htm", "<a i>\r\n"}, {"b_new.htm", "<a b>"}}, "b.htm"},  // the link reads a.htm
};
// clang-format on

TEST(RunTest, OutputsLandBesideTheirSourcesAndNeverOnAChosenFile) {
    for (const RunCase& c : kRuns) {
        const TempFolder folder, elsewhere;
        for (const auto& [name, text] : c.files) {
            fs::create_directories((folder / name).parent_path());
            std::error_code error;
            if (text[0] == '@') fs::create_symlink(text.substr(1), folder / name, error);
            if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
            if (text[0] != '@') writeFile(folder / name, text);
        }
        Host host;
        const bool single = c.entries.size() == 1 && c.entries[0][0] != '(';
        for (const std::string& entry : c.entries)
            host.entries.push_back(single ? folder / entry : fs::path(entry));
        host.directory = single ? fs::path("Single Files selected:") : folder.path;
        host.stopFlag = true;  // left over from an earlier run: the start step clears it
        host.onYield = [&](int n) {
            EXPECT_TRUE(host.caption == "Waiting ..." && !host.replaceEnabled && host.stopEnabled);
            if (c.stopAt < 0) throw std::runtime_error("window gone");
            host.stopFlag = n == c.stopAt;
        };
        const fs::path previous = fs::current_path();
        fs::current_path(elsewhere.path);  // where outputs must not go
        if (c.stopAt >= 0) engine::run(host);
        if (c.stopAt < 0) {
            EXPECT_THROW(engine::run(host), std::runtime_error);
        }
        fs::current_path(previous);
        Files expected = c.outputs;
        expected.merge(Files(c.files));
        EXPECT_EQ(contents(folder), expected) << c.entries[0];
        EXPECT_TRUE(fs::is_empty(elsewhere.path));
        EXPECT_EQ(host.failures.size(), c.refused.empty() ? 0u : 1u);
        EXPECT_THAT(host.failures, Each(AllOf(StartsWith(c.refused + ": "),
                                              HasSubstr("would overwrite a chosen file"))));
        EXPECT_TRUE(host.idle() && host.replaceEnabled == (c.entries[0][0] != '('));
    }
}

// How a.htm fails: gone, a folder, a FIFO, or its output at one step; and the report expected.
// clang-format off
const std::pair<std::string, std::string> kFaults[] = {
    {"gone", "a.htm: No such file"}, {"folder", "a.htm: is a folder"},
#ifndef _WIN32
    {"fifo", "a.htm: is not a regular file"},
#endif
    {"create", "a_new.htm: Permission denied"}, {"write", "a_new.htm: No space left"},
    {"commit", "a_new.htm: Input/output error"},
};
// clang-format on

// Whatever fails for the first of two entries, nothing but the second one's output changes
// (no temporary file is left), the host hears why, and the window ends idle.
TEST(RunTest, AFileFailureLosesNothingAndTheRunGoesOn) {
    std::string source;
    while (source.size() < (3u << 20)) source += "<a b> and a few more words\r\n";
    for (const auto& [fault, report] : kFaults) {
        const TempFolder folder;
        writeFile(folder / "a.htm", source);
        writeFile(folder / "a_new.htm", "earlier");
        writeFile(folder / "b.htm", "<A B>");
        TestFiles files(&engine::systemFiles());
        files.fail[fault] = folder / "a_new.htm";
        if (fault == "gone" || fault == "folder" || fault == "fifo") fs::remove(folder / "a.htm");
        if (fault == "folder") fs::create_directory(folder / "a.htm");
#ifndef _WIN32
        if (fault == "fifo") ::mkfifo((folder / "a.htm").c_str(), 0600);
#endif
        Files expected = contents(folder);
        expected["b_new.htm"] = "<A i>\r\n";
        Host host;
        host.entries = {"a.htm", "b.htm"};
        host.directory = folder.path;
        auto running = std::async(std::launch::async, [&] { engine::run(host, files); });
        if (running.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
            ADD_FAILURE() << "the run waits for a writer of a.htm";
#ifndef _WIN32
            ::close(::open((folder / "a.htm").c_str(), O_WRONLY | O_NONBLOCK));  // one comes
#endif
        }
        running.get();
        EXPECT_EQ(contents(folder), expected) << fault;
        EXPECT_EQ(files.opened.at(0), folder / "a.htm") << "the source is opened first";
        EXPECT_THAT(host.failures, ElementsAre(StartsWith(report)));
        EXPECT_THAT(host.selects, AnyOf("1+1-", "0+0-1+1-"));
        EXPECT_TRUE(host.idle());
    }
}

}  // namespace
