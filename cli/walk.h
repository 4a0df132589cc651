// The files of a run: the names given, with the folders among them walked under -r.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "cli/glob.h"

namespace cli {

// A file to process, or a folder that could not be walked and why.
struct ListedFile {
    std::filesystem::path path;
    std::string failure;  // empty for a file
};

struct WalkOptions {
    std::vector<std::string> globs;
    bool hidden = false;       // names that begin with a dot are walked too
    bool followLinks = false;  // symbolic links are followed
};

// Appends the regular files below `folder` to `files`, each folder's entries sorted by name and
// a folder's files listed where its name falls. Left out: what the globs leave out (matched by
// the path below `folder`, with "/"), hidden names, symbolic links unless followed (a link back
// to a folder being walked even then), files of other kinds, and earlier outputs: a file whose
// name is the output name (engine::outputPath) of another file in its folder.
void walkFolder(const std::filesystem::path& folder, const WalkOptions& options,
                std::vector<ListedFile>& files);

}  // namespace cli
