// What the platform's file code (files_posix.cpp or files_win32.cpp) provides to the rest of
// the engine beyond the FileLayer interface.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace engine::detail {

// A file on disk, whatever the path that names it: links, hard links and names in another
// letter case on a case-insensitive file system all give the same identity.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at `path`, or false when there is none.
bool identify(const std::filesystem::path& path, FileIdentity& id);

// ".sr" and eight random letters and digits: a temporary output's name in its folder.
std::string temporaryName();

}  // namespace engine::detail
