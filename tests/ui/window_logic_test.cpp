// The window's behaviour over fake controls: Add File, real runs over temporary files with
// clicks that arrive while a run yields, throttling, texts and the failure report.
#include <gtest/gtest.h>

#include "tests/support/support.h"
#include "tests/ui/fake_controls.h"
#include "ui/elide.h"
#include "ui/path_text.h"
#include "ui/progress_scale.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace std::string_literals;

const std::string kLine =
    R"(<a href="https://www.example.com/" style="text-decoration: underline">)";
const std::string kRewritten =
    R"(<a href="https://www.example.com/" style="text-decoration: underline line-through">)";

std::string repeatLine(const std::string& line, int lines) {
    std::string text;
    for (int i = 0; i < lines; ++i) text += line + "\r\n";
    return text;
}

struct Logic : testing::Test {
    Logic() {
        window.logic.load();
        window.log.clear();
    }
    // Writes each named file with `lines` lines (names past `written` are left missing) and
    // chooses them all, as the dialog would.
    void choose(FakeControls& w, const Strings& names, int lines = 1, std::size_t written = ~0u,
                const std::string& line = kLine) {
        w.script.selection = ui::toText(folder);
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (i < written)
                test::writeFile(folder / ui::toPath(names[i]), repeatLine(line, lines));
            w.script.selection += '\0' + names[i];
        }
        // A dialog gives one chosen file as its full path.
        if (names.size() == 1) w.script.selection = ui::toText(folder / ui::toPath(names[0]));
        w.logic.cmdAdd_Click();
        w.log.clear();
        w.script.calls.clear();
    }
    std::string output(const std::string& name) {
        return test::readFile(folder / ui::toPath(name));
    }

    FakeControls window;
    const test::TempFolder tempFolder;
    const fs::path& folder = tempFolder.path;
};

// A Cancel, over an empty list, leaves the label and the placeholder, which no run takes for a
// file: nothing is opened, nothing reported.
TEST_F(Logic, AddFileClearsTheListFirstAndNeverRunsThePlaceholder) {
    window.script.onShow = [&] { window.note("dialog"); };
    window.logic.cmdAdd_Click();  // Cancel
    window.logic.cmdReplace_Click();
    EXPECT_EQ(
        std::tuple(window.logic.entryText(0), window.logic.entryText(1), window.script.messages),
        std::tuple(fs::path("(No files selected)"), fs::path(), Strings{}));
    EXPECT_EQ(window.log, (Strings{"clear", "dialog", "entry=(No files selected)", "Replace off",
                                   "caption=Waiting ...", "Replace off", "Stop on",
                                   "caption=Replace", "Replace off", "Stop off"}));
}

TEST_F(Logic, EventsSelectionAndBarAreHandledAtMostOncePerFrameAndAtNewInput) {
    // lines per file, their length (0: kLine), files, clock step per reading, input waiting at
    // every file start; processEvents calls, selections shown, bar repaints
    using Row = std::tuple<int, int, int, std::chrono::milliseconds, bool, long, long, long>;
    const Row cases[] = {
        {1000, 0, 1, 0ms, false, 1, 2, 1},     // a frozen clock: only the run's first yield
        {1000, 0, 1, 16ms, false, 16, 2, 17},  // one clock reading per 64 lines, each a new frame
        {1000, 0, 1, 1ms, false, 2, 2, 3},     // fifteen readings make a frame: line 961
        {10, 200000, 1, 16ms, false, 10, 2, 11},  // or per 64 kB: each line of 200 kB
        {1, 0, 40, 0ms, false, 1, 2, 1},          // per-file work is throttled too
        {1, 0, 40, 16ms, false, 40, 41, 1},       // a frame between files: each file shows
        {1, 0, 40, 0ms, true, 40, 41, 1}};  // waiting input is handled at a file's first yield
    for (const auto& [lines, length, files, tick, input, events, selects, bars] : cases) {
        FakeControls fresh;
        fresh.logic.load();
        Strings names;
        for (int i = 0; i < files; ++i) names.push_back(std::to_string(i) + ".htm");
        choose(fresh, names, lines, ~0u, length ? std::string(length, 'x') : kLine);
        fresh.tick = tick;
        if (input) fresh.onEvents = [&](int) { fresh.queued.push_back([] {}); };
        fresh.logic.cmdReplace_Click();
        EXPECT_EQ(std::tuple(fresh.count("events"), fresh.count("select="), fresh.count("bar=")),
                  std::tuple(events, selects, bars))
            << lines << " lines, " << files << " files, " << tick.count() << " ms";
    }
}

TEST_F(Logic, StopAddFileAndCloseEachEndTheRunAtTheNextHandledInput) {
    const Strings names{"a.htm", "b.htm", "c.htm"};
    choose(window, names, 2);
    // Stop clicked during the first file but handled only at the second file's first yield,
    // which stays selected.
    window.onEvents = [&](int n) {
        if (n == 1) window.queued.push_back([&] { window.logic.cmdStop_Click(); });
    };
    window.logic.cmdReplace_Click();
    EXPECT_EQ(
        std::tuple(output("a_new.htm"), output("b_new.htm"), fs::exists(folder / "c_new.htm")),
        std::tuple(repeatLine(kRewritten, 2), "", false));
    EXPECT_EQ(std::tuple(window.count("select=1"), window.count("select=-1"), window.logic.bStop),
              std::tuple(1, 0, false));

    // Add File during a run: the run stops, then the dialog opens on an idle window.
    window.script.selection = ui::toText(folder) + "\0c.htm\0b.htm"s;
    window.script.onShow = [&] { EXPECT_FALSE(window.logic.running()); };
    window.onEvents = [&](int) { window.logic.cmdAdd_Click(); };
    window.logic.cmdReplace_Click();
    EXPECT_EQ(std::tuple(window.logic.entryText(0), window.script.calls.back()),
              std::tuple("c.htm", "~"));

    // Closing during a run: refused at once, the run stops, and the window closes after it. The
    // new list's first entry is shown selected, though the stopped run left entry 0 selected.
    window.onEvents = [&](int) { EXPECT_FALSE(window.logic.queryClose()); };
    window.log.clear();
    window.logic.cmdReplace_Click();
    EXPECT_EQ(std::tuple(window.count("select=0"), window.log.back(), window.logic.queryClose()),
              std::tuple(1, "close", true));

    // What the window throws while a run yields ends the run (the engine's runs show that it
    // leaves no output), which puts the buttons back and tells the user.
    window.onEvents = [&](int) -> void { throw std::runtime_error("window gone"); };
    window.log.clear();
    window.logic.cmdReplace_Click();
    EXPECT_EQ(Strings(window.log.end() - 3, window.log.end()),
              (Strings{"caption=Replace", "Replace on", "Stop off"}));
    EXPECT_EQ(window.script.messages.back(),
              "Replace error|This file could not be processed:\n\n: window gone");
}

// The texts change their version, which a pass compares before every line instead of the texts.
TEST_F(Logic, ATextEditedWhileARunYieldsAppliesToTheLinesThatFollow) {
    choose(window, {"a.htm"}, 100);
    window.tick = 16ms;  // events at the first line and at the 65th
    window.onEvents = [&](int n) {
        if (n == 2) window.logic.textChanged(ui::TextBox::replace, "struck");
    };
    EXPECT_NE(window.logic.texts().version, 0u);  // 0: the texts compared every line
    window.logic.cmdStop_Click();  // while idle: the run clears the flag when it begins
    window.logic.cmdReplace_Click();
    const std::string edited = R"(<a href="https://www.example.com/" style="text-decoration: )"
                               "struck\">";
    EXPECT_EQ(output("a_new.htm"), repeatLine(kRewritten, 64) + repeatLine(edited, 36));
}

TEST(FailureText, TwoFilesAreSeveralAndThosePastTwentyAreCounted) {
    const std::vector<ui::Failure> two(2, {"f", "Permission denied"}), many(21, two[0]);
    EXPECT_TRUE(ui::failureText(two).starts_with("These files could not be processed:\n\nf: "));
    EXPECT_TRUE(ui::failureText(many).ends_with("denied\n\n1 more file failed."));
    EXPECT_TRUE(
        ui::failureText(std::vector(23, two[0])).ends_with("denied\n\n3 more files failed."));
}

TEST(ElideMiddle, KeepsWhatFitsAndCutsTheMiddleAtCharacterBoundaries) {
    const auto atMost = [](std::size_t n) {    // fits when it has at most n characters
        return [n](const std::string& text) {  // a byte 10xxxxxx goes on a character
            return std::ranges::count_if(text, [](char c) { return (c & 0xC0) != 0x80; }) <=
                   static_cast<std::ptrdiff_t>(n);
        };
    };
    // clang-format off
    const std::tuple<std::string, std::size_t, std::string> cases[] = {
        {"C:\\site", 7, "C:\\site"}, {"C:\\web\\site\\pages", 9, "C:\\w\xe2\x80\xa6" "ages"},
        {"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 4, "\xc3\xa9\xe2\x80\xa6\xc3\xa9\xc3\xa9"},
        {"abcdef", 0, "\xe2\x80\xa6"}};
    // clang-format on
    for (const auto& [text, width, shown] : cases)
        EXPECT_EQ(ui::elideMiddle(text, atMost(width)), shown) << text;
}

TEST(PathText, NonAsciiNamesSurviveTheRoundTrip) {
    const std::string name = "d\xc3\xa9j\xc3\xa0 \xe6\x96\x87/\xf0\x9f\x93\x84.htm";
    EXPECT_EQ(ui::toText(ui::toPath(name)), name);
    EXPECT_EQ(ui::toText(ui::toPath(name).filename()), "\xf0\x9f\x93\x84.htm");
}

TEST(BarRange, KeepsIntRangesAndScalesWiderOnesInProportion) {
    EXPECT_EQ(barRange(0, INT32_MAX, 7).max, INT32_MAX);
    EXPECT_EQ(barRange(-INT64_MAX, INT64_MAX, INT64_MAX / 2).value, kScaledBarMax * 3 / 4);
    EXPECT_EQ(barRange(0, 10, 11).value, 10);
}
