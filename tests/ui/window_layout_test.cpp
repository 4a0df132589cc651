// The window as it opens: its controls, their places and texts, and the focus order.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "tests/ui/qstring_printer.h"
#include "tests/ui/scripted_dialog.h"
#include "ui/frmMain.h"

namespace {

struct ControlRow {
    const char* name;
    const char* parent;  // the frame of a text box, or the window
    QRect geometry;
    QString caption;  // button and frame captions
};

const ControlRow kControls[] = {
    {"cmdAdd", "", {8, 8, 73, 25}, "Add File"},
    {"lblDirectory", "", {8, 40, 585, 17}, {}},
    {"lstFile", "", {8, 64, 585, 147}, {}},
    {"ProgresBar", "", {8, 224, 585, 25}, {}},
    {"frmStart", "", {8, 256, 289, 49}, "Start String with"},
    {"txtStart", "frmStart", {8, 16, 273, 21}, {}},
    {"frmStop", "", {304, 256, 289, 49}, "Stop String with"},
    {"txtStop", "frmStop", {8, 16, 273, 21}, {}},
    {"frmReplace", "", {8, 312, 289, 49}, "Replace this String "},
    {"txtSearch", "frmReplace", {8, 16, 273, 21}, {}},
    {"frmString", "", {304, 312, 289, 49}, "with this String"},
    {"txtReplace", "frmString", {8, 16, 273, 21}, {}},
    {"cmdReplace", "", {64, 368, 177, 33}, "Replace"},
    {"cmdStop", "", {360, 368, 177, 33}, "Stop"},
};

QString captionOf(const QWidget* widget) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    if (const auto* frame = qobject_cast<const QGroupBox*>(widget)) return frame->title();
    return {};
}

class WindowLayout : public testing::Test {
protected:
    ScriptedServices dialogs;
    frmMain window{dialogs.services()};

    template <typename T>
    T* control(const char* name) {
        return window.findChild<T*>(QString::fromLatin1(name));
    }
};

TEST_F(WindowLayout, ControlsHaveTheirNamesPlacesAndCaptions) {
    EXPECT_EQ(window.windowTitle(), "Replace by Marbeck");
    EXPECT_EQ(window.minimumSize(), QSize(601, 410));
    EXPECT_EQ(window.maximumSize(), QSize(601, 410));
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(window.windowIcon().availableSizes().value(0), QSize(77, 65));

    for (const ControlRow& row : kControls) {
        SCOPED_TRACE(row.name);
        const QWidget* widget = control<QWidget>(row.name);
        ASSERT_NE(widget, nullptr);
        const QWidget* parent = *row.parent ? control<QWidget>(row.parent) : &window;
        EXPECT_EQ(widget->parentWidget(), parent);
        EXPECT_EQ(widget->geometry(), row.geometry);
        EXPECT_EQ(captionOf(widget), row.caption);
        EXPECT_FALSE(widget->testAttribute(Qt::WA_SetFont));
        if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
            EXPECT_FALSE(button->autoDefault());
            EXPECT_FALSE(button->isDefault());
        }
    }
    EXPECT_EQ(control<QListWidget>("lstFile")->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_FALSE(control<QListWidget>("lstFile")->isSortingEnabled());
    EXPECT_EQ(control<QProgressBar>("ProgresBar")->orientation(), Qt::Horizontal);
}

TEST_F(WindowLayout, OpensWithDefaultTextsAndOnlyAddFileEnabled) {
    EXPECT_EQ(control<QLabel>("lblDirectory")->text(), "Click Open... and select multiple files");
    EXPECT_EQ(control<QLineEdit>("txtStart")->text(), R"(<a href="https://www.example.com/)");
    EXPECT_EQ(control<QLineEdit>("txtStop")->text(), R"(style="text-decoration: underline">)");
    EXPECT_EQ(control<QLineEdit>("txtSearch")->text(), "underline");
    EXPECT_EQ(control<QLineEdit>("txtReplace")->text(), "underline line-through");
    EXPECT_EQ(control<QListWidget>("lstFile")->count(), 0);
    EXPECT_TRUE(control<QPushButton>("cmdAdd")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("cmdReplace")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("cmdStop")->isEnabled());
    const auto* bar = control<QProgressBar>("ProgresBar");
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(bar->value(), 0);

    // The engine sees the same texts, as bytes.
    const engine::Texts texts = window.currentTexts();
    EXPECT_EQ(texts.startMarker, R"(<a href="https://www.example.com/)");
    EXPECT_EQ(texts.stopMarker, R"(style="text-decoration: underline">)");
    EXPECT_EQ(texts.searchText, "underline");
    EXPECT_EQ(texts.replacementText, "underline line-through");
}

TEST_F(WindowLayout, FocusStartsOnTheListAndTabFollowsTheTabIndexes) {
    // Both run buttons take part in the order once they are enabled.
    window.setReplaceEnabled(true);
    window.setStopEnabled(true);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "lstFile");

    QStringList order;
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(order, QStringList({"cmdAdd", "txtStart", "txtStop", "txtSearch", "txtReplace",
                                  "cmdReplace", "cmdStop", "lstFile"}));
}

TEST_F(WindowLayout, OnlyChosenFilesCountAsChosen) {
    EXPECT_FALSE(window.hasChosenFiles());
    window.appendEntry(selection::kNoFilesSelected);
    EXPECT_FALSE(window.hasChosenFiles());
    window.clearList();
    window.appendEntry("a.htm");
    EXPECT_TRUE(window.hasChosenFiles());
    window.appendEntry("b.htm");
    EXPECT_TRUE(window.hasChosenFiles());
}

}  // namespace
