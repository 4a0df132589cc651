// Whether two paths name one file: the same text, or (when both exist) the same file on disk,
// which catches links and case-insensitive file systems.
#pragma once

#include <filesystem>
#include <string>

namespace engine::detail {

bool isSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// The failure reason for a pass whose output would replace a chosen file.
std::string overwriteReason(const std::filesystem::path& output);

}  // namespace engine::detail
