#include "selection/selection_string.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "selection/open_dialog.h"

namespace selection {
namespace {

TEST(ComposeSelection, OneSeveralOrNoPaths) {
    const auto native = [](const QString& path) { return QDir::toNativeSeparators(path); };
    const QChar nul(0);
    EXPECT_EQ(composeSelection({}), "");
    EXPECT_EQ(composeSelection({"/data/web/page.htm"}), native("/data/web/page.htm"));
    EXPECT_EQ(composeSelection({"/data/web/b.htm", "/data/web/a b.htm", "/data/web/c"}),
              native("/data/web") + nul + "b.htm" + nul + "a b.htm" + nul + "c");
    // Files from two folders are named from the folder that holds both.
    EXPECT_EQ(composeSelection({"/data/x/a.htm", "/data/y/b.htm"}),
              native("/data") + nul + native("x/a.htm") + nul + native("y/b.htm"));
}

TEST(AcceptSelection, FailsPastMaxFileSizeAndOtherwiseMovesToTheFolder) {
    const QString before = QDir::currentPath();
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).canonicalPath();
    const QStringList chosen = {folder + "/a.htm", folder + "/b.htm"};
    const int length = static_cast<int>(composeSelection(chosen).size());
    try {
        acceptSelection(chosen, length - 1);
        ADD_FAILURE() << "a selection one character too long was accepted";
    } catch (const DialogFailure& failure) {
        EXPECT_EQ(failure.number(), kSelectionTooLongNumber);
    }
    EXPECT_EQ(QDir::currentPath(), before);

    EXPECT_EQ(acceptSelection(chosen, length), composeSelection(chosen));
    EXPECT_EQ(QDir(QDir::currentPath()).canonicalPath(), folder);
    QDir::setCurrent(before);
}

}  // namespace
}  // namespace selection
