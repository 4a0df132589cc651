// Conversions between the UTF-8 texts the window shows and the paths the engine opens, so that
// non-ASCII names survive the round trip on every platform.
#pragma once

#include <filesystem>
#include <string>

namespace ui {

std::filesystem::path toPath(const std::string& utf8);
std::string toText(const std::filesystem::path& path);

}  // namespace ui
