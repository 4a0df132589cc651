// The window as it opens, and runs through it with clicks that arrive while a run yields.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "tests/selection/scripted_dialog.h"
#include "tests/ui/qt/qt_app.h"
#include "ui/qt/frmMain.h"

const QByteArray kSource =
    "<a href=\"https://www.example.com/\" style=\"text-decoration: underline\">\r\n";

const std::tuple<const char*, const char*, QRect, QString> kControls[] = {
    {"cmdAdd", "", {8, 8, 73, 25}, "Add File"},  // name, parent ("" for the window), place, text
    {"lblDirectory", "", {8, 40, 585, 17}, "Click Open... and select multiple files"},
    {"lstFile", "", {8, 64, 585, 147}, ""},
    {"ProgresBar", "", {8, 224, 585, 25}, ""},
    {"frmStart", "", {8, 256, 289, 49}, "Start String with"},
    {"txtStart", "frmStart", {8, 16, 273, 21}, R"(<a href="https://www.example.com/)"},
    {"frmStop", "", {304, 256, 289, 49}, "Stop String with"},
    {"txtStop", "frmStop", {8, 16, 273, 21}, R"(style="text-decoration: underline">)"},
    {"frmReplace", "", {8, 312, 289, 49}, "Replace this String "},
    {"txtSearch", "frmReplace", {8, 16, 273, 21}, "underline"},
    {"frmString", "", {304, 312, 289, 49}, "with this String"},
    {"txtReplace", "frmString", {8, 16, 273, 21}, "underline line-through"},
    {"cmdReplace", "", {64, 368, 177, 33}, "Replace"},
    {"cmdStop", "", {360, 368, 177, 33}, "Stop"}};

struct Window : testing::Test {
    void SetUp() override { window.show(); }
    QWidget* find(const char* name) { return window.findChild<QWidget*>(name); }
    void choose(const QStringList& names, qsizetype written) {  // the first `written` exist
        for (const QString& name : names.first(written)) {
            QFile file(folder.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(kSource) > 0);
        }
        script.selection = (QStringList{folder.path()} + names).join(QChar(0)).toStdString();
        QTest::mouseClick(find("cmdAdd"), Qt::LeftButton);
    }
    void replace(std::function<void()> during = {}) {  // at the first yield, as a click would
        if (during) QTimer::singleShot(0, &window, during);
        QTest::mouseClick(find("cmdReplace"), Qt::LeftButton);
    }
    auto state() {  // Replace's caption and state, Stop's, the bar's value, the entries selected
        return std::tuple(find("cmdReplace")->property("text").toString(),
                          find("cmdReplace")->isEnabled(), find("cmdStop")->isEnabled(),
                          find("ProgresBar")->property("value").toInt(),
                          window.findChild<QListWidget*>("lstFile")->selectedItems().size());
    }

    bool qt = ensureQtApp();
    QTemporaryDir folder;
    Script script;
    qtview::frmMain window{services(script)};
};

TEST_F(Window, OpensWithItsControlsInPlaceOnlyAddFileEnabledAndTheFocusInOrder) {
    EXPECT_EQ(std::tuple(window.windowTitle(), window.minimumSize(), window.maximumSize()),
              std::tuple("Replace by Marbeck", QSize(601, 410), QSize(601, 410)));
    EXPECT_EQ(window.windowIcon().availableSizes().value(0), QSize(77, 65));
    for (const auto& [name, parent, place, text] : kControls) {
        const QWidget* w = find(name);
        ASSERT_NE(w, nullptr) << name;
        const char* property = w->inherits("QGroupBox")      ? "title"
                               : w->inherits("QProgressBar") ? "textVisible"
                                                             : "text";
        EXPECT_EQ(std::tuple(w->parentWidget()->objectName(), w->geometry(),
                             w->property(property).toString().replace("false", "")),
                  std::tuple(QString(parent), place, text))
            << name;
    }
    EXPECT_EQ(state(), std::tuple("Replace", false, false, 0, 0));
    window.logic().appendEntry(std::string(selection::kNoFilesSelected));
    EXPECT_FALSE(window.logic().hasChosenFiles());

    window.logic().setReplaceEnabled(true);  // so that the run buttons take part in the tab order
    window.logic().setStopEnabled(true);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QStringList order;
    for (int i = 0; i < 9; ++i, QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab))
        order << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "");
    EXPECT_EQ(order, (QStringList{"lstFile", "cmdAdd", "txtStart", "txtStop", "txtSearch",
                                  "txtReplace", "cmdReplace", "cmdStop", "lstFile"}));
}

TEST_F(Window, ARunWritesEachOutputBesideItsSourceAndShowsFailuresOnceAtTheEnd) {
    QStringList names{"a.htm", "b.htm"};
    for (int i = 1; i <= 22; ++i) names << QString("gone%1.htm").arg(i);
    choose(names, 2);
    auto busy = state();
    replace([&] { busy = state(); });
    EXPECT_EQ(busy, std::tuple("Waiting ...", false, true, 0, 1));
    EXPECT_EQ(state(), std::tuple("Replace", true, false, 0, 0));
    const QByteArray rewritten = QByteArray(kSource).replace("underline", "underline line-through");
    for (const char* output : {"a_new.htm", "b_new.htm"}) {
        QFile file(folder.filePath(output));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly) && file.readAll() == rewritten) << output;
    }
    ASSERT_EQ(script.messages.size(), 1u);
    const QString message = QString::fromStdString(script.messages[0]);
    EXPECT_TRUE(message.startsWith("Replace error|"));
    EXPECT_TRUE(message.contains(folder.filePath("gone1.htm: ")));
    EXPECT_TRUE(message.endsWith("\n2 more files failed."));
}

TEST_F(Window, StopAddFileAndClosingEachEndARunAtItsNextYieldBeforeTheSecondFile) {
    choose({"a.htm", "b.htm", "c.htm"}, 3);
    replace([&] { QTest::mouseClick(find("cmdStop"), Qt::LeftButton); });
    script.selection = (QStringList{folder.path(), "c.htm", "b.htm"}).join(QChar(0)).toStdString();
    script.onShow = [&] { EXPECT_FALSE(find("cmdStop")->isEnabled()) << "the run goes on"; };
    replace([&] { QTest::mouseClick(find("cmdAdd"), Qt::LeftButton); });
    EXPECT_EQ(window.logic().entryText(0), "c.htm");
    bool closedAtOnce = true;
    replace([&] { window.close(), closedAtOnce = !window.isVisible(); });
    EXPECT_FALSE(closedAtOnce);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(QFile::exists(folder.filePath("b_new.htm")));
}

// SIGTERM (as SIGINT and SIGHUP, and the end of the desktop session) closes the window as the
// user would, the run stopping first; named outputs, so that a temporary file left would be seen.
TEST_F(Window, SigtermStopsTheRunLeavesNoTemporaryFileAndClosesTheWindow) {
    qputenv("SEGMENT_REPLACE_NAMED_OUTPUTS", "1");
    window.closeOnTermination();
    choose({"a.htm", "b.htm"}, 2);
    replace([&] { raise(SIGTERM), QCoreApplication::processEvents(); });
    qunsetenv("SEGMENT_REPLACE_NAMED_OUTPUTS");
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"a.htm", "a_new.htm", "b.htm"}));
}

TEST_F(Window, ALongFolderIsShortenedInTheMiddleAndWholeInItsTooltipAndForTheRun) {
    const QString longFolder = "/" + QString("segment/").repeated(40) + "end";
    script.selection = (QStringList{longFolder, "a.htm", "b.htm"}).join(QChar(0)).toStdString();
    QTest::mouseClick(find("cmdAdd"), Qt::LeftButton);
    const auto* label = window.findChild<QLabel*>("lblDirectory");
    EXPECT_TRUE(label->text().startsWith("/segment/") && label->text().endsWith("/end"));
    EXPECT_TRUE(label->text().contains(QChar(0x2026)));
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
    EXPECT_EQ(std::tuple(label->toolTip(), window.logic().directoryText()),
              std::tuple(longFolder, std::filesystem::path(longFolder.toStdString())));
}
