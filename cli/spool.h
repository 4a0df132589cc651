// Bytes that wait to be written: in memory up to a limit and then in a temporary file, and the
// bytes of many files that are written in list order while the files are processed at once.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace cli {

// Takes bytes in pieces, in order.
using Sink = std::function<void(std::string_view)>;

// An unnamed temporary file, opened when first written to; in memory where the system gives
// none. A failure to write it throws std::runtime_error.
class TemporaryFile {
public:
    TemporaryFile() = default;
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    std::uint64_t size() const { return size_; }
    void append(std::string_view bytes);
    // Hands `count` bytes from `offset` on to `to`.
    void read(std::uint64_t offset, std::uint64_t count, const Sink& to);
    // Forgets every byte; the file is written again from its start.
    void clear() {
        size_ = 0;
        atEnd_ = false;
    }

private:
    std::FILE* file_ = nullptr;
    bool opened_ = false;
    bool atEnd_ = false;  // where the next byte goes: no seek (which flushes) needed
    std::string memory_;  // where there is no file
    std::uint64_t size_ = 0;
};

// Bytes in memory up to `memoryLimit`, past it all in a temporary file.
class Spool {
public:
    explicit Spool(std::size_t memoryLimit) : limit_(memoryLimit) {}
    void append(std::string_view bytes);
    bool empty() const { return memory_.empty() && file_.size() == 0; }
    // Hands every byte to `to` and empties the spool.
    void drainTo(const Sink& to);

private:
    std::size_t limit_;
    std::string memory_;
    TemporaryFile file_;
};

// The bytes of numbered files, written to `out` in the files' order. With `straight`, the file
// whose turn it is writes straight through, and the others wait; otherwise they all wait until
// taken. What waits is kept in one temporary file, whatever the number of files.
class OrderedOutput {
public:
    OrderedOutput(Sink out, bool straight) : out_(std::move(out)), straight_(straight) {}
    // From any thread.
    void write(std::size_t file, std::string_view bytes);
    bool waiting(std::size_t file);
    // Hands the bytes of `file` that wait to `to`, or writes them.
    void take(std::size_t file, const Sink& to);
    void flush(std::size_t file) { take(file, out_); }
    // Done with `file`: its bytes that still wait are written (with `straight`; dropped
    // otherwise) and the turn passes to the next.
    void finish(std::size_t file);

private:
    struct Piece {
        std::uint64_t offset, size;
    };
    void takeLocked(std::size_t file, const Sink& to);

    std::mutex mutex_;
    Sink out_;
    bool straight_;
    std::size_t turn_ = 0;
    TemporaryFile waiting_;
    std::unordered_map<std::size_t, std::vector<Piece>> pieces_;
};

}  // namespace cli
