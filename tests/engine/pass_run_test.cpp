#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <future>
#include <ranges>

#include "tests/support/support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using namespace test;
using namespace testing;
using Outcome = engine::FileReport::Outcome;

struct PassCase {
    std::string source, output;
    std::int64_t total, done;
    int yields, stopAt = 0;   // the yield at which Stop is pressed
    std::string start = "";   // the start marker from the second yield on
    bool exactFirst = false;  // letter case kept until the second yield
};

const auto kValues = std::views::iota(0, 256);
const std::string kBytes(kValues.begin(), kValues.end());
const std::string kSample(1 << 16, 'x');  // a small source is read whole when it is opened

// A line ends at CR LF, a lone CR or an LF, and keeps its end; an open last line gets the end
// of the line before it (CR LF in a one-line file) and counts two bytes for it. The
// replacement text changes to "u" at the second yield, and the start marker where one is given:
// the block's next start marker, found once, is looked for again.
// clang-format off
const PassCase kPasses[] = {
    {"", "", 2, 0, 0},
    {"\r\n", "\r\n", 4, 2, 1},
    {"a\r\rb\rc", "a\r\rb\rc\r", 8, 8, 4},
    {"\r\r\r", "\r\r\r", 5, 3, 3},
    {"a\r\nb\nc\rd\r\n\ne", "a\r\nb\nc\rd\r\n\ne\n", 14, 14, 6},  // mixed ends
    {"<a b\n> <a b>\r>", "<a b\n> <a u>\r>\r", 16, 16, 3},       // no segment spans lines
    {"x <a b>\r\n<A B>", "x <a i>\r\n<A u>\r\n", 16, 16, 2},
    {"<a b>\r\n<a b>\r\n<a b>\r\n", "", 23, 0, 1, 1},
    {"<a b>\r\n<a b>\r\n<a b>\r\n", "<a i>\r\n<a u>\r\n", 23, 14, 3, 3},
    {{"\0<a\xff\0B>\x1a\r\n\0", 11}, {"\0<a\xff\0i>\x1a\r\n\0\r\n", 13}, 13, 13, 2},
    {kBytes, kBytes + "\r", 258, 258, 3},
    {"x\r\n<c b>\r\n<a b>\r\n", "x\r\n<c u>\r\n<a b>\r\n", 19, 17, 3, 0, "<c"},
    {"<a B>\r\n<A B>\r\n", "<a B>\r\n<A u>\r\n", 16, 14, 2, 0, "", true},
    {kSample + "\r\nb", kSample + "\r\nb\r\n", 65541, 65541, 2},  // CR and LF read apart
};
// clang-format on

TEST(PassTest, CopiesEveryByteCountsProgressAndStops) {
    for (const PassCase& c : kPasses) {
        for (const std::size_t chunk : {SIZE_MAX, std::size_t{1}}) {  // 1: kSample row splits CR LF
            SCOPED_TRACE(PrintToString(c.source.substr(0, 100)) + ", chunk " +
                         std::to_string(chunk));
            TestFiles files;
            files.chunk = chunk;
            files.files["p.htm"] = c.source;
            Recorder pass;
            pass.exact = c.exactFirst;
            pass.onYield = [&](int n) {
                if (n == 2) pass.text[3] = "u", pass.exact = false;
                if (n == 2 && !c.start.empty()) pass.text[0] = c.start;
                pass.stop = n == c.stopAt;
            };
            EXPECT_EQ(pass.pass("p.htm", files).outcome,
                      c.stopAt ? Outcome::stopped : Outcome::completed);
            EXPECT_EQ(files.files.at("p_new.htm"), c.output);
            EXPECT_EQ(std::tuple(pass.total, pass.done, pass.yields),
                      std::tuple(c.total, c.done, c.yields));
        }
    }
}

TEST(PassTest, SizePastTwoGibibytesIsCountedIn64Bits) {
    TestFiles files;
    files.files["huge"] = std::string((1 << 20) - 1, 'x') + '\r';
    files.repeatTo = (std::uint64_t{1} << 31) + 1000;  // the last line without a terminator
    Recorder pass;
    EXPECT_EQ(pass.pass("huge", files).outcome, Outcome::completed);
    const auto size = static_cast<std::int64_t>(files.repeatTo);
    EXPECT_EQ(files.written, files.repeatTo + 1);  // the open last line ends in CR, as the others
    EXPECT_EQ(std::tuple(pass.total, pass.done, pass.yields), std::tuple(size + 2, size + 2, 2049));
}

// Segments of "<a" ... ">" and replacements of the first "b" in each, counted by hand: 2 and 2,
// then 2 and 1 (the inner start marker belongs to the segment), then none.
TEST(PassTest, CountsTheSegmentsAndReplacementsOfAHandCountedFile) {
    TestFiles files;
    files.files["h.txt"] = "p <a b> q <A B> r\r\n<a x> <a <a b>>\r\n<a b\r\n";
    Recorder pass;
    const engine::PassStats stats = pass.pass("h.txt", files).stats;
    EXPECT_EQ(std::tuple(stats.lines, stats.segments, stats.replacements), std::tuple(3, 4, 3));
}

// A large source on disk is read in place and written on a second thread, gathering the lines
// it keeps where they lie; a line longer than a piece (1 MiB) is rewritten piece by piece as it
// is read. Output, counts, progress and yields are those of the same source read in blocks,
// whatever lies where two pieces meet (a marker, a segment, a letter past ASCII, a line end, the
// first byte past ASCII) or where the search for the next start marker stopped (4 MiB on): in
// 8-bit text and in UTF-16, kept runs short and long, changed lines, every end.
TEST(PassTest, ALargeSourceOnDiskComesOutAsOneReadInBlocks) {
    const std::string x(1 << 20, 'x');
    const auto repeat = [](const std::string& text, std::size_t size) {
        std::string repeated;
        while (repeated.size() < size) repeated += text;
        return repeated;
    };
    // A start marker across the end of the first 4 MiB searched, then lines of every kind; in
    // characters of `width` bytes.
    const auto mixed = [&](std::size_t width) {
        std::string text = repeat(std::string(999, 'x') + "\n", (4u << 20) / width - 1000);
        text.resize((4u << 20) / width - 2, 'x');
        text += "\n<a b>\r\n";
        for (int i = 0; text.size() < (8u << 20) / width; ++i) {
            text += i % 7 == 0 ? "<a b> " + std::string(i % 1500, 'k') : std::string(i % 900, 'x');
            text += i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r";
            if (i == 3000) text += "<a " + std::string(3u << 20, 'b') + ">\n";
        }
        return width == 1 ? text : units({text.begin(), text.end()}, 2, false);
    };
    const std::vector<std::string> kAccents = {"<\xC3\xA9", ">", "\xC3\xA9", "E"};
    const std::string accents = repeat("<\xC3\xA9 \xC3\x89>\xC3\xBC ", 3 << 20);  // 10 bytes
    // clang-format off
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {mixed(1), {}}, {mixed(2), {}},
        {repeat("<a bb>x, ", 3 << 20) + "\r\n<a b>", {}},
        {"<a " + x + x + " b>\n<a " + x + "b", {}},  // a segment open for 2 MiB, one never closed
        {"<a q" + x.substr(6) + "</a>" + x + "\n", {"<a", "</a>", "q", "Q"}},
        {"\xEF\xBB\xBF" + accents, kAccents}, {"\xC3\xA9\n" + accents, kAccents},
        {repeat("<a b> ", 2 << 20) + "\xE9 <a b>" + x + "\r\n<a b>", {}},  // 8-bit, found late
        {repeat("<a b> ", 2 << 20) + "\xC3\xA9 <a b>" + x, {}},              // UTF-8, found late
        {repeat("<a b> ", 2 << 20) + "\n\xC3\xA9", {"<a", ">", "b", "\xC3\xBC"}},  // by looking ahead
        {x + "\r\n" + x.substr(1) + "\r\n" + x.substr(1) + "<a b>" + x, {}},
        {x + x + x + x.substr(1) + "<a b>\n", {}},
        {repeat("b> ", 3 << 20), {"", ">", "b", "i"}}, {"ab\n" + x + '\0', {"<", ">", "b", "i"}},
    };
    // clang-format on
    for (const auto& [source, texts] : cases) {
        SCOPED_TRACE(PrintToString(source.substr(0, 40)));
        const TempFolder folder;
        writeFile(folder / "big.htm", source);
        TestFiles inMemory;
        inMemory.files["big.htm"] = source;
        Recorder onDisk, inBlocks;
        for (Recorder* pass : {&onDisk, &inBlocks})
            if (!texts.empty()) std::copy(texts.begin(), texts.end(), pass->text);
        const engine::PassStats a = onDisk.pass(folder / "big.htm").stats;
        const engine::PassStats b = inBlocks.pass("big.htm", inMemory).stats;
        EXPECT_TRUE(readFile(folder / "big_new.htm") == inMemory.files.at("big_new.htm"));
        EXPECT_EQ(
            std::tuple(a.lines, a.segments, a.replacements, a.encoding, onDisk.done, onDisk.yields),
            std::tuple(b.lines, b.segments, b.replacements, b.encoding, inBlocks.done,
                       inBlocks.yields));
    }
}

struct RunCase {
    Files files;                       // "@x" makes a symbolic link to x, "=x" a hard link
    std::vector<std::string> entries;  // one entry is single mode, a full path
    Files outputs;
    std::string refused = "";  // the entry whose output would replace a chosen file
    int stopAt = 0;            // the yield at which Stop is pressed; -1: the observer throws
    bool changedOnly = false;
    bool inPlace = false;  // and changed only, keeping the original as NAME + backup
    std::string backup = "";
};

// An output is refused when it is a chosen file, by name or through a link, before or after its
// source in the list.
// clang-format off
const RunCase kRuns[] = {
    {{{"my.site/x.y.htm", "<a b>"}}, {"my.site/x.y.htm"}, {{"my.site/x_new.y_new.htm", "<a i>\r\n"}}},
    {{{"a.htm", "1\r\n2\r\n"}, {"b.htm", "1\r\n2\r\n"}, {"c.htm", "1\r\n2\r\n"}}, {"a.htm", "b.htm", "c.htm"},
     {{"a_new.htm", "1\r\n2\r\n"}, {"b_new.htm", "1\r\n"}}, "", 4},
    {{{"a.htm", "<a b>"}}, {"a.htm"}, {}, "", -1},  // no output
    {{{"a.htm", "<a b>"}}, {"a.htm", "a.htm"}, {{"a_new.htm", "<a i>\r\n"}}},
    {{{"a.htm", "<a b>"}, {"a_new.htm", "<a b>!"}}, {"a_new.htm", "a.htm"},
     {{"a_new_new.htm", "<a i>!\r\n"}}, "a.htm"},
    {{{"a.htm", "<a b>"}, {"b.htm", "b"}, {"b_new.htm", "@a.htm"}}, {"a.htm", "b.htm"},
     {{"a_new.htm", "<a i>\r\n"}, {"b_new.htm", "<a b>"}}, "b.htm"},  // the link reads a.htm
    {{{"a.htm", "<a b>"}, {"b.htm", "x"}}, {"a.htm", "b.htm"}, {{"a_new.htm", "<a i>\r\n"}}, "", 0,
     true},
    {{{"a.htm", "<a b>"}, {"b.htm", "<a b>\r\n<a b>"}, {"c.htm", "<a b>"}}, {"a.htm", "b.htm", "c.htm"},
     {{"a.htm", "<a i>\r\n"}}, "", 3, false, true},  // b.htm stopped: as it was
    {{{"a.htm", "<a b>"}, {"a.htm~", "old"}}, {"a.htm"}, {{"a.htm", "<a i>\r\n"}, {"a.htm~", "<a b>"}},
     "", 0, false, true, "~"},
    {{{"a.htm", "<a b>"}, {"a.htm~", "x"}}, {"a.htm", "a.htm~"}, {}, "a.htm", 0, false, true, "~"},
    {{{"a.htm", "<a b>"}, {"b.htm", "b"}, {"b_new.htm", "=a.htm"}}, {"b.htm", "a.htm"},
     {{"a_new.htm", "<a i>\r\n"}, {"b_new.htm", "<a b>"}}, "b.htm"},
};
// clang-format on

TEST(RunTest, OutputsLandBesideTheirSourcesAndNeverOnAChosenFile) {
    for (const RunCase& c : kRuns) {
        const TempFolder folder, elsewhere;
        if (!folder.write(c.files)) continue;  // no symbolic links here (Wine)
        std::vector<fs::path> entries;
        for (const std::string& entry : c.entries)
            entries.push_back(c.entries.size() == 1 ? folder / entry : fs::path(entry));
        Recorder run;
        run.onYield = [&](int n) {
            if (c.stopAt < 0) throw std::runtime_error("window gone");
            run.stop = n == c.stopAt;
        };
        const fs::path previous = fs::current_path();
        fs::current_path(elsewhere.path);  // where outputs must not go
        engine::RunPlan plan = engine::planRun(entries, folder.path);
        for (engine::FileJob& job : plan.jobs) {
            if (c.inPlace) job.output = job.source;
            if (!c.backup.empty()) (job.backup = job.source) += c.backup;
            job.changedOnly = c.changedOnly || c.inPlace;
        }
        if (c.stopAt >= 0) engine::run(plan, run);
        if (c.stopAt < 0) {
            EXPECT_THROW(engine::run(plan, run), std::runtime_error);
        }
        fs::current_path(previous);
        Files expected = c.outputs;
        expected.merge(Files(c.files));
        EXPECT_EQ(folder.read(), expected) << c.entries[0];
        EXPECT_TRUE(fs::is_empty(elsewhere.path));
        EXPECT_EQ(run.failures.size(), c.refused.empty() ? 0u : 1u);
        EXPECT_THAT(run.failures, Each(AllOf(StartsWith(c.refused + ": "),
                                             HasSubstr("Would overwrite the chosen file"))));
    }
}

// Many files are looked up on several threads, and still added in list order: of two names for
// one file (a hard link, or one spelled with "./"), the first is the one added.
TEST(RunTest, ChosenFilesLookedUpOnThreadsKeepTheirOrder) {
    const TempFolder folder;
    std::vector<fs::path> names;
    std::vector<bool> expected;
    for (int i = 0; i < 300; ++i) {
        const std::string n = std::to_string(i);
        writeFile(folder / ("f" + n), "x");
        fs::create_hard_link(folder / ("f" + n), folder / ("l" + n));
        names.insert(names.end(), {folder / ("f" + n), folder / ("l" + n), folder / ("m" + n),
                                   folder / "." / ("m" + n)});
        expected.insert(expected.end(), {true, false, true, false});
    }
    std::vector<const fs::path*> each;
    for (const fs::path& name : names) each.push_back(&name);
    EXPECT_EQ(engine::ChosenFiles().add(each, 4), expected);
}

// On workers, a file's report does not wait for the next file to end: here b waits for a's.
TEST(RunTest, AReportComesWhileTheNextFileIsAtWork) {
    TestFiles files;
    files.files = {{"d/a", "x"}, {"d/b", "x"}};
    Recorder run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    run.onYield = [&](int n) {
        while (n == 2 && run.reported == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    engine::run(engine::planRun({"a", "b"}, "d"), run, 1, files);
    EXPECT_LT(std::chrono::steady_clock::now(), deadline);
}

#ifndef _WIN32
// A named temporary output never makes a legal output name too long: a name of 255 bytes, and a
// path just short of the system's limit, are both written.
TEST(RunTest, TheLongestLegalOutputNamesAreWritten) {
    ::setenv("SEGMENT_REPLACE_NAMED_OUTPUTS", "1", 1);
    const TempFolder folder;
    fs::path deep = folder.path;
    while (deep.native().size() < 3700) deep /= std::string(200, 'd');
    fs::create_directories(deep);
    const std::string longest(255 - 8, 'n');  // and ".htm" becomes "_new.htm"
    const std::string nearLimit(4090 - 1 - deep.native().size() - 8, 'p');
    for (const fs::path& source : {folder / (longest + ".htm"), deep / (nearLimit + ".htm")}) {
        writeFile(source, "<a b>");
        Recorder pass;
        pass.pass(source);
        EXPECT_EQ(std::tuple(pass.failures, readFile(engine::outputPath(source))),
                  std::tuple(std::vector<std::string>{}, "<a i>\r\n"));
    }
    ::unsetenv("SEGMENT_REPLACE_NAMED_OUTPUTS");
}

// The mode bits of `path` in octal, and with `owners` its owner and group.
std::string look(const fs::path& path, bool owners = false) {
    struct stat status {};
    ::stat(path.c_str(), &status);
    char text[64];
    std::snprintf(text, sizeof text, "%o %u:%u", status.st_mode & 07777u, status.st_uid,
                  status.st_gid);
    return owners ? text : std::string(text, std::strchr(text, ' '));
}

// What a pass of a.htm in `folder`, made by `user` in a child process, shows: the other names
// in the folder at its first yield with their modes, then its output's mode, owner and group
// ("!" after a wrong output).
std::string passAndLook(const fs::path& folder, uid_t user) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(user) != 0 || ::setuid(user) != 0) ::_exit(1);
        Recorder pass;
        std::string seen = "[";
        pass.onYield = [&](int n) {
            for (const auto& entry : fs::directory_iterator(folder)) {
                const std::string name = entry.path().filename().string();
                if (n == 1 && name != "a.htm")
                    seen +=
                        name.substr(0, 3) + std::to_string(name.size()) + " " + look(entry.path());
            }
        };
        pass.pass(folder / "a.htm");
        writeFile(folder / "seen", seen + "] " + look(folder / "a_new.htm", true) +
                                       (readFile(folder / "a_new.htm") == "<a i>\r\n" ? "" : "!"));
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return readFile(folder / "seen");
}

// An output is private (0600) while it is written, unnamed where the file system allows it, and
// takes its source's permission bits, owner (as root) and group when done; a group that its owner
// may not give gets no more than others. Created with O_TMPFILE and by name.
TEST(PassTest, OutputsArePrivateWhileWrittenThenTakeTheirSourcesPermissions) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root, to give files away and to become nobody";
    // The source's mode, owner and group, whether nobody (not root) makes the output, and then
    // the output's mode, owner and group.
    const std::tuple<mode_t, uid_t, gid_t, bool, std::string> cases[] = {
        {0600, 0, 0, false, "600 0:0"},
        {0640, 0, 65534, false, "640 0:65534"},
        {0640, 65534, 0, false, "640 65534:0"},
        {0640, 65534, 65534, true, "640 65534:65534"},
        {0640, 65534, 0, true, "600 65534:65534"},
        {0754, 65534, 0, true, "744 65534:65534"}};
    for (const bool unnamed : {true, false}) {
        if (!unnamed) ::setenv("SEGMENT_REPLACE_NAMED_OUTPUTS", "1", 1);
        for (const auto& [mode, owner, group, nobody, after] : cases) {
            SCOPED_TRACE(std::to_string(mode) + (nobody ? " nobody" : ""));
            const TempFolder folder;
            writeFile(folder / "a.htm", "<a b>");
            ASSERT_EQ(::chown(folder.path.c_str(), 65534, 65534), 0);
            ASSERT_EQ(::chown((folder / "a.htm").c_str(), owner, group), 0);
            ASSERT_EQ(::chmod((folder / "a.htm").c_str(), mode), 0);
            const std::string during = unnamed ? "[]" : "[.sr11 600]";
            EXPECT_EQ(passAndLook(folder.path, nobody ? 65534 : 0), during + " " + after);
        }
    }
    ::unsetenv("SEGMENT_REPLACE_NAMED_OUTPUTS");
}
#endif

#ifdef _WIN32
// What FormatMessageW says about `error`, as a reason.
std::string systemReason(DWORD error) {
    wchar_t text[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   text, 512, nullptr);
    char utf8[2048] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    return engine::readableReason(utf8);
}
#endif

// How a.htm fails: gone, a folder, a FIFO, held open by another program that shares it with
// nobody, cut short or written over by another program while it is read, or its output at one
// step; and the report expected.
// clang-format off
const std::pair<std::string, std::string> kFaults[] = {
#ifdef _WIN32
    {"gone", "a.htm: " + systemReason(ERROR_FILE_NOT_FOUND)},
    {"locked", "a.htm: " + systemReason(ERROR_SHARING_VIOLATION)},
#else
    {"gone", "a.htm: No such file"}, {"fifo", "a.htm: Not a regular file"},
#endif
    {"shrunk", "a.htm: The file was changed while it was being read"},
    {"touched", "a.htm: The file was changed while it was being read"},
    {"folder", "a.htm: Is a directory"},
    {"create", "a_new.htm: Permission denied"}, {"write", "a_new.htm: No space left"},
    {"oom", "a.htm: Not enough memory for a line of 2 kB"},
    {"oom-read", "a.htm: Not enough memory for a line of more than 576 bytes"},
    {"commit", "a_new.htm: Input/output error"},
};
// clang-format on

// Whatever fails for a.htm, only b.htm's output appears (no temporary file is left behind).
TEST(RunTest, AFileFailureLosesNothingAndTheRunGoesOn) {
    std::string source;
    while (source.size() < (5u << 20)) source += "<a b>" + std::string(1993, 'w') + "\r\n";
    for (const auto& [fault, report] : kFaults) {
        const TempFolder folder;
        writeFile(folder / "a.htm", source);
        writeFile(folder / "a_new.htm", "earlier");
        writeFile(folder / "b.htm", "<A B>");
        TestFiles files(&engine::systemFiles());
        files.fail[fault] = folder / (fault == "oom-read" ? "a.htm" : "a_new.htm");
        if (fault == "gone" || fault == "folder" || fault == "fifo") fs::remove(folder / "a.htm");
        if (fault == "folder") fs::create_directory(folder / "a.htm");
#ifndef _WIN32
        if (fault == "fifo") ::mkfifo((folder / "a.htm").c_str(), 0600);
        if (fault == "write") ::setenv("SEGMENT_REPLACE_NAMED_OUTPUTS", "1", 1);  // from here on
#endif
        Files expected = folder.read();
        expected["b_new.htm"] = "<A i>\r\n";
        Recorder run;
        if (fault == "shrunk") expected["a.htm"] = source.substr(0, 100);
        run.onYield = [&](int yield) {  // touched: written over in place, only its time tells
            const fs::path a = folder / "a.htm";
            if (yield == 2 && fault == "shrunk") fs::resize_file(a, 100);
            if (yield == 2 && fault == "touched")
                fs::last_write_time(a, fs::last_write_time(a) + std::chrono::hours(1));
        };
#ifdef _WIN32
        const HANDLE lock = fault == "locked"
                                ? CreateFileW((folder / "a.htm").c_str(), GENERIC_READ, 0, nullptr,
                                              OPEN_EXISTING, 0, nullptr)
                                : INVALID_HANDLE_VALUE;
#endif
        auto running = std::async(std::launch::async, [&] {
            engine::run(engine::planRun({"a.htm", "b.htm"}, folder.path), run, 0, files);
        });
        if (running.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
            ADD_FAILURE() << "the run waits for a writer of a.htm";
            std::ofstream{folder / "a.htm"};  // here comes one
        }
        running.get();
#ifdef _WIN32
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
#endif
        EXPECT_TRUE(folder.read() == expected) << fault;  // EXPECT_EQ would diff 3 MiB texts
        EXPECT_EQ(files.opened.at(0), folder / "a.htm") << "the source is opened first";
        EXPECT_THAT(run.failures, ElementsAre(StartsWith(report)));
    }
#ifndef _WIN32
    ::unsetenv("SEGMENT_REPLACE_NAMED_OUTPUTS");
#endif
}

// What only Windows can get wrong: binary I/O, "\" and drive roots, names, letter case.
#ifdef _WIN32
TEST(WindowsTest, BinaryBytesNamesAndLetterCaseOnTheRealFileSystem) {
    const TempFolder folder;
    const fs::path german = u8"Grüße.htm", russian = u8"файл.txt";
    writeFile(folder / "bin.htm", "one\r\nLF\n\x1a mid\r\n<a b>\x1a");  // byte 26 ends nothing
    writeFile(folder / german, "<a b>");
    writeFile(folder / russian, "<a b>");
    writeFile(folder / "a.htm", "<a b>");
    writeFile(folder / "A_NEW.HTM", "chosen");  // the output of a.htm, in other letter case
    Recorder run;
    engine::run(engine::planRun({"bin.htm", german, russian, "a.htm", "A_NEW.HTM"}, folder.path),
                run);
    EXPECT_EQ(readFile(folder / "bin_new.htm"), "one\r\nLF\n\x1a mid\r\n<a i>\x1a\r\n");
    EXPECT_EQ(readFile(folder / fs::path(u8"Grüße_new.htm")), "<a i>\r\n");
    EXPECT_EQ(readFile(folder / fs::path(u8"файл_new.txt")), "<a i>\r\n");
    EXPECT_EQ(readFile(folder / "A_NEW.HTM"), "chosen");
    EXPECT_THAT(run.failures, ElementsAre(StartsWith("a.htm: ")));
}

// The folder text, "\" and the name, as they are: a drive root gets a second separator.
TEST(WindowsTest, SourcesAreTheFolderTextABackslashAndTheName) {
    for (const auto& [folder, source] :
         {std::pair{L"C:\\", L"C:\\\\a.htm"}, std::pair{L"C:\\my.site", L"C:\\my.site\\a.htm"}}) {
        TestFiles files;
        Recorder run;
        engine::run(engine::planRun({"a.htm", "b.htm"}, folder), run, 0, files);
        EXPECT_EQ(files.opened.at(0).native(), source);
    }
}
#endif

}  // namespace
