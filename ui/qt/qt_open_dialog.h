// The Open dialog on Qt's QFileDialog (the platform's native dialog where Qt has one).
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>

#include "selection/dialog_adapter.h"
#include "selection/get_files.h"

class QFileDialog;
class QWidget;

namespace qtview {

// The selection string of the chosen paths, with native separators.
std::string composeSelection(const QStringList& chosenPaths);

class QtOpenDialog : public selection::DialogAdapter {
public:
    // Runs the configured dialog: the chosen paths, or nothing after a cancel.
    using Runner = std::function<std::optional<QStringList>(QFileDialog&)>;

    explicit QtOpenDialog(QWidget* parent, Runner runner = execRunner());

    // The modal exec() of the dialog.
    static Runner execRunner();

private:
    std::optional<selection::Choice> show(const selection::DialogSettings& settings) override;

    QPointer<QWidget> parent_;
    Runner runner_;
};

// Qt's message box with the exclamation icon and an OK button, owned by `parent`'s window.
void showExclamation(QWidget* parent, const std::string& title, const std::string& text);

// Qt's file dialog and message box, owned by `parent`'s window.
selection::DialogServices qtDialogServices(QWidget* parent);
// `services`, with Qt's message box owned by `parent`'s window where they bring none.
selection::DialogServices withOwnMessageBox(selection::DialogServices services, QWidget* parent);

}  // namespace qtview
