// GetFiles and the Add File click over a scripted dialog, and the Qt adapter's length check.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "selection/add_file.h"
#include "selection/file_filter.h"
#include "selection/qt_open_dialog.h"
#include "selection/selection_string.h"
#include "tests/selection/scripted_dialog.h"

using namespace selection;

const QString kFilter = "All Files (*.*)|*.*|Text Files (*.txt)|*.*.txt|INI Files (*.ini)|" +
                        QString("*.ini|Images (*.bmp;*.jpg;*.gif)|*.bmp;*.jpg;*.gif");
const QStringList kSteps = {"create",        "CancelError=true",          "Filter=" + kFilter,
                            "FilterIndex=1", "DialogTitle=Open files...", "MaxFileSize=32767",
                            "Flags=788996"};

struct Host : AddFileHost {
    QStringList log{"old.htm"};  // the list of an earlier selection, then each call
    void clearList() override { log.clear(); }
    void appendEntry(const QString& entry) override { log << entry; }
    void setDirectoryText(const QString& text) override { log << "label=" + text; }
    void setReplaceEnabled(bool on) override { log << (on ? "Replace on" : "Replace off"); }
};

TEST(AddFile, SetsTheDialogUpInOrderAndFillsListAndLabelForEachOutcome) {
    const QStringList shown = kSteps + QStringList{"ShowOpen", "FileName", "~"};
    const QStringList none{"(No files selected)", "Replace off"};  // the label stays
    const QString error = "Open error|Out of memory(7)";
    const QString three = QStringLiteral("/d\0c.htm\0a.htm\0b.htm");  // NUL-separated
    const std::tuple<QString, QString, QStringList, QStringList> cases[] = {
        {"", "/d/a.htm", shown, {"label=Single Files selected:", "/d/a.htm", "Replace on"}},
        {"", three, shown, {"label=/d", "c.htm", "a.htm", "b.htm", "Replace on"}},
        {"", "", shown, none},  // Cancel
        {"create", "/d/a.htm", {"create", error}, none},
        {"Filter", "/d/a.htm", kSteps.mid(0, 3) + QStringList{"~", error}, none},
        {"ShowOpen", "/d/a.htm", kSteps + QStringList{"ShowOpen", "~", error}, none}};
    for (const auto& [failAt, selection, calls, log] : cases) {
        Script script(failAt, selection);
        Host host;
        addFileClick(host, services(script));
        EXPECT_EQ(script.calls + script.messages, calls);
        EXPECT_EQ(host.log, log);
    }
}

TEST(SelectionText, ComposedFromThePathsWithAllFilesMeaningEveryFileOutsideWindows) {
    EXPECT_EQ(composeSelection({}), "");
    EXPECT_EQ(composeSelection({"/d/web/b.htm"}), QDir::toNativeSeparators("/d/web/b.htm"));
    EXPECT_EQ(composeSelection({"/d/web/b.htm", "/d/web/a b.htm"}),
              QDir::toNativeSeparators("/d/web") + QStringLiteral("\0b.htm\0a b.htm"));
    EXPECT_EQ(patternsForPlatform("*.*", PatternRules::other), "*");
    EXPECT_EQ(patternsForPlatform("*.*", PatternRules::windows), "*.*");
    EXPECT_EQ(patternsForPlatform("*.*.txt", PatternRules::other), "*.*.txt");
}

TEST(QtOpenDialog, ACancelIsNoErrorAndAChoicePastMaxFileSizeIsAnOpenError) {
    ensureQtApp();
    Script script;
    std::optional<QStringList> chosen;  // what the user confirms; nothing: Cancel
    DialogServices qt = services(script);
    qt.createDialog = [&] {
        return std::make_unique<QtOpenDialog>(nullptr, [&](auto&) { return chosen; });
    };
    EXPECT_EQ(GetFiles(qt), "");
    chosen = {"/d/" + QString(32763, 'a'), "/d/b"};  // "/d", NUL, name, NUL, "b": 32768
    EXPECT_EQ(GetFiles(qt), "");
    (*chosen)[0].chop(1);
    EXPECT_EQ(GetFiles(qt).size(), 32767);
    EXPECT_EQ(script.messages, QStringList{"Open error|The selection is longer than 32767 "
                                           "characters; choose fewer files.(20476)"});
}

TEST(QtOpenDialog, AConfirmedChoiceLeavesTheCurrentFolderThere) {
    ensureQtApp();
    const QString before = QDir::currentPath();
    QTemporaryDir folder;
    Script script;
    DialogServices qt = services(script);
    qt.createDialog = [&] {
        return std::make_unique<QtOpenDialog>(nullptr, [&](auto&) {
            return std::optional<QStringList>{{folder.filePath("a.htm"), folder.filePath("b.htm")}};
        });
    };
    EXPECT_EQ(GetFiles(qt),
              QDir::toNativeSeparators(folder.path()) + QChar(0) + "a.htm" + QChar(0) + "b.htm");
    EXPECT_EQ(QDir::current().canonicalPath(), QDir(folder.path()).canonicalPath());
    QDir::setCurrent(before);
}
