// The tool's one window as Qt widgets, built from the form table (ui/form.h) at 15 twips to the
// pixel. Its behaviour is ui::WindowLogic's; this class only shows it.
#pragma once

#include <QWidget>
#include <array>

#include "selection/get_files.h"
#include "ui/controls.h"
#include "ui/window_logic.h"

class QCloseEvent;
class QResizeEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace qtview {

class frmMain : public QWidget, private ui::Controls {
    Q_OBJECT

public:
    // The window with the system's Open dialog and message box.
    explicit frmMain(QWidget* parent = nullptr);
    // The window with the given dialog services (tests script them).
    explicit frmMain(selection::DialogServices services, QWidget* parent = nullptr);
    ~frmMain() override;

    ui::WindowLogic& logic() { return logic_; }

    // From now on SIGTERM, SIGINT, SIGHUP and the end of the desktop session close the window as
    // the user would: a run stops between two lines first. A second signal ends the program at
    // once, leaving no temporary file.
    void closeOnTermination();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    void showDirectory();

    // Controls
    void setReplaceCaption(const std::string& caption) override;
    void setReplaceEnabled(bool enabled) override;
    void setStopEnabled(bool enabled) override;
    void clearList() override;
    void appendEntry(const std::string& entry) override;
    void showSelectedEntry(int index) override;
    void setDirectoryText(const std::string& text) override;
    void setText(ui::TextBox box, const std::string& text) override;
    void setProgress(int min, int max, int value) override;
    void processEvents() override;
    bool inputWaiting() override { return false; }
    void showExclamation(const std::string& title, const std::string& text) override;
    std::unique_ptr<selection::OpenDialog> createOpenDialog() override;
    void closeWindow() override;

    selection::DialogServices services_;
    ui::WindowLogic logic_{*this};
    QString directory_;  // the whole folder; the label may show it shortened

    // The controls the logic works on; the frames need nothing after they are made.
    QPushButton* cmdAdd = nullptr;
    QLabel* lblDirectory = nullptr;
    QListWidget* lstFile = nullptr;
    QProgressBar* ProgresBar = nullptr;
    QPushButton* cmdReplace = nullptr;
    QPushButton* cmdStop = nullptr;
    std::array<QLineEdit*, ui::kTextBoxCount> textBoxes_{};  // by ui::TextBox
};

}  // namespace qtview
