// GetFiles and the Add File click over a scripted dialog, what every dialog adapter shares, and
// the selection-string rules.
#include <gtest/gtest.h>

#include <filesystem>

#include "selection/add_file.h"
#include "selection/dialog_adapter.h"
#include "selection/selection_string.h"
#include "tests/selection/scripted_dialog.h"
#include "tests/support/support.h"

namespace fs = std::filesystem;
using namespace selection;
using namespace std::string_literals;

const std::string kFilter =
    "All Files (*.*)|*.*|Text Files (*.txt)|*.*.txt|INI Files (*.ini)|"
    "*.ini|Images (*.bmp;*.jpg;*.gif)|*.bmp;*.jpg;*.gif";
const Strings kSteps = {"create",        "CancelError=true",          "Filter=" + kFilter,
                        "FilterIndex=1", "DialogTitle=Open files...", "MaxFileSize=32767",
                        "Flags=788996"};

Strings shown(const FileChoice& choice) {
    Strings log;
    if (choice.directoryText) log.push_back("label=" + *choice.directoryText);
    log = test::with(log, choice.entries);
    log.push_back(choice.replaceEnabled ? "Replace on" : "Replace off");
    return log;
}

TEST(AddFile, SetsTheDialogUpInOrderAndFillsListAndLabelForEachOutcome) {
    const Strings shows = test::with(kSteps, {"ShowOpen", "FileName", "~"});
    const Strings none{"(No files selected)", "Replace off"};  // the label stays
    const std::string error = "Open error|Out of memory(7)";
    const std::string three = "/d\0c.htm\0a.htm\0b\xc3\xa9.htm"s;  // NUL-separated, UTF-8
    const std::tuple<std::string, std::string, Strings, Strings> cases[] = {
        {"", "/d/a.htm", shows, {"label=Single Files selected:", "/d/a.htm", "Replace on"}},
        {"", three, shows, {"label=/d", "c.htm", "a.htm", "b\xc3\xa9.htm", "Replace on"}},
        {"", "", shows, none},  // Cancel
        {"create", "/d/a.htm", {"create", error}, none},
        {"ShowOpen", "/d/a.htm", test::with(kSteps, {"ShowOpen", "~", error}), none}};
    for (const auto& [failAt, selection, calls, log] : cases) {
        Script script{failAt, selection};
        EXPECT_EQ(shown(addFileClick(services(script))), log) << failAt;
        EXPECT_EQ(test::with(script.calls, script.messages), calls) << failAt;
    }
    EXPECT_EQ(shown(addFileClick({})), none);  // no dialog factory at all
}

std::string outcome(const std::function<void()>& step) {  // "number description" or "ok"
    try {
        step();
        return "ok";
    } catch (const DialogFailure& failure) {
        return std::to_string(failure.number()) + ' ' + failure.description();
    }
}

struct TableAdapter : DialogAdapter {
    std::optional<Choice> choice;  // what the dialog hands back; nothing: Cancel
    std::optional<Choice> show(const DialogSettings&) override { return choice; }
};

TEST(DialogAdapter, ChecksMaxFileSizeAndRulesOnACancelAChoiceTooLongAndTheChosenFolder) {
    TableAdapter dialog;
    EXPECT_EQ(dialog.settings(), (DialogSettings{false, "", 1, "", 260, 0}));
    const std::tuple<int, std::string> sizes[] = {{0, "380 Invalid property value"},
                                                  {1, "ok"},
                                                  {32767, "ok"},
                                                  {32768, "380 Invalid property value"}};
    for (const auto& [size, result] : sizes)
        EXPECT_EQ(outcome([&] { dialog.setMaxFileSize(size); }), result) << size;
    EXPECT_EQ(dialog.settings().maxFileSize, 32767);

    // A choice moves the current folder to the chosen one; the names need not exist.
    const test::TempFolder temp;
    const fs::path folder = temp / u8"\u00e9";
    fs::create_directories(folder);
    const std::u8string utf8 = folder.u8string();
    const std::string root(utf8.begin(), utf8.end()), one = root + "/a.htm";
    const std::string several = root + "\0a\0b"s;
    const std::tuple<bool, std::optional<Choice>, std::string, bool> cases[] = {
        {true, std::nullopt, "32755 Cancel was selected.", false},
        {false, std::nullopt, "ok", false},
        {true, Choice{one, 40}, "ok", true},
        {true, Choice{several, 40}, "ok", true},
        {true, Choice{several, 41},
         "20476 The selection is longer than 40 characters; choose fewer files.", false}};
    for (const auto& [cancelError, choice, result, chosen] : cases) {
        fs::current_path(fs::temp_directory_path());
        TableAdapter adapter;
        adapter.choice = choice;
        adapter.setCancelError(cancelError);
        adapter.setMaxFileSize(40);
        EXPECT_EQ(outcome([&] { adapter.showOpen(); }), result);
        EXPECT_EQ(adapter.fileName(), chosen ? choice->selection : "");
        EXPECT_EQ(fs::equivalent(fs::current_path(), folder), chosen) << result;
    }
    fs::current_path(fs::temp_directory_path());
}

TEST(SelectionString, SplitComposedAndTakenFromANulList) {
    const std::tuple<std::string, Strings> splits[] = {
        {"", {}}, {"C:\\a.htm", {"C:\\a.htm"}}, {"C:\\\0a\0b"s, {"C:\\", "a", "b"}}};
    for (const auto& [selection, parts] : splits) EXPECT_EQ(selectionParts(selection), parts);

    EXPECT_EQ(composeSelection("/d", {}, '/'), "");  // one name or more: as Qt's dialog has it
    EXPECT_EQ(composeSelection("C:\\", {"a"}, '\\'), "C:\\a");  // a drive root

    const std::tuple<std::string, std::string> lists[] = {{"\0\0"s, ""},
                                                          {"\0"s, ""},
                                                          {"C:\\a.htm\0\0junk"s, "C:\\a.htm"},
                                                          {"C:\\d\0a\0b\0\0\0"s, "C:\\d\0a\0b"s}};
    for (const auto& [buffer, selection] : lists)
        EXPECT_EQ(selectionFromNulList(buffer), selection);
}
