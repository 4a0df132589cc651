#include "engine/background_writer.h"

namespace engine::detail {

BackgroundWriter::BackgroundWriter(OutputFile& file) : file_(file), thread_([this] { work(); }) {}

BackgroundWriter::~BackgroundWriter() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundWriter::idle(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [this] { return !busy_; });
    if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
}

void BackgroundWriter::write(const OutputFile::Piece* pieces, std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    idle(lock);
    pieces_ = pieces;
    count_ = count;
    busy_ = true;
    lock.unlock();
    changed_.notify_all();
}

void BackgroundWriter::finish() {
    std::unique_lock<std::mutex> lock(mutex_);
    idle(lock);
}

void BackgroundWriter::work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return busy_ || closing_; });
        if (!busy_) return;
        lock.unlock();
        std::exception_ptr error;
        try {
            file_.writePieces(pieces_, count_);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        error_ = error;
        busy_ = false;
        changed_.notify_all();
    }
}

}  // namespace engine::detail
