#include "engine/engine.h"
#include "engine/same_file.h"

namespace fs = std::filesystem;

namespace engine {

fs::path outputPath(const fs::path& outputBase) {
    using Char = fs::path::value_type;
    static constexpr Char kSuffix[] = {'_', 'n', 'e', 'w', 0};
    const fs::path::string_type name = outputBase.filename().native();
    fs::path::string_type renamed;
    renamed.reserve(name.size() + 8);
    bool hasDot = false;
    for (const Char c : name) {
        if (c == Char('.')) {
            renamed += kSuffix;
            hasDot = true;
        }
        renamed += c;
    }
    if (!hasDot) renamed += kSuffix;
    fs::path result = outputBase;
    result.replace_filename(renamed);
    return result;
}

namespace detail {

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

}  // namespace detail
}  // namespace engine
