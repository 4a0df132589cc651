#include "cli/walk.h"

#include <algorithm>
#include <set>
#include <system_error>

#include "cli/platform.h"
#include "engine/engine.h"
#include "engine/file_layer.h"

namespace fs = std::filesystem;

namespace cli {
namespace {

struct Walk {
    const WalkOptions& options;
    Globs globs;
    std::vector<ListedFile>& files;
    std::vector<fs::path> folders;  // being walked, by their real paths (with -L only)

    void folder(const fs::path& path, const std::string& below) {
        struct Entry {
            fs::path path;
            fs::file_type type;
        };
        std::vector<Entry> entries;
        std::set<fs::path::string_type> outputs;
        std::error_code error;
        for (fs::directory_iterator it(path, error), end; !error && it != end;
             it.increment(error)) {
            std::error_code gone;  // an entry removed meanwhile, or a dangling link: left out
            fs::file_type type = it->symlink_status(gone).type();
            if (type == fs::file_type::symlink && options.followLinks) {
                type = it->status(gone).type();
            }
            if (type == fs::file_type::regular) {
                outputs.insert(engine::outputPath(it->path().filename()).native());
            }
            if (type == fs::file_type::regular || type == fs::file_type::directory) {
                entries.push_back({it->path(), type});
            }
        }
        if (error) {
            files.push_back({path, engine::readableReason(error.message())});
            return;
        }
        std::ranges::sort(entries, {}, [](const Entry& e) { return e.path.filename().native(); });
        for (const Entry& entry : entries) {
            const std::string name = textFromPath(entry.path.filename());
            if (name.starts_with('.') && !options.hidden) continue;
            const std::string relative = below.empty() ? name : below + "/" + name;
            if (entry.type == fs::file_type::regular) {
                if (globs.takesFile(relative) && !outputs.contains(entry.path.filename().native()))
                    files.push_back({entry.path, {}});
            } else if (globs.entersFolder(relative)) {
                if (!options.followLinks) {
                    folder(entry.path, relative);
                } else if (enter(entry.path)) {
                    folder(entry.path, relative);
                    folders.pop_back();
                }
            }
        }
    }

    // With -L: whether `path` is a folder not yet being walked (not a link back to one); it is
    // then added to them.
    bool enter(const fs::path& path) {
        std::error_code error;
        fs::path real = fs::canonical(path, error);
        if (error || std::ranges::find(folders, real) != folders.end()) return false;
        folders.push_back(std::move(real));
        return true;
    }
};

}  // namespace

void walkFolder(const fs::path& folder, const WalkOptions& options,
                std::vector<ListedFile>& files) {
    Walk walk{options, Globs(options.globs), files, {}};
    if (options.followLinks) walk.enter(folder);
    walk.folder(folder, "");
}

}  // namespace cli
