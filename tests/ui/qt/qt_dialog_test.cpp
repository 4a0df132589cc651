// The QFileDialog adapter: its selection string, its length check and the folder it leaves.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "tests/selection/scripted_dialog.h"
#include "tests/ui/qt/qt_app.h"
#include "ui/qt/file_filter.h"
#include "ui/qt/qt_open_dialog.h"

using namespace qtview;
using namespace std::string_literals;

std::string native(const QString& path) {
    return QDir::toNativeSeparators(path).toStdString();
}

TEST(QtSelection, ComposedFromThePathsWithAllFilesMeaningEveryFileOutsideWindows) {
    EXPECT_EQ(composeSelection({}), "");
    EXPECT_EQ(composeSelection({"/d/web/b.htm"}), native("/d/web/b.htm"));
    EXPECT_EQ(composeSelection({"/d/web/b.htm", "/d/web/a b.htm"}),
              native("/d/web") + "\0b.htm\0a b.htm"s);
    EXPECT_EQ(patternsForPlatform("*.*", PatternRules::other), "*");
    EXPECT_EQ(patternsForPlatform("*.*", PatternRules::windows), "*.*");
    EXPECT_EQ(patternsForPlatform("*.*.txt", PatternRules::other), "*.*.txt");
}

TEST(QtOpenDialog, ACancelIsNoErrorAndAChoicePastMaxFileSizeIsAnOpenError) {
    ensureQtApp();
    Script script;
    std::optional<QStringList> chosen;  // what the user confirms; nothing: Cancel
    selection::DialogServices qt = services(script);
    qt.createDialog = [&] {
        return std::make_unique<QtOpenDialog>(nullptr, [&](auto&) { return chosen; });
    };
    EXPECT_EQ(GetFiles(qt), "");
    chosen = {"/d/" + QString(32763, 'a'), "/d/b"};  // "/d", NUL, name, NUL, "b": 32768
    EXPECT_EQ(GetFiles(qt), "");
    (*chosen)[0].chop(1);
    EXPECT_EQ(GetFiles(qt).size(), 32767u);
    EXPECT_EQ(script.messages, std::vector<std::string>{"Open error|The selection is longer than "
                                                        "32767 characters; choose fewer "
                                                        "files.(20476)"});
}

TEST(QtOpenDialog, AConfirmedChoiceLeavesTheCurrentFolderThere) {
    ensureQtApp();
    const QString before = QDir::currentPath();
    QTemporaryDir folder;
    Script script;
    selection::DialogServices qt = services(script);
    qt.createDialog = [&] {
        return std::make_unique<QtOpenDialog>(nullptr, [&](auto&) {
            return std::optional<QStringList>{{folder.filePath("a.htm"), folder.filePath("b.htm")}};
        });
    };
    EXPECT_EQ(GetFiles(qt), native(folder.path()) + "\0a.htm\0b.htm"s);
    EXPECT_EQ(QDir::current().canonicalPath(), QDir(folder.path()).canonicalPath());
    QDir::setCurrent(before);
}
