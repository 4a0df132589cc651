// The Open dialog on Qt's QFileDialog (the platform's native dialog where Qt has one).
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>

#include "selection/dialog_settings.h"
#include "selection/get_files.h"
#include "selection/open_dialog.h"

class QFileDialog;
class QWidget;

namespace qtview {

struct OpenSettings {
    bool cancelError = false;
    QString filter;
    int filterIndex = 1;
    QString dialogTitle;
    int maxFileSize = selection::kMaxFileSize;
    long flags = 0;
};

// Sets up `dialog` for `settings`: title, filter pairs with the FilterIndex-th selected, and the
// file mode the Flags ask for.
void configureFileDialog(QFileDialog& dialog, const OpenSettings& settings);

// The folder that holds every chosen path (for one path, its own folder).
QString selectionFolder(const QStringList& chosenPaths);
// The selection string of the chosen paths, with native separators.
std::string composeSelection(const QStringList& chosenPaths);
// Completes a confirmed choice: composes its selection string, fails when it is longer than
// `maxFileSize` characters, and otherwise moves the current directory to the chosen folder.
std::string acceptSelection(const QStringList& chosenPaths, int maxFileSize);

class QtOpenDialog : public selection::OpenDialog {
public:
    // Runs the configured dialog: the chosen paths, or nothing after a cancel.
    using Runner = std::function<std::optional<QStringList>(QFileDialog&)>;

    explicit QtOpenDialog(QWidget* parent, Runner runner = execRunner());

    void setCancelError(bool on) override { settings_.cancelError = on; }
    void setFilter(const std::string& filter) override;
    void setFilterIndex(int index) override { settings_.filterIndex = index; }
    void setDialogTitle(const std::string& title) override;
    void setMaxFileSize(int size) override;
    void setFlags(long flags) override { settings_.flags = flags; }
    void showOpen() override;
    std::string fileName() const override { return fileName_; }

    const OpenSettings& settings() const { return settings_; }

    // The modal exec() of the dialog.
    static Runner execRunner();

private:
    QPointer<QWidget> parent_;
    Runner runner_;
    OpenSettings settings_;
    std::string fileName_;
};

// Qt's file dialog and message box, owned by `parent`'s window.
selection::DialogServices qtDialogServices(QWidget* parent);

}  // namespace qtview
