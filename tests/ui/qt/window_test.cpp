// The Qt window under the scenarios both views share (tests/ui/window_scenarios.h): its widgets
// by class, each inside its frame, at a pixel to 15 twips; mouse clicks and keys; and SIGTERM
// among the ends of a run.
#include <gtest/gtest.h>
#include <signal.h>

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include "tests/ui/qt/qt_app.h"
#include "tests/ui/window_scenarios.h"
#include "ui/qt/frmMain.h"

using namespace ui::form;

struct QtView {
    static constexpr const char* kClasses[] = {"QPushButton",  "QLabel",    "QListWidget",  // by
                                               "QProgressBar", "QGroupBox", "QLineEdit"};   // Kind
    static constexpr bool kFramesAreParents = true;

    explicit QtView(Script& script) : frm(services(script)) { open(); }
    ~QtView() { qunsetenv("SEGMENT_REPLACE_NAMED_OUTPUTS"); }
    void open() {
        frm.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
    }
    QWidget* at(Id id) { return frm.findChild<QWidget*>(kControls.at(id).name.data()); }
    static int px(int twips) { return twips / 15; }
    auto window() {
        EXPECT_EQ(frm.maximumSize(), frm.minimumSize()) << "the window's size is fixed";
        const QSize icon = frm.windowIcon().availableSizes().value(0);
        return std::tuple(frm.windowTitle().toStdString(), frm.minimumWidth(), frm.minimumHeight(),
                          std::pair(icon.width(), icon.height()));
    }
    scenario::Made made(Id id) {
        const QWidget* w = at(id);
        if (w == nullptr) return {};
        const QPoint place = w->mapTo(&frm, QPoint());
        const QWidget* parent = w->parentWidget();
        return std::tuple(w->metaObject()->className(),
                          parent == &frm ? "" : parent->objectName().toStdString(), text(id),
                          place.x(), place.y(), w->width(), w->height());
    }
    std::string text(Id id) {
        const Kind kind = kControls[id].kind;
        if (const auto* label = qobject_cast<QLabel*>(at(id)); kind == Kind::label) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
        }
        const char* property = kind == Kind::frame         ? "title"
                               : kind == Kind::progressBar ? "textVisible"
                                                           : "text";
        return at(id)->property(property).toString().replace("false", "").toStdString();
    }
    void click(Id id) { QTest::mouseClick(at(id), Qt::LeftButton); }
    void enable(Id id) { at(id)->setEnabled(true); }
    void type(Id id, const char* text) { at(id)->setProperty("text", QString::fromUtf8(text)); }
    scenario::State state() {
        const auto* bar = qobject_cast<QProgressBar*>(at(ProgresBar));
        const auto* list = qobject_cast<QListWidget*>(at(lstFile));
        const QList<QListWidgetItem*> selected = list->selectedItems();
        return std::tuple(text(cmdReplace), at(cmdReplace)->isEnabled(), at(cmdStop)->isEnabled(),
                          bar->maximum(), bar->value(), list->count(),
                          selected.isEmpty() ? -1 : list->row(selected.front()));
    }
    std::string entry(int index) {
        return qobject_cast<QListWidget*>(at(lstFile))->item(index)->text().toStdString();
    }
    std::string tooltip(Id id) { return at(id)->toolTip().toStdString(); }
    void focus(Id id) { at(id)->setFocus(); }
    std::string focused() {
        const QWidget* w = QApplication::focusWidget();
        return w != nullptr ? w->objectName().toStdString() : "";
    }
    void tab(bool back) {
        QTest::keyClick(QApplication::focusWidget(), back ? Qt::Key_Backtab : Qt::Key_Tab);
    }
    void later(std::function<void()> task) { QTimer::singleShot(0, &frm, std::move(task)); }
    bool isOpen() { return frm.isVisible(); }
    // A Stop, a close and SIGTERM (as SIGINT, SIGHUP and the end of the desktop session); named
    // outputs, so that a temporary file left would be seen.
    scenario::Ends ends() {
        qputenv("SEGMENT_REPLACE_NAMED_OUTPUTS", "1");
        frm.closeOnTermination();
        return {{"Stop", [this] { click(cmdStop); }},
                {"close", [this] { frm.close(); }},
                {"SIGTERM", [] { raise(SIGTERM), QCoreApplication::processEvents(); }}};
    }

    bool app = ensureQtApp();
    qtview::frmMain frm;
};

using QtWindow = scenario::Window<QtView>;
WINDOW_SCENARIOS(QtWindow)
