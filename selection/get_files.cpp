#include "selection/get_files.h"

#include "selection/dialog_settings.h"

namespace selection {

std::string GetFiles(const DialogServices& services, const std::string& sTitle) {
    std::string result;
    std::string selection;
    // Declared before the work so that it outlives the message box and is released last.
    std::unique_ptr<OpenDialog> dialog;
    try {
        // No factory, or a factory that hands back nothing, is a dialog that cannot be made.
        if (services.createDialog) dialog = services.createDialog();
        if (!dialog) throw DialogFailure(kCannotCreateNumber, "Cannot create the Open dialog.");
        dialog->setCancelError(true);
        dialog->setFilter(std::string(kOpenFilter));
        dialog->setFilterIndex(kOpenFilterIndex);
        dialog->setDialogTitle(sTitle);
        dialog->setMaxFileSize(kMaxFileSize);
        dialog->setFlags(kOpenFlags);
        try {
            dialog->showOpen();
        } catch (const DialogFailure& failure) {
            // A cancel goes on to read the still empty FileName.
            if (failure.number() != kCancelNumber) throw;
        }
        selection = dialog->fileName();
    } catch (const DialogFailure& failure) {
        if (services.showExclamation) {
            services.showExclamation(
                "Open error", failure.description() + '(' + std::to_string(failure.number()) + ')');
        }
        selection.clear();
    }
    result = selection;
    return result;
}

}  // namespace selection
