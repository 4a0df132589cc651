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
#include <algorithm>

#include "engine/interrupts.h"
#include "ui/qt/qt_open_dialog.h"

namespace qtview {

namespace {

namespace form = ui::form;

// A frame is made before the text box that it holds.
static_assert(std::ranges::all_of(form::kControls, [](const form::Control& c) {
    return c.frame == form::kClientArea || c.frame < c.id;
}));

QString qt(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Twips to pixels at 15 twips to the pixel, rounded.
int pixels(int twips) {
    constexpr int kTwipsPerPixel = form::kTwipsPerInch / 96;
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

QWidget* makeControl(const form::Control& control, QWidget* parent) {
    QWidget* widget = nullptr;
    switch (control.kind) {
        case form::Kind::button: {
            auto* button = new QPushButton(qt(control.caption), parent);
            button->setAutoDefault(false);
            button->setDefault(false);
            widget = button;
            break;
        }
        case form::Kind::label: {
            auto* label = new QLabel(qt(control.caption), parent);
            // Folder names are shown as they are, never as markup.
            label->setTextFormat(Qt::PlainText);
            widget = label;
            break;
        }
        case form::Kind::list: {
            auto* list = new QListWidget(parent);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            list->setSortingEnabled(false);
            widget = list;
            break;
        }
        case form::Kind::progressBar: {
            auto* bar = new QProgressBar(parent);
            bar->setOrientation(Qt::Horizontal);
            bar->setRange(0, form::kProgressMax);
            bar->setValue(0);
            // The system's bar has no text; a percentage of size + 2 would never reach 100 anyway.
            bar->setTextVisible(false);
            widget = bar;
            break;
        }
        case form::Kind::frame:
            widget = new QGroupBox(qt(control.caption), parent);
            break;
        case form::Kind::textBox:
            widget = new QLineEdit(qt(control.caption), parent);
            break;
    }
    widget->setObjectName(qt(control.name));
    const form::Twips& place = control.place;
    widget->setGeometry(pixels(place.left), pixels(place.top), pixels(place.width),
                        pixels(place.height));
    return widget;
}

}  // namespace

frmMain::frmMain(QWidget* parent) : frmMain(selection::DialogServices{}, parent) {
    services_ = qtDialogServices(this);
}

frmMain::frmMain(selection::DialogServices services, QWidget* parent)
    : QWidget(parent), services_(qtview::withOwnMessageBox(std::move(services), this)) {
    createControls();
    logic_.load();
}

frmMain::~frmMain() = default;

void frmMain::createControls() {
    setWindowTitle(qt(form::kCaption));
    setWindowIcon(QIcon(QStringLiteral(":/segment-replace.bmp")));
    setFixedSize(pixels(form::kClientWidth), pixels(form::kClientHeight));

    std::array<QWidget*, form::kControlCount> made{};
    for (const form::Control& control : form::kControls) {
        made.at(control.id) = makeControl(
            control, control.frame == form::kClientArea ? this : made.at(control.frame));
    }
    cmdAdd = qobject_cast<QPushButton*>(made[form::cmdAdd]);
    lblDirectory = qobject_cast<QLabel*>(made[form::lblDirectory]);
    lstFile = qobject_cast<QListWidget*>(made[form::lstFile]);
    // Every entry is one line: the list need not measure each to show the file at work.
    lstFile->setUniformItemSizes(true);
    ProgresBar = qobject_cast<QProgressBar*>(made[form::ProgresBar]);
    cmdReplace = qobject_cast<QPushButton*>(made[form::cmdReplace]);
    cmdStop = qobject_cast<QPushButton*>(made[form::cmdStop]);

    QWidget* previous = nullptr;
    for (const form::Id id : form::kTabOrder) {
        if (!form::takesFocus(form::kControls[id].kind)) continue;
        if (previous != nullptr) QWidget::setTabOrder(previous, made[id]);
        previous = made[id];
    }
    made[form::kTabOrder[0]]->setFocus();

    for (int box = 0; box < ui::kTextBoxCount; ++box) {
        textBoxes_[box] = qobject_cast<QLineEdit*>(made[form::kTextBoxControls[box]]);
        connect(textBoxes_[box], &QLineEdit::textChanged, this, [this, box](const QString& text) {
            logic_.textChanged(static_cast<ui::TextBox>(box), text.toUtf8().toStdString());
        });
    }
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
    textBoxes_[static_cast<int>(box)]->setText(qt(text));
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

}  // namespace qtview
