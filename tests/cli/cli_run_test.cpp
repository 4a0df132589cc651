// Runs of the real program on temporary folders: the files it leaves, its report and its exit
// status.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <sstream>
#include <thread>

#include "cli/options.h"
#include "cli_process.h"
#include "engine/engine.h"

namespace {

using namespace cli_test;
using namespace testing;

const std::string kLink =
    "<a href=\"https://www.example.com/p\" style=\"text-decoration: underline\">A</a>";
const std::string kStruck =
    "<a href=\"https://www.example.com/p\" style=\"text-decoration: underline line-through\">A</a>";
const std::string kPage = "x\r\n" + kLink + "\r\ny\r\n";
const std::string kShort = "<b x> <B X>\r\n";  // rewritten by the texts of kTexts
const std::string kUtf32("\xFF\xFE\0\0a\0\0\0\n\0\0\0b\0\0\0", 16);  // "a", "b"
const std::vector<std::string> kTexts = {"--start",  "<b", "--stop",    ">",
                                         "--search", "x",  "--replace", "y"};

struct RunCase {
    const char* name;
    Files before;
    std::vector<std::string> arguments;
    int status;
    Files added;      // files the run must add; no other file may change
    std::string err;  // the report on standard error, exactly
    std::string out = {};
    std::string input = {};  // on standard input
    const char* locale = "C.UTF-8";
};

// The report of one file done: its output's line, then the total.
std::string one(const std::string& output, const std::string& counts, int changed = 1) {
    return output + ": " + counts + "\n1 file: 1 done, " + std::to_string(changed) +
           " changed, 0 failed; " + counts + "\n";
}
const std::string kYy = "<b y> <B y>\r\n", kTwice = "1 line, 2 segments, 2 replacements";
const std::string kUnchanged =
    "2 files: 1 done, 1 changed, 1 unchanged, 0 failed; 2 lines, 2 segments, 2 replacements\n";
const std::string kJsonTotal = "], \"total\": {\"files\": ";
// More than a read block of ASCII lines.
const std::string kLongAscii = [] {
    std::string text;
    while (text.size() < (3u << 20)) text += "plain ASCII\r\n";
    return text;
}();

// clang-format off
const RunCase kRuns[] = {
    {"defaults", {{"a.htm", kPage}}, {"a.htm"}, 0, {{"a_new.htm", "x\r\n" + kStruck + "\r\ny\r\n"}},
     one("a_new.htm", "3 lines, 1 segment, 1 replacement")},
    {"texts with =, values that look like options", {{"a.htm", "<b -x> <b --q>\r\n"}},
     {"--start=<b", "--stop=>", "--search", "-x", "--replace=--q", "a.htm"}, 0,
     {{"a_new.htm", "<b --q> <b --q>\r\n"}}, one("a_new.htm", "1 line, 2 segments, 1 replacement")},
    {"failures in the middle, the others done", {{"a.htm", kShort}, {"c.htm", kShort}, {"dir.htm/keep", ""},
     {"e.htm", kShort}, {"e_new.htm/x", ""}}, with(kTexts, {"a.htm", "missing.htm", "dir.htm", "e.htm", "c.htm", "-j1"}), 1,
     {{"a_new.htm", kYy}, {"c_new.htm", kYy}},
     "a_new.htm: " + kTwice + "\nmissing.htm: failed: No such file or directory\n"
     "dir.htm: failed: Is a directory\ne_new.htm: failed: Is a directory\nc_new.htm: " + kTwice + "\n"
     "5 files: 2 done, 2 changed, 3 failed; 2 lines, 4 segments, 4 replacements\n"},
    {"--jobs past the most is capped, and said so", {{"a.htm", kShort}},
     with(kTexts, {"-j500", "a.htm"}), 0, {{"a_new.htm", kYy}},
     "segment-replace-cli: --jobs 500 is capped at 64\n" + one("a_new.htm", kTwice)},
    {"-- ends the options", {{"-x.htm", kShort}}, with(kTexts, {"--", "-x.htm"}), 0,
     {{"-x_new.htm", kYy}}, one("-x_new.htm", kTwice)},
    {"a code page named for 8-bit files", {{"a.htm", "<b \xA3>\r\n"}},  // "\xC5\x81" in Windows-1250
     {"--start", "<b", "--stop", ">", "--search", "\xC5\x82", "--replace", "\xC5\x9B",
      "--code-page", "1250", "a.htm"}, 0,
     {{"a_new.htm", "<b \x9C>\r\n"}}, one("a_new.htm", "1 line, 1 segment, 1 replacement")},
    {"a dry run writes nothing and meets the failures of the run", {{"a.htm", kShort}, {"b.htm", kPage},
     {"c.htm", kPage}, {"c_new.htm/x", ""}, {"d.htm", kShort}, {"d_new.htm", kShort}},
     {"--dry-run", "a.htm", "b.htm", "nofile.htm", "c.htm", "d.htm", "d_new.htm"}, 1, {},
     "a_new.htm (dry run): 1 line, 0 segments, 0 replacements\n"
     "b_new.htm (dry run): 3 lines, 1 segment, 1 replacement\n"
     "nofile.htm: failed: No such file or directory\nc_new.htm: failed: Is a directory\n"
     "d.htm: failed: " + engine::overwriteReason("d_new.htm") + "\nd_new_new.htm (dry run): "
     "1 line, 0 segments, 0 replacements\n"
     "6 files: 3 would be written, 1 would change, 3 failed; 5 lines, 1 segment, 1 replacement\n"},
    {"quiet keeps the failures only, and then the total", {{"a.htm", kShort}},
     with(kTexts, {"-q", "a.htm", "nofile.htm"}), 1, {{"a_new.htm", kYy}},
     "nofile.htm: failed: No such file or directory\n"
     "2 files: 1 done, 1 changed, 1 failed; " + kTwice + "\n"},
    {"in place: a file changed over its source, an unchanged one left", {{"a.htm", kShort}, {"b.htm", "x"}},
     with(kTexts, {"-i", "a.htm", "b.htm"}), 0, {{"a.htm", kYy}},
     "a.htm: " + kTwice + "\nb.htm: unchanged\n" + kUnchanged},
    {"a backup that cannot be made leaves the source", {{"a.htm", kShort}},
     with(kTexts, {"-i", "--backup=/b", "a.htm"}), 1, {},
     "a.htm/b: failed: Not a directory\n1 file: 0 done, 0 changed, 1 failed; 0 lines, 0 segments, "
     "0 replacements\n"},
    {"changed only", {{"a.htm", kShort}, {"b.htm", "x"}}, with(kTexts, {"--changed-only", "a.htm", "b.htm"}),
     0, {{"a_new.htm", kYy}},
     "a_new.htm: " + kTwice + "\nb.htm: unchanged\n" + kUnchanged},
    {"case-sensitive", {{"a.htm", kShort}}, with(kTexts, {"-s", "a.htm"}), 0,
     {{"a_new.htm", "<b y> <B X>\r\n"}}, one("a_new.htm", "1 line, 1 segment, 1 replacement")},
    {"- looked at ahead for its first byte past ASCII, which shows UTF-8", {},
     with(kTexts, {"-q", "--code-page", "1252", "--search", "\xc3\xa9", "-"}), 0, {}, "",
     kLongAscii + "<b y>\r\n",
     kLongAscii + "<b \xc3\xa9>", "C"},
    {"json on standard output, a diff in it", {{"a.htm", kShort}, {"w.htm", kUtf32}},
     with(kTexts, {"--json", "-U0", "a.htm", "w.htm", "no\"file", "no\xe9"}), 1,
     {{"a_new.htm", kYy}, {"w_new.htm", kUtf32 + std::string("\n\0\0\0", 4)}}, "",
     "{\"dryRun\": false, \"files\": [\n"
     "  {\"source\": \"a.htm\", \"output\": \"a_new.htm\", \"status\": \"done\", "
     "\"encoding\": \"code page\", \"lines\": 1, \"segments\": 2, \"replacements\": 2, \"diff\": "
     "\"--- a.htm\\n+++ a.htm\\n@@ -1 +1 @@\\n-<b x> <B X>\\r\\n+<b y> <B y>\\r\\n\"},\n"
     "  {\"source\": \"w.htm\", \"output\": \"w_new.htm\", \"status\": \"done\", "
     "\"encoding\": \"utf-32le\", \"lines\": 2, \"segments\": 0, \"replacements\": 0, \"diff\": "
     "\"--- w.htm\\n+++ w.htm\\n@@ -2 +2 @@\\n-b\\n\\\\ No newline at end of file\\n+b\\n\"},\n"
     "  {\"source\": \"no\\\"file\", \"output\": \"no\\\"file_new\", \"status\": \"failed\", "
     "\"file\": \"no\\\"file\", \"reason\": \"No such file or directory\"},\n"
     // A name that is not UTF-8, in base64.
     "  {\"source\": {\"bytes\": \"bm/p\"}, \"output\": {\"bytes\": \"bm/pX25ldw==\"}, "
     "\"status\": \"failed\", \"file\": {\"bytes\": \"bm/p\"}, "
     "\"reason\": \"No such file or directory\"}\n" + kJsonTotal +
     "4, \"done\": 2, \"changed\": 1, \"unchanged\": 0, \"failed\": 2, \"stopped\": 0, "
     "\"skipped\": 0, \"notStarted\": 0, "
     "\"lines\": 3, \"segments\": 2, \"replacements\": 2}}\n"},
    {"json, quiet: the failed files only", {{"a.htm", kShort}},
     with(kTexts, {"--json", "-q", "a.htm", "nofile"}), 1, {{"a_new.htm", kYy}}, "",
     "{\"dryRun\": false, \"files\": [\n"
     "  {\"source\": \"nofile\", \"output\": \"nofile_new\", \"status\": \"failed\", "
     "\"file\": \"nofile\", \"reason\": \"No such file or directory\"}\n" + kJsonTotal +
     "2, \"done\": 1, \"changed\": 1, \"unchanged\": 0, \"failed\": 1, \"stopped\": 0, "
     "\"skipped\": 0, \"notStarted\": 0, \"lines\": 1, \"segments\": 2, \"replacements\": 2}}\n"},
    {"json of an empty list, dry run", {}, {"--json", "-n", "--files-from", "-"}, 0, {}, "",
     "{\"dryRun\": true, \"files\": [" + kJsonTotal + "0, \"done\": 0, \"changed\": 0, "
     "\"unchanged\": 0, \"failed\": 0, \"stopped\": 0, \"skipped\": 0, \"notStarted\": 0, "
     "\"lines\": 0, \"segments\": 0, \"replacements\": 0}}\n"},
};
// clang-format on

TEST(CliRunTest, LeavesTheExpectedFilesReportAndStatus) {
    for (const RunCase& c : kRuns) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        folder.write(c.before);
        const Outcome outcome = runCli(c.arguments, folder.path, {c.input, c.locale});
        EXPECT_EQ(std::tuple(outcome.status, outcome.err), std::tuple(c.status, c.err));
        EXPECT_TRUE(outcome.out == c.out) << outcome.out.substr(0, 1000);
        Files expected = c.before;
        for (const auto& [name, text] : c.added) expected[name] = text;
        EXPECT_EQ(folder.read(), expected);
    }
}

TEST(CliRunTest, UsageErrorsWriteNothingAndExitWithTwo) {
    const Files kFolder = {{"a.htm", kPage}, {"nul.list", std::string("a.htm\0a.htm", 11)}};
    // clang-format off
    const struct {
        std::vector<std::string> arguments;
        std::string says = "";  // in the first line
    } kUsageErrors[] = {
        {{"--dry-run"}}, {{"--bogus", "a.htm"}}, {{"-x", "a.htm"}}, {{"a.htm", "--start"}},
        {{"--jobs", "0", "a.htm"}}, {{"--jobs", "two", "a.htm"}}, {{"-U", "-1", "a.htm"}},
        {{"-U3x", "a.htm"}}, {{"--dry-run=yes", "a.htm"}}, {{"--code-page", "utf-8", "a.htm"}},
        {{"--color=sometimes", "a.htm"}}, {{"--diff", "-"}}, {{"--files-from", "-", "-"}},
        {{"--files-from", "no-such-list"},
         "cannot read the list 'no-such-list': No such file or directory"},
        {{"--files-from", "."}, "cannot read the list '.': Is a directory"},
        {{"--files-from", "nul.list"}, "the list holds NUL bytes: use -0"},
        {{"--backup", ".b", "a.htm"}, "--backup needs --in-place"},
        {{"-i", "--backup=", "a.htm"}, "--backup needs a suffix"},
    };
    // clang-format on
    for (const auto& c : kUsageErrors) {
        SCOPED_TRACE(PrintToString(c.arguments));
        TempFolder folder;
        folder.write(kFolder);
        const Outcome outcome = runCli(c.arguments, folder.path);
        EXPECT_EQ(std::tuple(outcome.status, outcome.out, folder.read()),
                  std::tuple(2, "", kFolder));
        EXPECT_THAT(outcome.err, StartsWith("segment-replace-cli: " + c.says));
        EXPECT_THAT(outcome.err, HasSubstr("usage: segment-replace-cli [OPTIONS] FILE..."));
    }
}

TEST(CliRunTest, HelpAndTheManPageNameEveryOptionAndVersionItsNumber) {
    TempFolder folder;
    const Outcome help = runCli({"--help"}, folder.path);
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--start", "--stop", "--search", "--replace", "--dry-run", "--diff",
                               "-U", "--files-from", "-0", "--jobs", "--code-page", "--quiet",
                               "--json", "--help", "--version", "www.example.com"}) {
        EXPECT_THAT(help.out, HasSubstr(option));
    }
    const std::string page = readFile(SOURCE_DIR "/cli/segment-replace-cli.1");
    const std::size_t begin = page.find(".SH OPTIONS\n"), end = page.find("\n.SH ", begin);
    EXPECT_EQ(page.substr(begin, end + 1 - begin), cli::manOptions())
        << "cmake --build <build folder> --target man-page writes it anew";
    const Outcome version = runCli({"--version", "a.htm"}, folder.path);
    EXPECT_EQ(version.status, 0);
    EXPECT_THAT(version.out, MatchesRegex("segment-replace-cli [0-9]+\\.[0-9]+.*\n"));
    // Standard output or error that cannot be written whole fails the program, with a message
    // where there is room for one.
    folder.write({{"a.htm", kShort}});
    for (const auto& [arguments, toErr] : {std::pair{std::vector<std::string>{"--help"}, false},
                                           {{"--json", "a.htm"}, false},
                                           {{"a.htm"}, true}}) {
        SCOPED_TRACE(PrintToString(arguments));
        const fs::path full = "/dev/full";
        const Outcome outcome =
            runCli(arguments, folder.path, {.out = toErr ? "" : full, .err = toErr ? full : ""});
        EXPECT_EQ(outcome.status, 1);
        EXPECT_THAT(outcome.err, EndsWith(toErr ? ""
                                                : "segment-replace-cli: cannot write to "
                                                  "standard output: No space left on device\n"));
    }
}

// A reader of the diff, of the JSON report or of the text report that goes away after two lines
// stops the run as Stop does, quietly: no temporary file left, completed outputs kept, the
// program ends with 141 and no message.
TEST(CliRunTest, AReaderThatGoesAwayStopsTheRunQuietly) {
    for (const auto& [option, toErr] :
         {std::pair{"--diff", false}, {"--json", false}, {"-j1", true}}) {
        SCOPED_TRACE(option);
        TempFolder folder;
        const auto files = numberedFiles(folder.path, 3000, kShort);
        int ends[2];
        ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
        const fs::path reader = "/dev/fd/" + std::to_string(ends[1]);
        RunningCli running(with(with(kTexts, {option, "-j1"}), files), folder.path,
                           {.out = toErr ? "" : reader,
                            .err = toErr ? reader : "",
                            .environment = {"SEGMENT_REPLACE_NAMED_OUTPUTS=1"}});
        ::close(ends[1]);
        for (int lines = 0; lines < 2;) {
            char byte = 0;
            if (::read(ends[0], &byte, 1) != 1) break;
            lines += byte == '\n';
        }
        ::close(ends[0]);
        const Outcome outcome = running.wait();
        EXPECT_EQ(std::tuple(outcome.status, outcome.signalled), std::tuple(141, false));
        EXPECT_THAT(outcome.err, Not(AnyOf(HasSubstr("files:"), HasSubstr("cannot"))));
        std::size_t outputs = 0, partial = 0;
        for (const auto& [name, text] : folder.read()) {
            EXPECT_FALSE(name.starts_with(".sr")) << name;
            if (name.find("_new") == std::string::npos) continue;
            ++outputs;
            partial += text == kYy ? 0 : 1;  // a file stopped before its line
            EXPECT_TRUE(text == kYy || text.empty()) << name;
        }
        EXPECT_LE(partial, 1u);
        EXPECT_THAT(outputs, AllOf(Gt(0u), Lt(files.size())));
    }
}

// The examples of the README's command-line section and of the man page, lines joined, in
// the shell's words.
std::vector<std::string> documentedExamples() {
    std::vector<std::string> examples;
    const std::string readme = readFile(SOURCE_DIR "/README.md");
    const std::size_t section = readme.find("\n## Command line\n");
    std::istringstream lines(readme.substr(section, readme.find("\n## ", section + 1) - section));
    bool open = false;  // a line ended by a backslash
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("    ")) continue;
        line = line.substr(line.find_first_not_of(' '));
        if (open) examples.back() += " " + line;
        if (!open) examples.push_back(line);
        open = examples.back().ends_with('\\');
        if (open) examples.back().erase(examples.back().find_last_not_of(" \\") + 1);
    }
    const std::string man = readFile(SOURCE_DIR "/cli/segment-replace-cli.1");
    for (std::size_t at = man.find(".SH EXAMPLES"); (at = man.find(".nf\n", at)) != man.npos;) {
        const std::size_t end = man.find("\n.fi", at);
        std::string example = man.substr(at + 4, end - at - 4);
        example.erase(0, example.find_first_not_of(' '));
        examples.push_back(std::regex_replace(example, std::regex(R"(\\-)"), "-"));
        at = end;
    }
    return examples;
}

// Each example is run by the shell on sample files, and must do what its text says.
TEST(CliRunTest, EveryExampleOfTheReadmeAndTheManPageDoesWhatItSays) {
    const std::string page = "<p>" + kLink + "</p>\n", struck = "<p>" + kStruck + "</p>\n";
    const Files site = {{"site/index.html", page},
                        {"site/index_new.html", "an earlier output\n"},
                        {"site/docs/a.html", page},
                        {"site/a.htm", page}};
    const Files siteDone = {{"site/index_new.html", struck}, {"site/docs/a_new.html", struck}};
    const struct {
        std::string end;                                 // of the example's command
        Files before, added;                             // the files added or changed
        std::pair<std::string, std::string> holds = {};  // a file ("-": standard output) holds
    } examples[] = {
        // clang-format off
        {" index.html", {{"index.html", "<a href=\"https://old.example.org/x\">old.example.org</a>\n"}},
         {}, {"-", "\n+<a href=\"https://new.example.org/x\">old.example.org</a>\n"}},
        {"--files-from - --jobs 4", site, siteDone}, {"--files-from -", site, siteDone},
        {"-r --glob '*.html' site", site, siteDone},
        {" - > out.html", {{"page.html", "<a href=\"http://a.org/\"><img src=\"http://a.org/i.png\"></a>\n"}},
         {}, {"out.html", "<a href=\"http://a.org/\"><img src=\"https://a.org/i.png\"></a>\n"}},
        {"-i --backup .orig site/*.html", site, {{"site/index.html", struck}, {"site/index.html.orig", page}}},
        {"--json site/*.htm > report.json", site, {{"site/a_new.htm", struck}},
         {"report.json", "\"source\": \"site/a.htm\", \"output\": \"site/a_new.htm\", \"status\": \"done\""}},
        {" page.html", {{"page.html", "<body>\n<a href=\"http://a.org/\"><img src=\"http://a.org/i.png\"></a>\n"}},
         {}, {"-", "\n+<a href=\"http://a.org/\"><img src=\"https://a.org/i.png\"></a>\n"}},
        // clang-format on
    };
    std::vector<std::string> documented = documentedExamples();
    std::ranges::sort(documented);  // the man page and the README share some
    documented.erase(std::unique(documented.begin(), documented.end()), documented.end());
    EXPECT_EQ(documented.size(), std::size(examples));
    for (const std::string& command : documented) {
        SCOPED_TRACE(command);
        const auto e =
            std::ranges::find_if(examples, [&](auto& row) { return command.ends_with(row.end); });
        ASSERT_NE(e, std::end(examples)) << "an example with no row here";
        TempFolder folder;
        folder.write(e->before);
        const std::string base = folder.path.string();
        writeFile(base + ".sh", "PATH='" + fs::path(CLI_PROGRAM).parent_path().string() +
                                    "':\"$PATH\"\n" + command + "\n");
        const std::string shell =
            "cd '" + base + "' && sh '" + base + ".sh' > '" + base + ".out' 2> '" + base + ".err'";
        EXPECT_EQ(std::system(shell.c_str()), 0) << readFile(base + ".err");
        Files after = folder.read(), expected = e->before;
        for (const auto& [name, text] : e->added) expected[name] = text;
        const std::string held =
            e->holds.first == "-" ? readFile(base + ".out") : after[e->holds.first];
        EXPECT_THAT(held, HasSubstr(e->holds.second));
        if (e->holds.first != "-") after.erase(e->holds.first);
        EXPECT_EQ(after, expected);
        for (const char* end : {".sh", ".out", ".err"}) fs::remove(base + end);
    }
}

// Whether the process has a signal waiting to be taken.
bool pending(pid_t pid) {
    return std::regex_search(readFile("/proc/" + std::to_string(pid) + "/status"),
                             std::regex("(Sig|Shd)Pnd:\\s*0*[1-9a-f]"));
}

// Signals while a run is at work: the first stops it between two lines, as Stop does, a second
// ends it at once, and no temporary file is left either way (named ones, the fallback, are
// used so that one would be seen). A Ctrl-C between two of many small files stops the run too, and
// starts no further file.
TEST(CliRunTest, SignalsStopTheRunAndLeaveNoTemporaryFile) {
    const std::string stopped =
        "f0_new.htm: stopped after .*\n1 file: 0 done, 0 changed, 0 failed, "
        "1 stopped, 0 not started; .*";
    // The signals, each sent once the one before was taken; the status; the files: one big one,
    // signalled at work, or small ones, once one is done; the report ("": ended at once).
    const std::tuple<std::vector<int>, int, int, std::string> cases[] = {
        {{SIGINT}, 130, 1, stopped},
        {{SIGINT, SIGINT}, 130, 1, ""},
        {{SIGTERM}, 143, 1, stopped},
        {{SIGHUP}, 129, 1, stopped},
        {{SIGINT}, 130, 2000, ".*, 0 failed, [01] stopped, [1-9][0-9]* not started; .*"}};
    // A first line long enough for the signals to land in it, and more lines after it; UTF-8
    // from its start, so that the pass does not read it all to find its encoding first.
    std::string big = "\xc3\xa9";
    while (big.size() < (10u << 20)) big += "<b x> ";
    while (big.size() < (16u << 20)) big += "\r\n" + kShort;
    const auto holds = [](const TempFolder& folder, const std::string& start) {
        return std::ranges::any_of(fs::directory_iterator(folder.path), [&](auto& entry) {
            return entry.path().filename().string().starts_with(start);
        });
    };
    for (const auto& [signals, status, count, report] : cases) {
        SCOPED_TRACE(PrintToString(signals) + " in " + std::to_string(count) + " files");
        bool landed = false;
        for (int attempt = 0; attempt < 3 && !landed; ++attempt) {
            TempFolder folder;
            const auto files = numberedFiles(folder.path, count, count == 1 ? big : kShort);
            RunningCli running(with(with(kTexts, {"-j1"}), files), folder.path,
                               {.environment = {"SEGMENT_REPLACE_NAMED_OUTPUTS=1"}});
            const std::string sign = count == 1 ? ".sr" : "f0_new.htm";
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (!holds(folder, sign) && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            for (const int signal : signals) {
                kill(running.pid(), signal);
                // Two signals of one kind, both pending, would be taken as one.
                while (pending(running.pid())) std::this_thread::yield();
            }
            const Outcome outcome = running.wait();
            EXPECT_FALSE(holds(folder, ".sr"));
            // Too late: the run was done, or it had stopped before the second signal.
            if (outcome.status == 0 || outcome.err.empty() != report.empty()) continue;
            landed = true;
            EXPECT_EQ(outcome.status, status);
            EXPECT_THAT(outcome.err, MatchesRegex(report));
        }
        EXPECT_TRUE(landed);
    }
}

}  // namespace
