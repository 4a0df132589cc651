// Dialog services for tests: an Open dialog that returns a set selection string, and a message
// box that records what it was asked to show.
#pragma once

#include <QDir>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "selection/get_files.h"

struct ShownMessage {
    QString title;
    QString text;
};

class ScriptedDialog : public selection::OpenDialog {
public:
    ScriptedDialog(QString selection, QString folder, std::function<void()> onShow)
        : selection_(std::move(selection)),
          folder_(std::move(folder)),
          onShow_(std::move(onShow)) {}
    void setCancelError(bool) override {}
    void setFilter(const QString&) override {}
    void setFilterIndex(int) override {}
    void setDialogTitle(const QString&) override {}
    void setMaxFileSize(int) override {}
    void setFlags(long) override {}
    void showOpen() override {
        if (onShow_) onShow_();
        if (selection_.isEmpty())
            throw selection::DialogFailure(selection::kCancelNumber, "Cancel");
        // Like the system's dialog, a confirmed choice moves the working directory.
        if (!folder_.isEmpty()) QDir::setCurrent(folder_);
    }
    QString fileName() const override { return selection_; }

private:
    QString selection_;
    QString folder_;
    std::function<void()> onShow_;
};

// What the next Open dialogs return, and every message box shown.
struct ScriptedServices {
    QString selection;
    QString folder;
    std::function<void()> onShow;
    int dialogsShown = 0;
    std::vector<ShownMessage> messages;

    selection::DialogServices services() {
        return {[this] {
                    ++dialogsShown;
                    return std::make_unique<ScriptedDialog>(selection, folder, onShow);
                },
                [this](const QString& title, const QString& text) {
                    messages.push_back({title, text});
                }};
    }
};

// The selection string of several files in one folder.
inline QString multiSelection(const QString& folder, const QStringList& names) {
    return folder + QChar(0) + names.join(QChar(0));
}
