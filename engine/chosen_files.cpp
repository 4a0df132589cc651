#include <algorithm>
#include <atomic>
#include <cstdint>
#include <system_error>
#include <thread>
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
#ifdef _WIN32
    fs::path absolute = fs::absolute(path, error);  // a drive's own working folder is the system's
    if (error) absolute = path;
    return absolute.lexically_normal().native();
#else
    // Joined as text: taking paths apart costs more than the rest of a small file's check.
    std::string text;
    if (path.is_absolute() || current.empty()) {
        text = path.is_absolute() ? path.native() : fs::absolute(path, error).native();
        if (error) text = path.native();
    } else {
        text.reserve(current.native().size() + 1 + path.native().size());
        text = current.native();
        if (!text.ends_with('/')) text += '/';
        text += path.native();
    }
    // Most paths are normal already.
    if (text.find("/.") == std::string::npos && text.find("//") == std::string::npos) return text;
    return fs::path(text).lexically_normal().native();
#endif
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
    std::vector<const fs::path*> each;
    each.reserve(sources.size());
    for (const fs::path& source : sources) each.push_back(&source);
    add(each, std::thread::hardware_concurrency());
}

ChosenFiles::ChosenFiles(ChosenFiles&&) noexcept = default;
ChosenFiles& ChosenFiles::operator=(ChosenFiles&&) noexcept = default;
ChosenFiles::~ChosenFiles() = default;

bool ChosenFiles::add(const fs::path& source) {
    FileIdentity id;
    return insert(source, detail::identify(source, id) ? &id : nullptr);
}

std::vector<bool> ChosenFiles::add(const std::vector<const fs::path*>& sources, unsigned threads) {
    // Looking a file up on disk is most of the work, and the lookups are independent: they are
    // made on up to `threads` threads, a block of files at a time. The files are then added in
    // order, so that of two names for one file the first is the one added.
    constexpr std::size_t kBlock = 256;
    std::vector<FileIdentity> ids(sources.size());
    std::vector<char> found(sources.size());
    std::atomic<std::size_t> next{0};
    const auto identifyBlocks = [&] {
        for (std::size_t first; (first = next.fetch_add(kBlock)) < sources.size();) {
            const std::size_t end = std::min(first + kBlock, sources.size());
            for (std::size_t i = first; i < end; ++i)
                found[i] = detail::identify(*sources[i], ids[i]);
        }
    };
    {
        std::vector<std::jthread> helpers;
        const std::size_t wanted = std::min<std::size_t>(threads, sources.size() / kBlock);
        try {
            while (helpers.size() + 1 < wanted) helpers.emplace_back(identifyBlocks);
        } catch (const std::system_error&) {
            // No more threads: those there are, and this one, share the files.
        }
        identifyBlocks();
    }
    index_->spellings.reserve(index_->spellings.size() + sources.size());
    index_->identities.reserve(index_->identities.size() + sources.size());
    std::vector<bool> added(sources.size());
    for (std::size_t i = 0; i < sources.size(); ++i)
        added[i] = insert(*sources[i], found[i] ? &ids[i] : nullptr);
    return added;
}

bool ChosenFiles::insert(const fs::path& source, const FileIdentity* id) {
    bool added = index_->spellings.insert(spelling(source, index_->current)).second;
    if (id != nullptr) added = index_->identities.insert(*id).second && added;
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
