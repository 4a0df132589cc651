// A source mapped into memory, so that a pass reads it in place instead of copying it into a
// block first (POSIX systems). Another program may shrink the file meanwhile, and reading a page
// past its new end raises SIGBUS, which would end the process: the pages of a mapping that fault
// are replaced with zeros instead, and the mapping remembers it, so that the pass fails the file
// as it does any source changed while it is read.
#pragma once

#include <cstdint>
#include <string_view>

namespace engine::detail {

class SourceMapping {
public:
    // Maps `size` bytes of the open file `fd`; bytes() is empty where the system cannot.
    SourceMapping(int fd, std::uint64_t size);
    ~SourceMapping();
    SourceMapping(const SourceMapping&) = delete;
    SourceMapping& operator=(const SourceMapping&) = delete;

    std::string_view bytes() const { return {data_, size_}; }
    // Whether a page could not be read: the file shrank under the mapping.
    bool faulted() const;
    // Gives back the memory of the pages within [from, to); reading them again reads the file
    // again.
    void release(std::uint64_t from, std::uint64_t to);

private:
    const char* data_ = nullptr;
    std::size_t size_ = 0;
    int slot_ = -1;  // in the table the SIGBUS handler looks in
};

}  // namespace engine::detail
