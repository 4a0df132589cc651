#include <cstdint>
#include <unordered_set>

#include "engine/engine.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace engine {
namespace {

// A file on disk, whatever the path that names it: links, hard links and names in another
// letter case on a case-insensitive file system all give the same identity.
struct Identity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    bool operator==(const Identity&) const = default;
};

struct IdentityHash {
    std::size_t operator()(const Identity& id) const {
        return std::hash<std::uint64_t>{}(id.file * 0x9E3779B97F4A7C15u ^ id.volume);
    }
};

// The identity of the file at `path`, or false when there is none.
bool identify(const fs::path& path, Identity& id) {
#ifdef _WIN32
    const HANDLE handle =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!known) return false;
    id.volume = info.dwVolumeSerialNumber;
    id.file = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return true;
#else
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) return false;
    id.volume = static_cast<std::uint64_t>(status.st_dev);
    id.file = static_cast<std::uint64_t>(status.st_ino);
    return true;
#endif
}

// The path as written, made absolute and free of "." and "..": a chosen file that does not
// exist (yet) is still caught by name.
fs::path::string_type spelling(const fs::path& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    if (error) absolute = path;
    return absolute.lexically_normal().native();
}

}  // namespace

struct ChosenFiles::Index {
    std::unordered_set<Identity, IdentityHash> identities;
    std::unordered_set<fs::path::string_type> spellings;
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

void ChosenFiles::add(const fs::path& source) {
    index_->spellings.insert(spelling(source));
    Identity id;
    if (identify(source, id)) index_->identities.insert(id);
}

bool ChosenFiles::contains(const fs::path& path) const {
    if (index_->spellings.contains(spelling(path))) return true;
    Identity id;
    return !index_->identities.empty() && identify(path, id) && index_->identities.contains(id);
}

std::string overwriteReason(const fs::path& output) {
    const std::u8string name = output.filename().u8string();
    return "Would overwrite the chosen file " + std::string(name.begin(), name.end());
}

}  // namespace engine
