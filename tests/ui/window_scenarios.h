// What both window views are tested by, over a driver per view that reads, clicks and types
// into its toolkit's controls: the window opens as the form table says, with the focus in tab
// order; Add File, typed texts and a run reach the window logic, and what it sets reaches the
// controls; each way to end a run ends it before the second file.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "tests/selection/scripted_dialog.h"
#include "tests/support/support.h"
#include "ui/elide.h"
#include "ui/form.h"
#include "ui/path_text.h"
#include "ui/window_logic.h"

namespace scenario {

namespace fs = std::filesystem;
using namespace ui::form;
using namespace std::string_literals;

// Replace's caption and state, Stop's, the bar's top and value, the entries, the selected one
// (-1: none).
using State = std::tuple<std::string, bool, bool, int, int, int, int>;
// A control as the view made it: its toolkit class, the form name of its parent ("" for the
// window), its text, and its place in the window's client area in pixels.
using Made = std::tuple<std::string, std::string, std::string, int, int, int, int>;
// A way to end a run, by its name.
using Ends = std::vector<std::pair<std::string, std::function<void()>>>;

// UTF-8 by its "é", so that a text typed past ASCII is written in UTF-8 too.
inline const std::string kLine = "[x] caf\xc3\xa9\r\n";

// `View`, made on a Script, opens a fresh window, shown, and gives its toolkit's: kClasses by
// Kind, kFramesAreParents, px(twips), window() (caption, client size, icon size), made(Id),
// text(Id), state(), entry(index), tooltip(Id), focused() (a form name); click(Id), enable(Id),
// type(Id, UTF-8), focus(Id), tab(back), later(task) (run at the next yield, as a click queued
// before it would be), isOpen() and ends().
template <class View>
struct Window : testing::Test {
    // Writes the first `written` files with two lines each and chooses them all in the dialog.
    void choose(const fs::path& in, const std::vector<std::string>& names, std::size_t written) {
        script.selection = ui::toText(in);
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (i < written) test::writeFile(in / ui::toPath(names[i]), kLine + kLine);
            script.selection += '\0' + names[i];
        }
        view.click(cmdAdd);
    }

    void opensAsTheFormSaysWithTheFocusInTabOrder() {
        EXPECT_EQ(view.window(), std::tuple(std::string(kCaption), view.px(kClientWidth),
                                            view.px(kClientHeight), std::pair(77, 65)));
        for (const Control& c : kControls) {
            // The caption, or what the logic set as the window loaded.
            std::string_view shown =
                c.id == lblDirectory ? "Click Open... and select multiple files" : c.caption;
            if (const auto box = std::ranges::find(kTextBoxControls, c.id);
                box != kTextBoxControls.end())
                shown = ui::kInitialTexts[box - kTextBoxControls.begin()];
            Twips t = c.place;  // in the client area
            if (c.frame != kClientArea) {
                t.left += kControls[c.frame].place.left;
                t.top += kControls[c.frame].place.top;
            }
            const bool framed = View::kFramesAreParents && c.frame != kClientArea;
            EXPECT_EQ(view.made(c.id),
                      Made(View::kClasses[static_cast<int>(c.kind)],
                           framed ? kControls[c.frame].name : "", shown, view.px(t.left),
                           view.px(t.top), view.px(t.width), view.px(t.height)))
                << c.name;
        }
        EXPECT_EQ(view.state(), State("Replace", false, false, kProgressMax, 0, 0, -1));

        // Tab and Shift+Tab through the controls that take the focus, the run buttons enabled.
        for (const Id button : {cmdReplace, cmdStop}) view.enable(button);
        std::vector<std::string> order;
        for (const Id id : kTabOrder)
            if (takesFocus(kControls[id].kind)) order.emplace_back(kControls[id].name);
        order.push_back(order.front());
        for (bool back : {false, true}) {
            std::vector<std::string> seen;
            for (std::size_t i = 0; i < order.size(); ++i, view.tab(back))
                seen.push_back(view.focused());
            EXPECT_EQ(seen, back ? std::vector(order.rbegin(), order.rend()) : order);
            view.focus(kTabOrder[0]);
        }
    }

    void addFileTypedTextsAndARunReachTheLogicAndWhatItSetsTheControls() {
        // A folder past MAX_PATH, too long for the label: shortened in the middle, whole as
        // tooltip.
        fs::path folder = temp.path;
        for (int i = 0; i < 8; ++i)
            folder /= ui::toPath("a folder name of forty characters, \xc3\xa9" + std::to_string(i));
        fs::create_directories(folder);
        const std::string name = "\xc3\xa9t\xc3\xa9", file = name + ".htm";
        choose(folder, {"a.htm", file, "gone.htm", "gone2.htm"}, 2);
        const std::string shown = view.text(lblDirectory);
        EXPECT_TRUE(shown.starts_with(ui::toText(temp.path).substr(0, 3)) &&
                    shown.ends_with(ui::toText(folder.filename())) &&
                    shown.find(ui::kEllipsis) != std::string::npos)
            << shown;
        EXPECT_EQ(std::tuple(view.tooltip(lblDirectory), view.entry(1), view.state()),
                  std::tuple(ui::toText(folder), file,
                             State("Replace", true, false, kProgressMax, 0, 4, -1)));

        // Each text typed (the replacement past ASCII) takes part: a box left out leaves "[x]".
        const char* typed[] = {"[", "]", "X", "\xc3\xbc"};
        for (int box = 0; box < ui::kTextBoxCount; ++box)
            view.type(kTextBoxControls[box], typed[box]);
        State busy = view.state();
        view.later([&] { busy = view.state(); });
        view.click(cmdReplace);
        const int size = static_cast<int>(2 * kLine.size());
        EXPECT_EQ(busy, State("Waiting ...", false, true, size + 2, 0, 4, 0));
        EXPECT_EQ(view.state(), State("Replace", true, false, size + 2, 0, 4, -1));
        EXPECT_EQ(view.focused(), "lstFile")
            << "the clicked Replace, disabled, passed the focus on";
        const std::string rewritten = "[\xc3\xbc]" + kLine.substr(3);
        EXPECT_EQ(test::readFile(folder / ui::toPath(name + "_new.htm")), rewritten + rewritten);
        ASSERT_EQ(script.messages.size(), 1u);
        const std::string first =
            "These files could not be processed:\n\n" + ui::toText(folder / "gone.htm") + ": ";
        EXPECT_TRUE(script.messages[0].starts_with("Replace error|" + first)) << script.messages[0];

        script.selection.clear();  // Cancel: the list holds only the placeholder
        view.click(cmdAdd);
        EXPECT_EQ(std::tuple(std::get<5>(view.state()), view.entry(0)),
                  std::tuple(1, "(No files selected)"s));
        // Listing a folder past MAX_PATH fails on Windows, so the deep end is removed by name.
        for (const auto& written : {"a.htm"s, file, "a_new.htm"s, name + "_new.htm"})
            fs::remove(folder / ui::toPath(written));
        for (; folder != temp.path; folder = folder.parent_path()) fs::remove(folder);
    }

    // Each end stops the run at its next yield, the window open after a Stop only. No file but
    // the first's empty output is written: a temporary file left would be seen.
    void eachEndEndsARunBeforeTheSecondFile() {
        choose(temp.path, {"a.htm", "b.htm"}, 2);
        for (const auto& [name, end] : view.ends()) {
            view.open();
            view.click(cmdAdd);
            bool openAtOnce = false;
            view.later([&, &end = end] { end(), openAtOnce = view.isOpen(); });
            view.click(cmdReplace);
            EXPECT_EQ(std::tuple(openAtOnce, view.isOpen(), temp.read()),
                      std::tuple(true, name == "Stop",
                                 test::Files{{"a.htm", kLine + kLine},
                                             {"a_new.htm", ""},
                                             {"b.htm", kLine + kLine}}))
                << name;
        }
    }

    const test::TempFolder temp;
    Script script;
    View view{script};
};

}  // namespace scenario

// The scenarios as tests of `Fixture`, a scenario::Window over a view's driver.
#define WINDOW_SCENARIOS(Fixture)                                                    \
    TEST_F(Fixture, OpensAsTheFormSaysWithTheFocusInTabOrder) {                      \
        opensAsTheFormSaysWithTheFocusInTabOrder();                                  \
    }                                                                                \
    TEST_F(Fixture, AddFileTypedTextsAndARunReachTheLogicAndWhatItSetsTheControls) { \
        addFileTypedTextsAndARunReachTheLogicAndWhatItSetsTheControls();             \
    }                                                                                \
    TEST_F(Fixture, EachEndEndsARunBeforeTheSecondFile) {                            \
        eachEndEndsARunBeforeTheSecondFile();                                        \
    }
