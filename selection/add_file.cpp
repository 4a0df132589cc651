#include "selection/add_file.h"

#include "selection/selection_string.h"

namespace selection {

void addFileClick(AddFileHost& host, const DialogServices& services) {
    host.clearList();
    const std::vector<std::string> parts = selectionParts(GetFiles(services, "Open files..."));

    if (parts.size() >= 2) {
        host.setDirectoryText(parts.front());
        for (std::size_t i = 1; i < parts.size(); ++i) host.appendEntry(parts[i]);
        host.setReplaceEnabled(true);
    } else if (parts.size() == 1) {
        host.setDirectoryText("Single Files selected:");
        host.appendEntry(parts.front());
        host.setReplaceEnabled(true);
    } else {
        host.appendEntry(std::string(kNoFilesSelected));
        host.setReplaceEnabled(false);
    }
}

}  // namespace selection
