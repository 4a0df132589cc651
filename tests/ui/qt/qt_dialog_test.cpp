// The QFileDialog adapter: the dialog it sets up and the selection it hands back; and Qt's
// message box for a window that brings none.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include "tests/selection/scripted_dialog.h"
#include "tests/ui/qt/qt_app.h"
#include "ui/qt/file_filter.h"
#include "ui/qt/frmMain.h"
#include "ui/qt/qt_open_dialog.h"

using namespace qtview;
using namespace std::string_literals;

TEST(QtSelection, ComposedFromThePathsWithAllFilesMeaningEveryFileOutsideWindows) {
    EXPECT_EQ(composeSelection({}), "");
    EXPECT_EQ(composeSelection({"/d/web/b.htm"}), "/d/web/b.htm");
    EXPECT_EQ(composeSelection({"/d/web/b.htm", "/d/web/a b.htm"}), "/d/web\0b.htm\0a b.htm"s);
    EXPECT_EQ(patternsForPlatform("*.*", PatternRules::windows), "*.*");  // elsewhere: below
}

TEST(QtOpenDialog, SetsTheFileDialogUpAndCountsTheChoiceInUtf16Units) {
    ensureQtApp();
    Script script;
    std::optional<QStringList> chosen;  // what the user confirms; nothing: Cancel
    QStringList seen;                   // title, file mode (3: several existing files), details
                                        // hidden, the selected filter, the filters
    selection::DialogServices qt = services(script);
    qt.createDialog = [&] {
        return std::make_unique<QtOpenDialog>(nullptr, [&](QFileDialog& dialog) {
            seen =
                QStringList{dialog.windowTitle(), QString::number(dialog.fileMode()),
                            QString::number(dialog.testOption(QFileDialog::HideNameFilterDetails)),
                            dialog.selectedNameFilter()} +
                dialog.nameFilters();
            return chosen;
        });
    };
    EXPECT_EQ(GetFiles(qt), "");
    EXPECT_EQ(seen.join('|').toStdString(),
              "Open files...|3|1|All Files (*.*)|All Files (*.*) (*)|Text Files (*.txt) (*.*.txt)|"
              "INI Files (*.ini) (*.ini)|Images (*.bmp;*.jpg;*.gif) (*.bmp *.jpg *.gif)");
    // "/d", NUL, the name, NUL, "b": 32768 UTF-16 units, one more byte in UTF-8.
    chosen = {"/d/" + QString(32762, 'a') + QChar(0xE9), "/d/b"};
    EXPECT_EQ(GetFiles(qt), "");
    (*chosen)[0].remove(3, 1);
    EXPECT_EQ(GetFiles(qt).size(), 32768u);
    EXPECT_EQ(script.messages, std::vector<std::string>{"Open error|The selection is longer than "
                                                        "32767 characters; choose fewer "
                                                        "files.(20476)"});
}

TEST(QtOpenDialog, AWindowWithoutAMessageBoxShowsQtsOwn) {
    ensureQtApp();
    Script script("create");
    selection::DialogServices given = services(script);
    given.showExclamation = nullptr;
    frmMain window(given);
    QStringList shown;  // the modal box's title, text and icon
    QTimer::singleShot(0, &window, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        shown = {box->windowTitle(), box->text(), QString::number(box->icon())};
        box->accept();
    });
    window.logic().cmdAdd_Click();
    EXPECT_EQ(shown, (QStringList{"Open error", "Out of memory(7)",
                                  QString::number(QMessageBox::Warning)}));
}
