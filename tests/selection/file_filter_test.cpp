#include "selection/file_filter.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>

#include "scripted_dialog.h"
#include "selection/qt_open_dialog.h"

namespace selection {
namespace {

TEST(PatternsForPlatform, OnlyTheAllFilesListChangesAndOnlyOutsideWindows) {
    using enum PatternRules;
    EXPECT_EQ(patternsForPlatform("*.*", other), "*");
    EXPECT_EQ(patternsForPlatform("*.*", windows), "*.*");
    for (const char* kept : {"*.*.txt", "*.ini", "*.bmp;*.jpg;*.gif", "*.*;*.ini"}) {
        EXPECT_EQ(patternsForPlatform(kept, other), kept);
    }
}

OpenSettings openSettings(int filterIndex, long flags) {
    return {true, kOpenFilter, filterIndex, "Open files...", kMaxFileSize, flags};
}

// What Qt's own dialog lists and matches, on a configured dialog that is never shown.
TEST(ConfigureFileDialog, QtShowsTheDescriptionsAndMatchesTheGivenPatterns) {
    testing::ensureQtApp();
    QFileDialog dialog;
    configureFileDialog(dialog, openSettings(1, kOpenFlags));
    EXPECT_EQ(dialog.windowTitle(), "Open files...");
    EXPECT_FALSE(dialog.testOption(QFileDialog::ReadOnly));
    EXPECT_EQ(dialog.selectedNameFilter(), "All Files (*.*)");
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFiles);
    const auto modeAndFilter = [](long flags, int filterIndex) {
        QFileDialog other;
        configureFileDialog(other, openSettings(filterIndex, flags));
        return std::pair(other.fileMode(), other.selectedNameFilter());
    };
    EXPECT_EQ(modeAndFilter(kFlagPathMustExist, 3),
              std::pair(QFileDialog::ExistingFile, QString("INI Files (*.ini)")));
    EXPECT_EQ(modeAndFilter(0, 9), std::pair(QFileDialog::AnyFile, QString("All Files (*.*)")));

    auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (types == nullptr || model == nullptr) GTEST_SKIP() << "no widget-based dialog here";
    QStringList shown;
    for (int i = 0; i < types->count(); ++i) shown << types->itemText(i);
    EXPECT_EQ(shown, (QStringList{"All Files (*.*)", "Text Files (*.txt)", "INI Files (*.ini)",
                                  "Images (*.bmp;*.jpg;*.gif)"}));
    const struct {
        int index;
        const char* name;
        bool matched;
    } cases[] = {{0, "README", true},        {0, "page.htm", true}, {1, "notes.txt", false},
                 {1, "notes.old.txt", true}, {2, "win.ini", true},  {2, "win.inf", false},
                 {3, "photo.jpg", true},     {3, "icon.gif", true}, {3, "photo.png", false}};
    for (const auto& c : cases) {
        dialog.selectNameFilter(dialog.nameFilters()[c.index]);
        EXPECT_EQ(QDir::match(model->nameFilters(), c.name), c.matched)
            << c.name << " with " << shown[c.index].toStdString();
    }
}

}  // namespace
}  // namespace selection
