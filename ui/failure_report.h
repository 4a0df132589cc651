// The message that lists the files a run could not process.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ui {

inline constexpr std::string_view kReplaceErrorTitle = "Replace error";

struct Failure {
    std::string file;    // UTF-8
    std::string reason;  // as the engine words it
};

// One line per file, "file: reason"; past kMaxListedFailures files the rest are only counted.
inline constexpr int kMaxListedFailures = 20;
std::string failureText(const std::vector<Failure>& failures);

}  // namespace ui
