#include "ui/qt/frmMain.h"

#include <unistd.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSessionManager>
#include <QSocketNotifier>

#include "engine/interrupts.h"
#include "ui/qt/qt_open_dialog.h"

namespace {

QString qt(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

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

QLineEdit* makeTextBox(QGroupBox* frame, const char* name, ui::WindowLogic& logic,
                       ui::TextBox box) {
    auto* edit = new QLineEdit(frame);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(8, 16, 273, 21);
    QObject::connect(edit, &QLineEdit::textChanged, frame, [&logic, box](const QString& text) {
        logic.textChanged(box, text.toUtf8().toStdString());
    });
    return edit;
}

}  // namespace

frmMain::frmMain(QWidget* parent) : frmMain(selection::DialogServices{}, parent) {
    services_ = qtview::qtDialogServices(this);
}

frmMain::frmMain(selection::DialogServices services, QWidget* parent)
    : QWidget(parent), services_(qtview::withOwnMessageBox(std::move(services), this)) {
    createControls();
    logic_.load();
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
    // The system's bar has no text; a percentage of size + 2 would never reach 100 anyway.
    ProgresBar->setTextVisible(false);

    using ui::TextBox;
    frmStart = makeFrame(this, "frmStart", QStringLiteral("Start String with"), {8, 256, 289, 49});
    txtStart = makeTextBox(frmStart, "txtStart", logic_, TextBox::start);
    frmStop = makeFrame(this, "frmStop", QStringLiteral("Stop String with"), {304, 256, 289, 49});
    txtStop = makeTextBox(frmStop, "txtStop", logic_, TextBox::stop);
    frmReplace =
        makeFrame(this, "frmReplace", QStringLiteral("Replace this String "), {8, 312, 289, 49});
    txtSearch = makeTextBox(frmReplace, "txtSearch", logic_, TextBox::search);
    frmString =
        makeFrame(this, "frmString", QStringLiteral("with this String"), {304, 312, 289, 49});
    txtReplace = makeTextBox(frmString, "txtReplace", logic_, TextBox::replace);

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

    connect(cmdAdd, &QPushButton::clicked, this, [this] { logic_.cmdAdd_Click(); });
    connect(cmdReplace, &QPushButton::clicked, this, [this] { logic_.cmdReplace_Click(); });
    connect(cmdStop, &QPushButton::clicked, this, [this] { logic_.cmdStop_Click(); });
}

void frmMain::closeOnTermination() {
    engine::catchInterrupts(nullptr);
    // The handler only writes to a pipe; the window hears of it from its event loop.
    if (const int wake = engine::interruptDescriptor(); wake >= 0) {
        auto* notifier = new QSocketNotifier(wake, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, wake] {
            char bytes[16];
            while (::read(wake, bytes, sizeof bytes) > 0) {
            }
            close();
        });
    }
#ifndef QT_NO_SESSIONMANAGER
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { close(); });
#endif
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (logic_.queryClose()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    showDirectory();
}

void frmMain::showDirectory() {
    const QString shown =
        lblDirectory->fontMetrics().elidedText(directory_, Qt::ElideMiddle, lblDirectory->width());
    lblDirectory->setText(shown);
    lblDirectory->setToolTip(shown == directory_ ? QString() : directory_);
}

void frmMain::setReplaceCaption(const std::string& caption) {
    cmdReplace->setText(qt(caption));
}

void frmMain::setReplaceEnabled(bool enabled) {
    cmdReplace->setEnabled(enabled);
}

void frmMain::setStopEnabled(bool enabled) {
    cmdStop->setEnabled(enabled);
}

void frmMain::clearList() {
    lstFile->clear();
}

void frmMain::appendEntry(const std::string& entry) {
    lstFile->addItem(qt(entry));
}

void frmMain::showSelectedEntry(int index) {
    QListWidgetItem* item = lstFile->item(index);
    if (item == nullptr) {
        lstFile->clearSelection();
        return;
    }
    lstFile->setCurrentItem(item);
    item->setSelected(true);
    lstFile->scrollToItem(item);
}

void frmMain::setDirectoryText(const std::string& text) {
    directory_ = qt(text);
    showDirectory();
}

void frmMain::setText(ui::TextBox box, const std::string& text) {
    QLineEdit* const boxes[] = {txtStart, txtStop, txtSearch, txtReplace};
    boxes[static_cast<int>(box)]->setText(qt(text));
}

void frmMain::setProgress(int min, int max, int value) {
    if (min != ProgresBar->minimum() || max != ProgresBar->maximum()) {
        ProgresBar->setRange(min, max);
    }
    ProgresBar->setValue(value);
}

void frmMain::processEvents() {
    QCoreApplication::processEvents();
}

void frmMain::showExclamation(const std::string& title, const std::string& text) {
    if (services_.showExclamation) services_.showExclamation(title, text);
}

std::unique_ptr<selection::OpenDialog> frmMain::createOpenDialog() {
    if (!services_.createDialog) return nullptr;
    return services_.createDialog();
}

void frmMain::closeWindow() {
    close();
}
