// Splits a source into lines, reading it in large blocks: a line ends at CR LF, a lone CR or
// an LF. Bytes are read as 8-bit text (which includes UTF-8), or as UTF-16 code units that are
// handed out in the generalised UTF-8 of unicode.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/byte_buffer.h"
#include "engine/file_layer.h"

namespace engine::detail {

enum class LineEnd { crLf, lf, cr, none };

struct Line {
    std::string_view text;  // valid until the next read
    LineEnd end = LineEnd::none;
    std::uint64_t bytes = 0;  // taken from the source, its end (and a byte-order mark) included
    // The line and its end as they lie in the read block; empty when they do not lie there in
    // one piece (a line that spans two blocks).
    std::string_view raw;
};

// The source in blocks: the part of the block not yet handed out is [begin, end).
class Blocks {
public:
    // Blocks of `blockSize` bytes, or less for a small source.
    explicit Blocks(InputFile& input, std::size_t blockSize);
    // Reads the next block once the present one is used up, keeping any bytes not yet handed
    // out at its front; false when nothing more is there.
    bool fill();
    // Calls `hook(context)` before the block's contents move or are replaced.
    void beforeFill(void (*hook)(void*), void* context) {
        hook_ = hook;
        hookContext_ = context;
    }
    // Fills until at least `count` bytes are unread or the source has no more; whether they are.
    bool ensure(std::size_t count) { return end_ - begin_ >= count || topUp(count); }
    std::string_view unread() const { return {block_.get() + begin_, end_ - begin_}; }
    void consume(std::size_t count) { begin_ += count; }
    // Counts the times the block's contents moved or were replaced.
    std::uint64_t fills() const { return fills_; }
    // Whether the source has no more bytes beyond the block.
    bool atEnd() const { return atEnd_; }
    bool full() const { return end_ - begin_ == size_; }

private:
    bool topUp(std::size_t count);

    std::uint64_t fills_ = 0;
    void (*hook_)(void*) = nullptr;
    void* hookContext_ = nullptr;
    InputFile& input_;
    std::size_t size_;
    std::unique_ptr<char[]> block_;  // not cleared: only what was read is ever looked at
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
};

// Whether the bytes from `at` in the unread part of `blocks`, the first byte past ASCII, read
// as UTF-8: judged on up to kUtf8Sample bytes, topping the block up as needed.
bool judgeUtf8(Blocks& blocks, std::size_t at);

// 8-bit lines. While undecided it also looks for the source's first byte past ASCII, and judges
// whether the bytes from there on read as UTF-8.
class ByteLineReader {
public:
    explicit ByteLineReader(Blocks& blocks, bool watchForUtf8);
    bool next(Line& line);
    // Set once the first byte past ASCII was seen: whether it began valid UTF-8.
    bool decided() const { return decided_; }
    bool utf8() const { return utf8_; }
    // Settles the question without looking further (the caller has judged the source).
    void decide(bool utf8);

private:
    bool fill();
    void watch();
    Blocks& blocks_;
    ByteBuffer carried_;  // a line that spans blocks
    bool decided_;
    bool utf8_ = false;
};

// UTF-16 lines after the byte-order mark. An odd byte at the end of the source follows the last
// line, which may then be empty and have no end.
class Utf16LineReader {
public:
    Utf16LineReader(Blocks& blocks, bool bigEndian);
    bool next(Line& line);
    // The odd byte that followed the line just read, if any.
    std::string_view trailing() const { return trailing_; }

private:
    // The next code unit, or -1 at the end of the source.
    int peekUnit();
    void put(char32_t cp);

    Blocks& blocks_;
    bool bigEndian_;
    ByteBuffer text_;
    std::string scratch_;
    std::string trailing_;
};

}  // namespace engine::detail
