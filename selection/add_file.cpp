#include "selection/add_file.h"

#include "selection/selection_string.h"

namespace selection {

FileChoice addFileClick(const DialogServices& services) {
    std::vector<std::string> parts = selectionParts(GetFiles(services, "Open files..."));
    if (parts.size() >= 2) {
        std::string folder = std::move(parts.front());
        parts.erase(parts.begin());
        return {std::move(parts), std::move(folder), true};
    }
    if (parts.size() == 1) return {std::move(parts), "Single Files selected:", true};
    return {{std::string(kNoFilesSelected)}, std::nullopt, false};
}

}  // namespace selection
