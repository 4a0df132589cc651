#include "ui/frmMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <exception>

#include "ui/path_text.h"
#include "ui/progress_scale.h"

namespace {

// Events are handled, and the bar repainted, at most this often during a run.
constexpr auto kFrame = std::chrono::milliseconds(15);
// Reading the clock costs about as much as rewriting a short line, so it is read only after this
// many lines or this many bytes, whichever comes first: either takes far less than a frame.
constexpr int kYieldsPerClockRead = 64;
constexpr std::int64_t kBytesPerClockRead = 64 * 1024;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QGroupBox* makeFrame(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setGeometry(geometry);
    return frame;
}

QLineEdit* makeTextBox(QGroupBox* frame, const char* name, std::string& bytes) {
    auto* box = new QLineEdit(frame);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(8, 16, 273, 21);
    // The engine reads the texts for every line; converting them only when they change keeps
    // that read free.
    QObject::connect(box, &QLineEdit::textChanged, frame,
                     [&bytes](const QString& text) { bytes = text.toUtf8().toStdString(); });
    return box;
}

}  // namespace

frmMain::frmMain(QWidget* parent) : frmMain(selection::DialogServices{}, parent) {
    services_ = selection::qtDialogServices(this);
}

frmMain::frmMain(selection::DialogServices services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)) {
    createControls();
    setInitialState();
}

frmMain::~frmMain() = default;

void frmMain::createControls() {
    setWindowTitle(QStringLiteral("Replace by Marbeck"));
    setWindowIcon(QIcon(QStringLiteral(":/segment-replace.bmp")));
    setFixedSize(601, 410);

    cmdAdd = makeButton(this, "cmdAdd", QStringLiteral("Add File"), {8, 8, 73, 25});

    lblDirectory = new QLabel(this);
    lblDirectory->setObjectName(QStringLiteral("lblDirectory"));
    lblDirectory->setGeometry(8, 40, 585, 17);
    // Folder names are shown as they are, never as markup.
    lblDirectory->setTextFormat(Qt::PlainText);

    lstFile = new QListWidget(this);
    lstFile->setObjectName(QStringLiteral("lstFile"));
    lstFile->setGeometry(8, 64, 585, 147);
    lstFile->setSelectionMode(QAbstractItemView::SingleSelection);
    lstFile->setSortingEnabled(false);

    ProgresBar = new QProgressBar(this);
    ProgresBar->setObjectName(QStringLiteral("ProgresBar"));
    ProgresBar->setGeometry(8, 224, 585, 25);
    ProgresBar->setOrientation(Qt::Horizontal);
    ProgresBar->setRange(0, 100);
    ProgresBar->setValue(0);

    frmStart = makeFrame(this, "frmStart", QStringLiteral("Start String with"), {8, 256, 289, 49});
    txtStart = makeTextBox(frmStart, "txtStart", startBytes_);
    frmStop = makeFrame(this, "frmStop", QStringLiteral("Stop String with"), {304, 256, 289, 49});
    txtStop = makeTextBox(frmStop, "txtStop", stopBytes_);
    frmReplace =
        makeFrame(this, "frmReplace", QStringLiteral("Replace this String "), {8, 312, 289, 49});
    txtSearch = makeTextBox(frmReplace, "txtSearch", searchBytes_);
    frmString =
        makeFrame(this, "frmString", QStringLiteral("with this String"), {304, 312, 289, 49});
    txtReplace = makeTextBox(frmString, "txtReplace", replaceBytes_);

    cmdReplace = makeButton(this, "cmdReplace", QStringLiteral("Replace"), {64, 368, 177, 33});
    cmdStop = makeButton(this, "cmdStop", QStringLiteral("Stop"), {360, 368, 177, 33});

    // Labels, frames and the bar take no focus; the rest follow the tab indexes.
    QWidget::setTabOrder(lstFile, cmdAdd);
    QWidget::setTabOrder(cmdAdd, txtStart);
    QWidget::setTabOrder(txtStart, txtStop);
    QWidget::setTabOrder(txtStop, txtSearch);
    QWidget::setTabOrder(txtSearch, txtReplace);
    QWidget::setTabOrder(txtReplace, cmdReplace);
    QWidget::setTabOrder(cmdReplace, cmdStop);
    lstFile->setFocus();

    connect(cmdAdd, &QPushButton::clicked, this, &frmMain::cmdAdd_Click);
    connect(cmdReplace, &QPushButton::clicked, this, &frmMain::cmdReplace_Click);
    connect(cmdStop, &QPushButton::clicked, this, &frmMain::cmdStop_Click);
}

void frmMain::setInitialState() {
    lblDirectory->setText(QStringLiteral("Click Open... and select multiple files"));
    txtStart->setText(QStringLiteral("<a href=\"https://www.example.com/"));
    txtStop->setText(QStringLiteral("style=\"text-decoration: underline\">"));
    txtSearch->setText(QStringLiteral("underline"));
    txtReplace->setText(QStringLiteral("underline line-through"));
    cmdReplace->setEnabled(false);
    cmdStop->setEnabled(false);
}

void frmMain::cmdAdd_Click() {
    if (running_) {
        // The run must not see its list change: stop it and choose once it has returned.
        bStop = true;
        addAfterRun_ = true;
        return;
    }
    selection::addFileClick(*this, services_);
}

void frmMain::cmdReplace_Click() {
    if (running_) {
        return;
    }
    running_ = true;
    failures_.clear();
    eventsDue_ = true;
    try {
        engine::run(*this);
    } catch (const std::exception& e) {
        // The run has put the buttons back on its way out; what remains is to tell the user.
        reportFailure({}, e.what());
    }
    running_ = false;
    paintProgress();

    if (!failures_.empty()) {
        const QString text = failureText(failures_);
        failures_.clear();
        if (services_.showExclamation) {
            services_.showExclamation(kReplaceErrorTitle, text);
        }
    }
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        addAfterRun_ = false;
        close();
    } else if (addAfterRun_) {
        addAfterRun_ = false;
        cmdAdd_Click();
    }
}

void frmMain::cmdStop_Click() {
    bStop = true;
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (running_) {
        // The pass closes its files once it sees the flag; the window follows when it has.
        bStop = true;
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    event->accept();
}

void frmMain::selectEntry(int index, bool on) {
    QListWidgetItem* item = lstFile->item(index);
    if (item == nullptr) {
        return;
    }
    if (on) {
        lstFile->setCurrentItem(item);
        item->setSelected(true);
        lstFile->scrollToItem(item);
        // A new pass: let the window catch up at once.
        eventsDue_ = true;
    } else {
        item->setSelected(false);
        paintProgress();
    }
}

void frmMain::setProgressValue(std::int64_t value) {
    progressValue_ = value;
    if (value <= progressMin_) {
        paintProgress();
    }
}

void frmMain::setProgressMin(std::int64_t value) {
    progressMin_ = value;
}

void frmMain::setProgressMax(std::int64_t value) {
    progressMax_ = value;
}

void frmMain::paintProgress() {
    const BarRange bar = barRange(progressMin_, progressMax_, progressValue_);
    if (bar.min != ProgresBar->minimum() || bar.max != ProgresBar->maximum()) {
        ProgresBar->setRange(bar.min, bar.max);
    }
    if (bar.value != ProgresBar->value()) {
        ProgresBar->setValue(bar.value);
    }
}

void frmMain::yield() {
    if (!eventsDue_) {
        const std::int64_t bytes = progressValue_ - progressAtClock_;
        if (--yieldsToClock_ > 0 && bytes >= 0 && bytes < kBytesPerClockRead) {
            return;
        }
        yieldsToClock_ = kYieldsPerClockRead;
        progressAtClock_ = progressValue_;
        if (Clock::now() - lastEvents_ < kFrame) {
            return;
        }
    }
    eventsDue_ = false;
    paintProgress();
    QCoreApplication::processEvents();
    lastEvents_ = Clock::now();
    yieldsToClock_ = kYieldsPerClockRead;
    progressAtClock_ = progressValue_;
}

bool frmMain::stopRequested() const {
    return bStop;
}

engine::Texts frmMain::currentTexts() const {
    return {startBytes_, stopBytes_, searchBytes_, replaceBytes_};
}

void frmMain::reportFailure(const std::filesystem::path& file, const std::string& reason) {
    failures_.push_back({toText(file), QString::fromLocal8Bit(reason)});
}

void frmMain::setReplaceCaption(std::string_view caption) {
    cmdReplace->setText(
        QString::fromLocal8Bit(caption.data(), static_cast<qsizetype>(caption.size())));
}

void frmMain::setReplaceEnabled(bool enabled) {
    cmdReplace->setEnabled(enabled);
}

void frmMain::setStopEnabled(bool enabled) {
    cmdStop->setEnabled(enabled);
}

void frmMain::setStopFlag(bool stop) {
    bStop = stop;
}

bool frmMain::hasChosenFiles() const {
    const int count = lstFile->count();
    return count > 1 || (count == 1 && lstFile->item(0)->text() != selection::kNoFilesSelected);
}

int frmMain::entryCount() const {
    return lstFile->count();
}

std::filesystem::path frmMain::entryText(int index) const {
    const QListWidgetItem* item = lstFile->item(index);
    return item != nullptr ? toPath(item->text()) : std::filesystem::path();
}

std::filesystem::path frmMain::directoryText() const {
    return toPath(lblDirectory->text());
}

void frmMain::clearList() {
    lstFile->clear();
}

void frmMain::appendEntry(const QString& entry) {
    lstFile->addItem(entry);
}

void frmMain::setDirectoryText(const QString& text) {
    lblDirectory->setText(text);
}
