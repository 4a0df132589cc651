// A scripted Open dialog and message box that record each call: no real one opens in tests.
#pragma once

#include <QApplication>
#include <QStringList>

#include "selection/get_files.h"

struct Script {
    Script(QString fail = {}, QString chosen = {}) : failAt(fail), selection(chosen) {}
    QString failAt;     // the step that throws
    QString selection;  // what the user chooses; empty: Cancel
    std::function<void()> onShow;
    QStringList calls;     // "create", "Name=value", "ShowOpen", "FileName", "~" (released)
    QStringList messages;  // "title|text"

    void step(const QString& call) {
        calls << call;
        if (call.section('=', 0, 0) == failAt) throw selection::DialogFailure(7, "Out of memory");
        if (call != "ShowOpen") return;
        if (onShow) onShow();
        if (selection.isEmpty()) throw selection::DialogFailure(selection::kCancelNumber, "");
    }
};

struct ScriptedDialog : selection::OpenDialog {
    explicit ScriptedDialog(Script& script) : s(script) {}
    ~ScriptedDialog() override { s.calls << "~"; }
    void setCancelError(bool on) override { s.step(on ? "CancelError=true" : "CancelError=false"); }
    void setFilter(const QString& filter) override { s.step("Filter=" + filter); }
    void setFilterIndex(int index) override { s.step("FilterIndex=" + QString::number(index)); }
    void setDialogTitle(const QString& title) override { s.step("DialogTitle=" + title); }
    void setMaxFileSize(int size) override { s.step("MaxFileSize=" + QString::number(size)); }
    void setFlags(long flags) override { s.step("Flags=" + QString::number(flags)); }
    void showOpen() override { s.step("ShowOpen"); }
    QString fileName() const override { return s.step("FileName"), s.selection; }
    Script& s;
};

inline selection::DialogServices services(Script& s) {
    return {[&s] { return s.step("create"), std::make_unique<ScriptedDialog>(s); },
            [&s](const QString& title, const QString& text) { s.messages << title + '|' + text; }};
}

inline bool ensureQtApp() {  // one per process, never on a real display
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tests", *argv[] = {name, nullptr};
    return QCoreApplication::instance() != nullptr || new QApplication(argc, argv) != nullptr;
}
