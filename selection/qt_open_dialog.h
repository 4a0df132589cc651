// The Open dialog on Qt's QFileDialog (the platform's native dialog where Qt has one).
#pragma once

#include <QPointer>
#include <QStringList>
#include <functional>
#include <optional>

#include "dialog_settings.h"
#include "open_dialog.h"

class QFileDialog;
class QWidget;

namespace selection {

struct OpenSettings {
    bool cancelError = false;
    QString filter;
    int filterIndex = 1;
    QString dialogTitle;
    int maxFileSize = kMaxFileSize;
    long flags = 0;
};

// Sets up `dialog` for `settings`: title, filter pairs with the FilterIndex-th selected, and the
// file mode the Flags ask for.
void configureFileDialog(QFileDialog& dialog, const OpenSettings& settings);

class QtOpenDialog : public OpenDialog {
public:
    // Runs the configured dialog: the chosen paths, or nothing after a cancel.
    using Runner = std::function<std::optional<QStringList>(QFileDialog&)>;

    explicit QtOpenDialog(QWidget* parent, Runner runner = execRunner());

    void setCancelError(bool on) override { settings_.cancelError = on; }
    void setFilter(const QString& filter) override { settings_.filter = filter; }
    void setFilterIndex(int index) override { settings_.filterIndex = index; }
    void setDialogTitle(const QString& title) override { settings_.dialogTitle = title; }
    void setMaxFileSize(int size) override;
    void setFlags(long flags) override { settings_.flags = flags; }
    void showOpen() override;
    QString fileName() const override { return fileName_; }

    const OpenSettings& settings() const { return settings_; }

    // The modal exec() of the dialog.
    static Runner execRunner();

private:
    QPointer<QWidget> parent_;
    Runner runner_;
    OpenSettings settings_;
    QString fileName_;
};

}  // namespace selection
