// The tool's one window: the file list, the four texts, the progress bar and the three buttons.
// It hands its clicks to the file selection and the replace run, and it is the host that both
// of them work through.
#pragma once

#include <QString>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "selection/add_file.h"
#include "selection/get_files.h"
#include "ui/failure_report.h"

class QCloseEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

class frmMain : public QWidget, public engine::RunHost, public selection::AddFileHost {
    Q_OBJECT

public:
    // The window with the system's Open dialog and message box.
    explicit frmMain(QWidget* parent = nullptr);
    // The window with the given dialog services; failures of a run are shown through their
    // message box as well.
    explicit frmMain(selection::DialogServices services, QWidget* parent = nullptr);
    ~frmMain() override;

    // What the pass needs.
    void selectEntry(int index, bool on) override;
    void setProgressValue(std::int64_t value) override;
    void setProgressMin(std::int64_t value) override;
    void setProgressMax(std::int64_t value) override;
    void yield() override;
    bool stopRequested() const override;
    engine::Texts currentTexts() const override;
    void reportFailure(const std::filesystem::path& file, const std::string& reason) override;

    // What the run needs.
    void setReplaceCaption(std::string_view caption) override;
    // Serves the run and the Add File click alike.
    void setReplaceEnabled(bool enabled) override;
    void setStopEnabled(bool enabled) override;
    void setStopFlag(bool stop) override;
    bool hasChosenFiles() const override;
    int entryCount() const override;
    std::filesystem::path entryText(int index) const override;
    std::filesystem::path directoryText() const override;

    // What the Add File click needs.
    void clearList() override;
    void appendEntry(const QString& entry) override;
    void setDirectoryText(const QString& text) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void setInitialState();
    void cmdAdd_Click();
    void cmdReplace_Click();
    void cmdStop_Click();
    // Hands the kept progress values to the bar when they differ from what it shows.
    void paintProgress();

    selection::DialogServices services_;

    QPushButton* cmdAdd = nullptr;
    QLabel* lblDirectory = nullptr;
    QListWidget* lstFile = nullptr;
    QProgressBar* ProgresBar = nullptr;
    QGroupBox* frmStart = nullptr;
    QLineEdit* txtStart = nullptr;
    QGroupBox* frmStop = nullptr;
    QLineEdit* txtStop = nullptr;
    QGroupBox* frmReplace = nullptr;
    QLineEdit* txtSearch = nullptr;
    QGroupBox* frmString = nullptr;
    QLineEdit* txtReplace = nullptr;
    QPushButton* cmdReplace = nullptr;
    QPushButton* cmdStop = nullptr;

    bool bStop = false;

    // The four texts in the 8-bit form the engine reads, refreshed whenever a box changes.
    std::string startBytes_;
    std::string stopBytes_;
    std::string searchBytes_;
    std::string replaceBytes_;

    // The progress as the engine set it; the bar is only repainted about once per frame.
    std::int64_t progressMin_ = 0;
    std::int64_t progressMax_ = 100;
    std::int64_t progressValue_ = 0;

    using Clock = std::chrono::steady_clock;
    Clock::time_point lastEvents_{};
    bool eventsDue_ = true;
    // Yields left, and the progress at the last look, before the clock is read again.
    int yieldsToClock_ = 0;
    std::int64_t progressAtClock_ = 0;

    bool running_ = false;
    bool closeAfterRun_ = false;
    bool addAfterRun_ = false;
    std::vector<Failure> failures_;
};
