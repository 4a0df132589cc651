#include "selection/selection_string.h"

namespace selection {

std::vector<std::string> selectionParts(std::string_view selection) {
    std::vector<std::string> parts;
    if (selection.empty()) return parts;
    for (std::size_t start = 0;;) {
        const std::size_t nul = selection.find('\0', start);
        parts.emplace_back(selection.substr(start, nul - start));
        if (nul == std::string_view::npos) return parts;
        start = nul + 1;
    }
}

std::filesystem::path selectionFolder(std::string_view selection) {
    const std::vector<std::string> parts = selectionParts(selection);
    if (parts.empty()) return {};
    // UTF-8 by its type, so that Windows reads it as such and not in its ANSI code page.
    const std::filesystem::path first(std::u8string(parts[0].begin(), parts[0].end()));
    return parts.size() > 1 ? first : first.parent_path();
}

std::string composeSelection(const std::string& folder, const std::vector<std::string>& names,
                             char separator) {
    if (names.empty()) return {};
    if (names.size() == 1) {
        const bool ends = !folder.empty() && folder.back() == separator;
        return folder + (ends ? "" : std::string(1, separator)) + names.front();
    }
    std::string selection = folder;
    for (const std::string& name : names) {
        selection += '\0';
        selection += name;
    }
    return selection;
}

std::string selectionFromNulList(std::string_view buffer) {
    const std::size_t end = buffer.find(std::string_view("\0\0", 2));
    std::string_view selection = buffer.substr(0, end);
    // A buffer that holds only its terminator, or one NUL short of the pair.
    while (!selection.empty() && selection.back() == '\0') selection.remove_suffix(1);
    return std::string(selection);
}

}  // namespace selection
