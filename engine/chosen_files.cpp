#include <cstdint>
#include <unordered_set>

#include "engine/engine.h"
#include "engine/system_files.h"

namespace fs = std::filesystem;

namespace engine {
namespace {

using detail::FileIdentity;

struct IdentityHash {
    std::size_t operator()(const FileIdentity& id) const {
        return std::hash<std::uint64_t>{}(id.file * 0x9E3779B97F4A7C15u ^ id.volume);
    }
};

// The path as written, made absolute (from `current`, the working folder) and free of "." and
// "..": a chosen file that does not exist (yet) is still caught by name.
fs::path::string_type spelling(const fs::path& path, [[maybe_unused]] const fs::path& current) {
    std::error_code error;
    fs::path absolute = path;
#ifdef _WIN32
    absolute = fs::absolute(path, error);  // a drive's own working folder is the system's
#else
    if (!path.is_absolute())
        absolute = current.empty() ? fs::absolute(path, error) : current / path;
#endif
    if (error) absolute = path;
#ifndef _WIN32
    // Most paths are normal already, and taking one apart costs more than the rest of a small
    // file's check.
    const std::string& text = absolute.native();
    if (text.find("/.") == std::string::npos && text.find("//") == std::string::npos) return text;
#endif
    return absolute.lexically_normal().native();
}

}  // namespace

struct ChosenFiles::Index {
    std::unordered_set<FileIdentity, IdentityHash> identities;
    std::unordered_set<fs::path::string_type> spellings;
    // Asked of the system once: the working folder does not change during a run.
    fs::path current = [] {
        std::error_code error;
        fs::path folder = fs::current_path(error);
        return error ? fs::path() : folder;
    }();
};

ChosenFiles::ChosenFiles() : index_(std::make_unique<Index>()) {}

ChosenFiles::ChosenFiles(const std::vector<fs::path>& sources) : ChosenFiles() {
    index_->spellings.reserve(sources.size());
    index_->identities.reserve(sources.size());
    for (const fs::path& source : sources) add(source);
}

ChosenFiles::ChosenFiles(ChosenFiles&&) noexcept = default;
ChosenFiles& ChosenFiles::operator=(ChosenFiles&&) noexcept = default;
ChosenFiles::~ChosenFiles() = default;

bool ChosenFiles::add(const fs::path& source) {
    bool added = index_->spellings.insert(spelling(source, index_->current)).second;
    FileIdentity id;
    if (detail::identify(source, id)) added = index_->identities.insert(id).second && added;
    return added;
}

bool ChosenFiles::containsByName(const fs::path& path) const {
    return index_->spellings.contains(spelling(path, index_->current));
}

bool ChosenFiles::contains(const fs::path& path) const {
    if (containsByName(path)) return true;
    FileIdentity id;
    return !index_->identities.empty() && detail::identify(path, id) &&
           index_->identities.contains(id);
}

std::string overwriteReason(const fs::path& output) {
    const std::u8string name = output.filename().u8string();
    return "Would overwrite the chosen file " + std::string(name.begin(), name.end());
}

}  // namespace engine
