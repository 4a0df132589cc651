// Conversions between the texts the window shows and the paths the engine opens, chosen so that
// non-ASCII names survive the round trip on every platform.
#pragma once

#include <QString>
#include <filesystem>

std::filesystem::path toPath(const QString& text);
QString toText(const std::filesystem::path& path);
