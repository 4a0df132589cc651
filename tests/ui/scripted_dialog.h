// Dialog services for tests: an Open dialog that returns a set selection string, and a message
// box that records what it was asked to show.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "selection/get_files.h"

struct ShownMessage {
    QString title;
    QString text;
};

// What the next Open dialogs return (empty: cancelled), and every message box shown.
struct ScriptedServices {
    QString selection;
    std::function<void()> onShow;
    int dialogsShown = 0;
    std::vector<ShownMessage> messages;

    selection::DialogServices services();
};

class ScriptedDialog : public selection::OpenDialog {
public:
    explicit ScriptedDialog(const ScriptedServices& script) : script_(script) {}
    void setCancelError(bool) override {}
    void setFilter(const QString&) override {}
    void setFilterIndex(int) override {}
    void setDialogTitle(const QString&) override {}
    void setMaxFileSize(int) override {}
    void setFlags(long) override {}
    void showOpen() override {
        if (script_.onShow) script_.onShow();
        if (script_.selection.isEmpty()) {
            throw selection::DialogFailure(selection::kCancelNumber, "Cancel");
        }
    }
    QString fileName() const override { return script_.selection; }

private:
    const ScriptedServices& script_;
};

inline selection::DialogServices ScriptedServices::services() {
    return {[this] {
                ++dialogsShown;
                return std::make_unique<ScriptedDialog>(*this);
            },
            [this](const QString& title, const QString& text) {
                messages.push_back({title, text});
            }};
}

// The selection string of several files in one folder.
inline QString multiSelection(const QString& folder, const QStringList& names) {
    return folder + QChar(0) + names.join(QChar(0));
}
