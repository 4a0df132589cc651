// The production DialogServices: Qt's file dialog and message box.
#include <QApplication>
#include <QMessageBox>

#include "ui/qt/qt_open_dialog.h"

namespace qtview {

void showExclamation(QWidget* parent, const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(title),
                    QString::fromStdString(text), QMessageBox::Ok, parent);
    box.exec();
}

selection::DialogServices qtDialogServices(QWidget* parent) {
    const QPointer<QWidget> owner(parent);
    selection::DialogServices services;
    services.createDialog = [owner]() -> std::unique_ptr<selection::OpenDialog> {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
            throw selection::DialogFailure(selection::kCannotCreateNumber,
                                           "Cannot create the Open dialog without a window "
                                           "system.");
        }
        return std::make_unique<QtOpenDialog>(owner.data());
    };
    return withOwnMessageBox(std::move(services), parent);
}

selection::DialogServices withOwnMessageBox(selection::DialogServices services, QWidget* parent) {
    if (!services.showExclamation) {
        services.showExclamation = [owner = QPointer<QWidget>(parent)](const std::string& title,
                                                                       const std::string& text) {
            showExclamation(owner.data(), title, text);
        };
    }
    return services;
}

}  // namespace qtview
