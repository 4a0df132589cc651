#include "engine/engine.h"

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

}  // namespace engine
