#include "cli/progress.h"

#include <algorithm>
#include <string>

namespace cli {
namespace {

using namespace std::chrono_literals;

std::string megabytes(std::int64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / 1e6);
    return text;
}

}  // namespace

ProgressLine::ProgressLine(std::FILE* terminal, std::int64_t files, std::int64_t bytes)
    : terminal_(terminal), files_(files), bytes_(bytes) {}

void ProgressLine::update(std::int64_t filesDone, std::int64_t bytesDone) {
    const Clock::time_point now = Clock::now();
    if (now - started_ < 500ms || (width_ > 0 && now - drawn_ < 100ms)) return;
    drawn_ = now;
    // A pass counts two bytes more than a file that ends without a line end holds.
    bytesDone = std::min(bytesDone, bytes_);
    const double seconds = std::chrono::duration<double>(now - started_).count();
    std::string line =
        std::to_string(filesDone) + "/" + std::to_string(files_) + " files, " +
        megabytes(bytesDone) + "/" + megabytes(bytes_) + " MB, " +
        megabytes(static_cast<std::int64_t>(static_cast<double>(bytesDone) / seconds)) + " MB/s";
    const std::size_t width = line.size();
    // Carriage return and blanks rather than terminal escapes: every console understands them.
    if (width < width_) line.append(width_ - width, ' ');
    width_ = width;
    std::fputc('\r', terminal_);
    std::fwrite(line.data(), 1, line.size(), terminal_);
    std::fflush(terminal_);
}

void ProgressLine::clear() {
    if (width_ == 0) return;
    const std::string blank = "\r" + std::string(width_, ' ') + "\r";
    std::fwrite(blank.data(), 1, blank.size(), terminal_);
    std::fflush(terminal_);
    width_ = 0;
}

}  // namespace cli
