#include "engine/same_file.h"

namespace fs = std::filesystem;

namespace engine::detail {

bool isSameFile(const fs::path& a, const fs::path& b) {
    if (a.lexically_normal() == b.lexically_normal()) return true;
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

std::string overwriteReason(const fs::path& output) {
    const std::u8string name = output.filename().u8string();
    return "its new file \"" + std::string(name.begin(), name.end()) +
           "\" would overwrite a chosen file";
}

}  // namespace engine::detail
