// An OpenDialog that follows a script and records every call, and services around it.
#pragma once

#include <QApplication>
#include <QStringList>
#include <functional>

#include "selection/get_files.h"

namespace selection::testing {

struct Script {
    QStringList calls;  // "create", "Name=value", "ShowOpen", "FileName", "~" (released)
    QString failAt;     // the step that throws
    DialogFailure failure{20476, QStringLiteral("The buffer is too small.")};
    QString selection;     // what ShowOpen leaves in FileName
    QStringList messages;  // "title|text"
};

class ScriptedDialog : public OpenDialog {
public:
    explicit ScriptedDialog(Script& script) : s_(script) {}
    ~ScriptedDialog() override { s_.calls.append("~"); }
    void setCancelError(bool on) override { step("CancelError=" + QString(on ? "true" : "false")); }
    void setFilter(const QString& filter) override { step("Filter=" + filter); }
    void setFilterIndex(int index) override { step("FilterIndex=" + QString::number(index)); }
    void setDialogTitle(const QString& title) override { step("DialogTitle=" + title); }
    void setMaxFileSize(int size) override { step("MaxFileSize=" + QString::number(size)); }
    void setFlags(long flags) override { step("Flags=" + QString::number(flags)); }
    void showOpen() override {
        step("ShowOpen");
        fileName_ = s_.selection;
    }
    QString fileName() const override {
        const_cast<ScriptedDialog*>(this)->step("FileName");
        return fileName_;
    }

private:
    void step(const QString& call) {
        s_.calls.append(call);
        if (call.section('=', 0, 0) == s_.failAt) throw s_.failure;
    }
    Script& s_;
    QString fileName_;
};

inline void recordMessages(DialogServices& services, QStringList& messages) {
    services.showExclamation = [&messages](const QString& title, const QString& text) {
        messages.append(title + '|' + text);
    };
}

inline DialogServices scriptedServices(Script& script) {
    DialogServices services;
    services.createDialog = [&script]() -> std::unique_ptr<OpenDialog> {
        script.calls.append("create");
        if (script.failAt == "create") throw script.failure;
        return std::make_unique<ScriptedDialog>(script);
    };
    recordMessages(services, script.messages);
    return services;
}

// Qt widgets for tests are built on the offscreen platform and never shown.
inline void ensureQtApp() {
    static int argc = 1;
    static char name[] = "selection_tests";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) new QApplication(argc, argv);
}

}  // namespace selection::testing
