// Runs driven through the window: the buttons, the list, the bar and the texts around the
// engine, and what the window does with clicks that arrive while a run yields.
#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "tests/ui/qstring_printer.h"
#include "tests/ui/scripted_dialog.h"
#include "ui/frmMain.h"

namespace {

const QByteArray kSource =
    "<p>intro</p>\r\n"
    "<a href=\"https://www.example.com/x\" style=\"text-decoration: underline\">x</a>\r\n"
    "<a href=\"https://other.org/\" style=\"text-decoration: underline\">y</a>\r\n";
const QByteArray kRewritten =
    "<p>intro</p>\r\n"
    "<a href=\"https://www.example.com/x\" style=\"text-decoration: underline "
    "line-through\">x</a>\r\n"
    "<a href=\"https://other.org/\" style=\"text-decoration: underline\">y</a>\r\n";

using Selections = std::vector<std::pair<int, bool>>;

// Records every selection the engine makes and lets a test act when a pass begins.
class RecordingWindow : public frmMain {
public:
    using frmMain::frmMain;
    Selections selections;
    std::function<void(int)> onPassStart;
    std::function<void(std::int64_t)> onProgress;

    void selectEntry(int index, bool on) override {
        selections.emplace_back(index, on);
        frmMain::selectEntry(index, on);
        if (on && onPassStart) onPassStart(index);
    }
    void setProgressValue(std::int64_t value) override {
        frmMain::setProgressValue(value);
        if (onProgress) onProgress(value);
    }
};

class WindowRun : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        window.show();
    }

    QString path(const QString& name) const { return folder.filePath(name); }

    void writeSources(const QStringList& names) {
        for (const QString& name : names) {
            QFile file(path(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(kSource);
        }
    }
    QByteArray contents(const QString& name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }
    bool exists(const QString& name) const { return QFile::exists(path(name)); }

    // Add File with the scripted dialog confirming `names` in the temporary folder.
    void choose(const QStringList& names) {
        dialogs.selection =
            names.size() == 1 ? path(names[0]) : multiSelection(folder.path(), names);
        QTest::mouseClick(button("cmdAdd"), Qt::LeftButton);
    }
    // Delivered at the window's next yield.
    void clickLater(const char* name) {
        QTimer::singleShot(0, &window,
                           [this, name] { QTest::mouseClick(button(name), Qt::LeftButton); });
    }
    void replace() { QTest::mouseClick(button("cmdReplace"), Qt::LeftButton); }

    QPushButton* button(const char* name) { return window.findChild<QPushButton*>(name); }
    QListWidget* list() { return window.findChild<QListWidget*>("lstFile"); }

    void expectIdleAfterRun() {
        EXPECT_EQ(button("cmdReplace")->text(), "Replace");
        EXPECT_TRUE(button("cmdReplace")->isEnabled());
        EXPECT_FALSE(button("cmdStop")->isEnabled());
        EXPECT_TRUE(button("cmdAdd")->isEnabled());
        EXPECT_FALSE(window.stopRequested());
        EXPECT_EQ(window.findChild<QProgressBar*>("ProgresBar")->value(), 0);
    }

    QTemporaryDir folder;
    ScriptedServices dialogs;
    RecordingWindow window{dialogs.services()};
};

TEST_F(WindowRun, MultiModeWritesEachOutputBesideItsSourceAndHighlightsEachEntry) {
    const QStringList names{"a.htm", QString::fromUtf8("caf\u00e9.htm"), "index.html"};
    writeSources(names);
    choose(names);
    EXPECT_EQ(window.findChild<QLabel*>("lblDirectory")->text(), folder.path());

    std::vector<bool> busyAtPassStart;
    window.onPassStart = [&](int index) {
        busyAtPassStart.push_back(button("cmdReplace")->text() == "Waiting ..." &&
                                  !button("cmdReplace")->isEnabled() &&
                                  button("cmdStop")->isEnabled() && list()->currentRow() == index &&
                                  list()->item(index)->isSelected());
    };
    replace();

    EXPECT_EQ(contents("a_new.htm"), kRewritten);
    EXPECT_EQ(contents(QString::fromUtf8("caf\u00e9_new.htm")), kRewritten);
    EXPECT_EQ(contents("index_new.html"), kRewritten);
    EXPECT_EQ(window.selections,
              (Selections{{0, true}, {0, false}, {1, true}, {1, false}, {2, true}, {2, false}}));
    EXPECT_EQ(busyAtPassStart, std::vector<bool>(3, true));
    EXPECT_TRUE(list()->selectedItems().isEmpty());
    EXPECT_TRUE(dialogs.messages.empty());
    expectIdleAfterRun();
}

TEST_F(WindowRun, SingleModeUsesTheFullPathAndTheTextsAsEdited) {
    writeSources({"page.htm"});
    choose({"page.htm"});
    EXPECT_EQ(window.findChild<QLabel*>("lblDirectory")->text(), "Single Files selected:");
    window.findChild<QLineEdit*>("txtReplace")->setText("underline overline");

    replace();

    QByteArray expected = kRewritten;
    expected.replace("underline line-through", "underline overline");
    EXPECT_EQ(contents("page_new.htm"), expected);
    EXPECT_EQ(window.selections, (Selections{{0, true}, {0, false}}));
    expectIdleAfterRun();
}

TEST_F(WindowRun, StopClickedInTheMiddleOfTheSecondFileEndsTheRunThere) {
    writeSources({"a.htm", "c.htm"});
    const QByteArray line = kSource.split('\n')[1] + '\n';
    {
        QFile file(path("b.htm"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(line.repeated(100));
    }
    choose({"a.htm", "b.htm", "c.htm"});
    int pass = -1;
    bool clicked = false;
    window.onPassStart = [&](int index) { pass = index; };
    window.onProgress = [&](std::int64_t done) {
        if (pass != 1 || done == 0) return;
        // A slow line: the pass outlasts several frames, so the click is handled mid-file.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (!clicked && done >= 10 * line.size()) {
            clicked = true;
            clickLater("cmdStop");
        }
    };

    replace();

    EXPECT_EQ(contents("a_new.htm"), kRewritten);
    const auto written = contents("b_new.htm").count("\r\n");
    EXPECT_GE(written, 10);
    EXPECT_LT(written, 100);
    EXPECT_FALSE(exists("c_new.htm"));
    EXPECT_EQ(window.selections, (Selections{{0, true}, {0, false}, {1, true}}));
    EXPECT_TRUE(list()->item(1)->isSelected());
    expectIdleAfterRun();
}

TEST_F(WindowRun, ClosingDuringARunStopsItFirstAndThenCloses) {
    writeSources({"a.htm", "b.htm"});
    choose({"a.htm", "b.htm"});
    bool openAfterCloseRequest = false;
    window.onPassStart = [&](int index) {
        if (index != 0) return;
        QTimer::singleShot(0, &window, [&] {
            window.close();
            openAfterCloseRequest = window.isVisible();
        });
    };

    replace();

    EXPECT_TRUE(openAfterCloseRequest);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(exists("b_new.htm"));
    EXPECT_FALSE(button("cmdStop")->isEnabled());
}

TEST_F(WindowRun, AddFileDuringARunStopsItAndChoosesOnceItHasEnded) {
    writeSources({"a.htm", "b.htm", "d.htm", "e.htm"});
    choose({"a.htm", "b.htm"});
    dialogs.selection = multiSelection(folder.path(), {"d.htm", "e.htm"});
    bool runEndedBeforeDialog = false;
    dialogs.onShow = [&] { runEndedBeforeDialog = !button("cmdStop")->isEnabled(); };
    window.onPassStart = [&](int index) {
        if (index == 0) clickLater("cmdAdd");
    };

    replace();

    EXPECT_EQ(dialogs.dialogsShown, 2);
    EXPECT_TRUE(runEndedBeforeDialog);
    EXPECT_FALSE(exists("b_new.htm"));
    ASSERT_EQ(list()->count(), 2);
    EXPECT_EQ(list()->item(0)->text(), "d.htm");
    EXPECT_EQ(list()->item(1)->text(), "e.htm");
    expectIdleAfterRun();
}

TEST_F(WindowRun, FailuresAreShownOnceWhenTheRunEndsListingTheFirstTwenty) {
    writeSources({"a.htm"});
    QStringList names{"a.htm"};
    for (int i = 1; i <= 22; ++i) names << QStringLiteral("missing%1.htm").arg(i);
    choose(names);

    replace();

    EXPECT_EQ(contents("a_new.htm"), kRewritten);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "Replace error");
    const QString& text = dialogs.messages[0].text;
    for (int i = 1; i <= 22; ++i) {
        EXPECT_EQ(text.contains(path(QStringLiteral("missing%1.htm: ").arg(i))), i <= 20) << i;
    }
    EXPECT_TRUE(text.endsWith("2 more files failed.")) << text.toStdString();
    expectIdleAfterRun();
}

}  // namespace
