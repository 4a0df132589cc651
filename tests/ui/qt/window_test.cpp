// The Qt window against the form table, and its wiring: clicks, typed texts and runs reach the
// logic, what the logic sets reaches the widgets, and a Stop, a close or SIGTERM reaches a run
// while it yields.
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

using namespace ui::form;

// UTF-8 by its "é", so that a text typed past ASCII is written in UTF-8 too.
const QByteArray kSource = "[x] caf\xc3\xa9\r\n";

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

struct Window : testing::Test {
    void SetUp() override { window.show(); }
    QWidget* at(Id id) { return window.findChild<QWidget*>(qt(kControls.at(id).name)); }
    void click(Id id) { QTest::mouseClick(at(id), Qt::LeftButton); }
    void choose(const QStringList& names, qsizetype written) {  // the first `written` exist
        for (const QString& name : names.first(written)) {
            QFile file(QDir(folder).filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(kSource + kSource) > 0);
        }
        script.selection = (QStringList{folder} + names).join(QChar(0)).toStdString();
        click(cmdAdd);
    }
    void replace(std::function<void()> during = {}) {  // at the first yield, as a click would
        if (during) QTimer::singleShot(0, &window, during);
        click(cmdReplace);
    }
    // Replace's caption and state, Stop's, the bar's top and value, the entries, the selected.
    auto state() {
        const auto* bar = qobject_cast<QProgressBar*>(at(ProgresBar));
        const auto* list = qobject_cast<QListWidget*>(at(lstFile));
        return std::tuple(at(cmdReplace)->property("text").toString(), at(cmdReplace)->isEnabled(),
                          at(cmdStop)->isEnabled(), bar->maximum(), bar->value(), list->count(),
                          list->selectedItems().size());
    }
    QByteArray output(const char* name) {
        QFile file(QDir(folder).filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : "(none)";
    }

    bool app = ensureQtApp();
    QTemporaryDir temporary;
    QString folder = temporary.path();
    Script script;
    qtview::frmMain window{services(script)};
};

TEST_F(Window, OpensAsTheFormSaysWithTheFocusInTabOrder) {
    const auto px = [](int twips) { return twips / 15; };
    const QSize size(px(kClientWidth), px(kClientHeight));
    EXPECT_EQ(std::tuple(window.windowTitle(), window.minimumSize(), window.maximumSize()),
              std::tuple(qt(kCaption), size, size));
    EXPECT_EQ(window.windowIcon().availableSizes().value(0), QSize(77, 65));
    const char* const widgets[] = {"QPushButton",  "QLabel",    "QListWidget",  // by Kind
                                   "QProgressBar", "QGroupBox", "QLineEdit"};
    for (const Control& c : kControls) {
        const QWidget* w = at(c.id);
        ASSERT_NE(w, nullptr) << c.name;
        std::string_view shown = c.id == lblDirectory ? ui::kInitialDirectory : c.caption;
        if (const auto box = std::ranges::find(kTextBoxControls, c.id);
            box != kTextBoxControls.end())
            shown = ui::kInitialTexts[box - kTextBoxControls.begin()];
        const char* property = c.kind == Kind::frame         ? "title"
                               : c.kind == Kind::progressBar ? "textVisible"
                                                             : "text";
        const Twips& t = c.place;
        EXPECT_EQ(std::tuple(QString(w->metaObject()->className()), w->parentWidget(),
                             w->geometry(), w->property(property).toString().replace("false", "")),
                  std::tuple(widgets[static_cast<int>(c.kind)],
                             c.frame == kClientArea ? &window : at(c.frame),
                             QRect(px(t.left), px(t.top), px(t.width), px(t.height)), qt(shown)))
            << c.name;
    }
    EXPECT_EQ(state(), std::tuple("Replace", false, false, kProgressMax, 0, 0, 0));

    at(cmdReplace)->setEnabled(true);  // so that the run buttons take part in the tab order
    at(cmdStop)->setEnabled(true);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QStringList order, seen;
    for (const Id id : kTabOrder)
        if (takesFocus(kControls[id].kind)) order << qt(kControls[id].name);
    order << order.front();
    for (int i = 0; i < order.size();
         ++i, QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab))
        seen << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "");
    EXPECT_EQ(seen, order);
}

TEST_F(Window, AddFileTypedTextsAndARunReachTheLogicAndWhatItSetsTheWidgets) {
    // A folder too long for the label: shortened in the middle, and whole in its tooltip.
    folder += QString("/segment").repeated(20);
    ASSERT_TRUE(QDir().mkpath(folder));
    choose({"a.htm", "b.htm", "gone.htm"}, 2);
    const auto* label = qobject_cast<QLabel*>(at(lblDirectory));
    EXPECT_TRUE(label->text().startsWith(temporary.path()) && label->text().endsWith("/segment"));
    EXPECT_TRUE(label->text().contains(QChar(0x2026)));
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
    EXPECT_EQ(std::tuple(label->toolTip(), state()),
              std::tuple(folder, std::tuple("Replace", true, false, kProgressMax, 0, 3, 0)));

    // Each text typed (the replacement past ASCII) takes part: a box left out leaves "[x]".
    const char* typed[] = {"[", "]", "X", "\xc3\xbc"};
    for (int box = 0; box < ui::kTextBoxCount; ++box)
        at(kTextBoxControls[box])->setProperty("text", QString::fromUtf8(typed[box]));
    auto busy = state();
    replace([&] { busy = state(); });
    const int top = 2 * static_cast<int>(kSource.size()) + 2;
    EXPECT_EQ(busy, std::tuple("Waiting ...", false, true, top, 0, 3, 1));
    EXPECT_EQ(state(), std::tuple("Replace", true, false, top, 0, 3, 0));
    const QByteArray rewritten = QByteArray(kSource).replace("[x]", "[\xc3\xbc]");
    EXPECT_EQ(output("b_new.htm"), rewritten + rewritten);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_TRUE(script.messages[0].starts_with("Replace error|")) << script.messages[0];

    script.selection.clear();  // Cancel: the list holds only the placeholder
    click(cmdAdd);
    EXPECT_EQ(qobject_cast<QListWidget*>(at(lstFile))->item(0)->text(), "(No files selected)");
    EXPECT_EQ(std::get<5>(state()), 1);
}

// A Stop, a close and SIGTERM (as SIGINT, SIGHUP and the end of the desktop session) each end a
// run at its next yield; named outputs, so that a temporary file left would be seen.
TEST_F(Window, StopACloseAndSigtermEachEndARunBeforeTheSecondFile) {
    qputenv("SEGMENT_REPLACE_NAMED_OUTPUTS", "1");
    window.closeOnTermination();
    choose({"a.htm", "b.htm"}, 2);
    const std::pair<QString, std::function<void()>> ends[] = {
        {"Stop", [&] { click(cmdStop); }},
        {"close", [&] { window.close(); }},
        {"SIGTERM", [&] { raise(SIGTERM), QCoreApplication::processEvents(); }}};
    for (const auto& [name, end] : ends) {
        window.show();
        bool visibleAtOnce = false;
        replace([&] { end(), visibleAtOnce = window.isVisible(); });
        EXPECT_EQ(std::tuple(visibleAtOnce, window.isVisible(), output("a_new.htm"),
                             QDir(folder).entryList(QDir::Files | QDir::Hidden)),
                  std::tuple(true, name == "Stop", "", QStringList{"a.htm", "a_new.htm", "b.htm"}))
            << name.toStdString();
    }
    qunsetenv("SEGMENT_REPLACE_NAMED_OUTPUTS");
}
