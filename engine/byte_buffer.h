// A growable run of bytes on malloc and realloc: a huge line grows in place where the system
// can (glibc moves large blocks by remapping pages), so it is held once rather than copied into
// a new buffer of twice its size. Running out of memory throws std::bad_alloc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

namespace engine::detail {

// Memory ran out over a line: `line` bytes of it had been read, its end too when `whole`.
class OutOfMemory : public std::bad_alloc {
public:
    OutOfMemory(std::uint64_t line, bool whole) : line_(line), whole_(whole) {}
    std::uint64_t line() const { return line_; }
    bool whole() const { return whole_; }
    const char* what() const noexcept override { return "Not enough memory"; }

private:
    std::uint64_t line_;
    bool whole_;
};

class ByteBuffer {
public:
    ByteBuffer() = default;
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;
    ~ByteBuffer() { std::free(data_); }

    const char* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::string_view view() const { return {data_, size_}; }
    void clear() { size_ = 0; }

    // Room for `count` more bytes at the end; commit them with grow().
    char* room(std::size_t count) {
        if (capacity_ - size_ < count) reserve(size_ + count);
        return data_ + size_;
    }
    void grow(std::size_t count) { size_ += count; }
    void append(std::string_view bytes) {
        if (!bytes.empty()) std::memcpy(room(bytes.size()), bytes.data(), bytes.size());
        size_ += bytes.size();
    }

private:
    void reserve(std::size_t needed) {
        // Half again what is needed: few moves, and pages never written cost no memory.
        const std::size_t capacity = needed + needed / 2 + 64;
        void* grown = std::realloc(data_, capacity);
        if (grown == nullptr) throw std::bad_alloc();
        data_ = static_cast<char*>(grown);
        capacity_ = capacity;
    }

    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace engine::detail
