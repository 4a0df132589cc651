#include "ui/path_text.h"

namespace ui {

// On Windows the path holds UTF-16 and these convert; elsewhere file names are taken to be
// UTF-8 bytes, as the window shows them, and pass through unchanged.
std::filesystem::path toPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string toText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace ui
