// Writes an output on a thread of its own, so that the system's copying of its bytes into the
// file runs while the pass works on the next ones. One piece is written at a time: handing over
// the next waits for the one before, and what a write throws comes back from the next hand-over
// or from finish().
#pragma once

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "engine/file_layer.h"

namespace engine::detail {

class BackgroundWriter {
public:
    explicit BackgroundWriter(OutputFile& file);
    // Waits for the write under way.
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    // Writes the pieces, which (and whose bytes) must stay as they are until the next write()
    // or finish() returns.
    void write(const OutputFile::Piece* pieces, std::size_t count);
    // Waits for the last write.
    void finish();

private:
    void work();
    // With the mutex held: waits for the piece under way, and throws what a write threw.
    void idle(std::unique_lock<std::mutex>& lock);

    OutputFile& file_;
    std::mutex mutex_;
    std::condition_variable changed_;
    const OutputFile::Piece* pieces_ = nullptr;
    std::size_t count_ = 0;
    bool busy_ = false;
    bool closing_ = false;
    std::exception_ptr error_;
    std::thread thread_;  // last: it starts once the rest is made
};

}  // namespace engine::detail
