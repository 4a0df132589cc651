// GetFiles and the Add File click over a scripted dialog, and the selection-string rules.
#include <gtest/gtest.h>

#include "selection/add_file.h"
#include "selection/selection_string.h"
#include "tests/selection/scripted_dialog.h"

using namespace selection;
using namespace std::string_literals;
using Strings = std::vector<std::string>;

const std::string kFilter =
    "All Files (*.*)|*.*|Text Files (*.txt)|*.*.txt|INI Files (*.ini)|"
    "*.ini|Images (*.bmp;*.jpg;*.gif)|*.bmp;*.jpg;*.gif";
const Strings kSteps = {"create",        "CancelError=true",          "Filter=" + kFilter,
                        "FilterIndex=1", "DialogTitle=Open files...", "MaxFileSize=32767",
                        "Flags=788996"};

Strings operator+(Strings a, const Strings& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Host : AddFileHost {
    Strings log{"old.htm"};  // the list of an earlier selection, then each call
    void clearList() override { log.clear(); }
    void appendEntry(const std::string& entry) override { log.push_back(entry); }
    void setDirectoryText(const std::string& text) override { log.push_back("label=" + text); }
    void setReplaceEnabled(bool on) override { log.push_back(on ? "Replace on" : "Replace off"); }
};

TEST(AddFile, SetsTheDialogUpInOrderAndFillsListAndLabelForEachOutcome) {
    const Strings shown = kSteps + Strings{"ShowOpen", "FileName", "~"};
    const Strings none{"(No files selected)", "Replace off"};  // the label stays
    const std::string error = "Open error|Out of memory(7)";
    const std::string three = "/d\0c.htm\0a.htm\0b\xc3\xa9.htm"s;  // NUL-separated, UTF-8
    const std::tuple<std::string, std::string, Strings, Strings> cases[] = {
        {"", "/d/a.htm", shown, {"label=Single Files selected:", "/d/a.htm", "Replace on"}},
        {"", three, shown, {"label=/d", "c.htm", "a.htm", "b\xc3\xa9.htm", "Replace on"}},
        {"", "", shown, none},  // Cancel
        {"create", "/d/a.htm", {"create", error}, none},
        {"Filter", "/d/a.htm", Strings(kSteps.begin(), kSteps.begin() + 3) + Strings{"~", error},
         none},
        {"ShowOpen", "/d/a.htm", kSteps + Strings{"ShowOpen", "~", error}, none}};
    for (const auto& [failAt, selection, calls, log] : cases) {
        Script script(failAt, selection);
        Host host;
        addFileClick(host, services(script));
        EXPECT_EQ(script.calls + script.messages, calls) << failAt;
        EXPECT_EQ(host.log, log) << failAt;
    }
    Host host;  // no dialog factory at all
    EXPECT_EQ(GetFiles({}), "");
    addFileClick(host, {});
    EXPECT_EQ(host.log, none);
}

TEST(SelectionString, SplitComposedAndTakenFromANulList) {
    const std::tuple<std::string, Strings> splits[] = {
        {"", {}}, {"C:\\a.htm", {"C:\\a.htm"}}, {"C:\\\0a\0b"s, {"C:\\", "a", "b"}}};
    for (const auto& [selection, parts] : splits) EXPECT_EQ(selectionParts(selection), parts);

    EXPECT_EQ(composeSelection("/d", {}, '/'), "");
    EXPECT_EQ(composeSelection("/d", {"a"}, '/'), "/d/a");
    EXPECT_EQ(composeSelection("C:\\", {"a"}, '\\'), "C:\\a");  // a drive root
    EXPECT_EQ(composeSelection("/d", {"a", "b c"}, '/'), "/d\0a\0b c"s);

    const std::tuple<std::string, std::string> lists[] = {{"\0\0"s, ""},
                                                          {"\0"s, ""},
                                                          {"C:\\a.htm\0\0junk"s, "C:\\a.htm"},
                                                          {"C:\\d\0a\0b\0\0\0"s, "C:\\d\0a\0b"s}};
    for (const auto& [buffer, selection] : lists)
        EXPECT_EQ(selectionFromNulList(buffer), selection);

    EXPECT_EQ(selectionTooLong(32767).number(), 20476);
}
