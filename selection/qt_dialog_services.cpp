// The production DialogServices: Qt's file dialog and message box.
#include <QApplication>
#include <QMessageBox>

#include "get_files.h"
#include "qt_open_dialog.h"

namespace selection {

DialogServices qtDialogServices(QWidget* parent) {
    const QPointer<QWidget> owner(parent);
    DialogServices services;
    services.createDialog = [owner]() -> std::unique_ptr<OpenDialog> {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
            throw DialogFailure(kCannotCreateNumber,
                                QStringLiteral("Cannot create the Open dialog without a window "
                                               "system."));
        }
        return std::make_unique<QtOpenDialog>(owner.data());
    };
    services.showExclamation = [owner](const QString& title, const QString& text) {
        QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, owner.data());
        box.exec();
    };
    return services;
}

}  // namespace selection
