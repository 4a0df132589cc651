// The progress line on a terminal: files and bytes done of their totals and the speed, drawn
// once the run has taken half a second and redrawn at most ten times a second.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace cli {

class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;
    ProgressLine(std::FILE* terminal, std::int64_t files, std::int64_t bytes);

    // Redraws the line when it is due; a cleared line is due at once, so callers that clear
    // it pace themselves.
    void update(std::int64_t filesDone, std::int64_t bytesDone);
    // Wipes the line, so that a report line can take its place; update() draws it again.
    void clear();

private:
    std::FILE* terminal_;
    std::int64_t files_, bytes_;
    Clock::time_point started_ = Clock::now();
    Clock::time_point drawn_{};
    std::size_t width_ = 0;  // of the line on screen, 0 when none is
};

}  // namespace cli
