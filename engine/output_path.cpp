#include "engine/engine.h"

namespace fs = std::filesystem;

namespace engine {

fs::path outputPath(const fs::path& outputBase) {
    using Char = fs::path::value_type;
    static constexpr Char kSuffix[] = {'_', 'n', 'e', 'w', 0};
    // The file name ends the path's text: the folder part is kept as written, as text, since
    // taking paths apart and joining them costs more than the rest of a small file's planning.
    const fs::path::string_type& whole = outputBase.native();
    const std::size_t nameLength = outputBase.filename().native().size();
    fs::path::string_type renamed(whole, 0, whole.size() - nameLength);
    renamed.reserve(whole.size() + 8);
    bool hasDot = false;
    for (std::size_t i = whole.size() - nameLength; i < whole.size(); ++i) {
        if (whole[i] == Char('.')) {
            renamed += kSuffix;
            hasDot = true;
        }
        renamed += whole[i];
    }
    if (!hasDot) renamed += kSuffix;
    return fs::path(std::move(renamed));
}

}  // namespace engine
