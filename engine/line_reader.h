// Splits a source into lines, reading it in large blocks: a line ends at CR LF, a lone CR or
// an LF. Bytes are read as 8-bit text (which includes UTF-8), or as UTF-16 or UTF-32 code units
// that are handed out in the generalised UTF-8 of unicode.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/byte_buffer.h"
#include "engine/byte_scan.h"
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
    // False for a line of code units handed out as it lies, without its text (see
    // UnitLineReader::convertFrom()).
    bool converted = true;
    // True for a piece of a long line that goes on past it (see ByteLineReader::handOutPieces()).
    bool more = false;
};

// The source in blocks: the part of the block not yet handed out is [begin, end). A source that
// is mapped into memory is one block, read in place.
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
    std::string_view unread() const { return {data_ + begin_, end_ - begin_}; }
    void consume(std::size_t count) {
        begin_ += count;
        if (begin_ >= releaseAt_) release();
    }
    // Whether the whole source lies in the block, so that nothing in it ever moves.
    bool mapped() const { return block_ == nullptr; }
    // Lets the system take back the memory of `count` unread bytes from `at` on, read ahead and
    // not needed until the pass gets there.
    void forget(std::uint64_t at, std::size_t count) {
        if (mapped()) input_.release(begin_ + at, begin_ + at + count);
    }
    // Counts the times the block's contents moved or were replaced.
    std::uint64_t fills() const { return fills_; }
    // Whether the source has no more bytes beyond the block.
    bool atEnd() const { return atEnd_; }
    bool full() const { return end_ - begin_ == size_; }
    // `count` bytes of the source from the unread byte `at` on, fewer only at its end: in the
    // block where they lie there, otherwise copied to `scratch`, the part past the block read
    // ahead through the same file. The block stays as it is.
    std::string_view peek(std::uint64_t at, std::size_t count, std::string& scratch);

private:
    bool topUp(std::size_t count);
    // Gives back the memory of mapped bytes long handed out.
    void release();

    std::uint64_t fills_ = 0;
    void (*hook_)(void*) = nullptr;
    void* hookContext_ = nullptr;
    InputFile& input_;
    std::size_t size_;
    std::unique_ptr<char[]> block_;  // not cleared: only what was read is ever looked at
    const char* data_;               // the block, or the mapped source
    std::size_t releaseAt_ = SIZE_MAX;
    std::size_t released_ = 0;  // of the mapped bytes handed out, those given back
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::uint64_t read_ = 0;  // where the file's next read begins
    bool atEnd_ = false;
};

// Whether the source from the unread byte `at` on, its first byte past ASCII, reads as UTF-8:
// judged on kUtf8Sample bytes from there, or the rest of the source.
bool judgeUtf8(Blocks& blocks, std::uint64_t at);

// The same judgement for the first byte past ASCII in what is still unread, looked for ahead
// through the file; nothing when the rest of the source is all ASCII.
std::optional<bool> judgeAhead(Blocks& blocks);

// 8-bit lines. While undecided it also looks for the source's first byte past ASCII, and judges
// whether the bytes from there on read as UTF-8.
class ByteLineReader {
public:
    explicit ByteLineReader(Blocks& blocks, bool watchForUtf8);
    bool next(Line& line) {
        // Most lines lie in the block with their end (and the byte after it), which the cursor
        // has classified already.
        const std::string_view unread = blocks_.unread();
        const char* const data = unread.data();
        const char* const end = data + unread.size();
        if (fills_ != blocks_.fills() || unread.empty()) return nextAcross(line);
        line.more = false;
        const char* const scanEnd = pieces_ && unread.size() > kPiece ? data + kPiece : end;
        const char* const at = cursor_.next(data, scanEnd, !decided_);
        if (at == scanEnd && scanEnd != end) {  // a piece of a line that goes on
            line = {{data, kPiece}, LineEnd::none, kPiece, {data, kPiece}};
            line.more = true;
            blocks_.consume(kPiece);
            return true;
        }
        if (at == end && blocks_.mapped()) {  // the last line, whole in the block, without an end
            line = {unread, LineEnd::none, unread.size(), {}};
            blocks_.consume(unread.size());
            return true;
        }
        if (end - at < 2 || (*at != '\n' && *at != '\r')) return nextAcross(line);
        const bool crLf = *at == '\r' && at[1] == '\n';
        line.end = *at == '\n' ? LineEnd::lf : crLf ? LineEnd::crLf : LineEnd::cr;
        line.text = {data, static_cast<std::size_t>(at - data)};
        line.bytes = line.text.size() + (crLf ? 2 : 1);
        line.raw = {data, line.bytes};
        line.converted = true;
        blocks_.consume(line.bytes);
        return true;
    }
    // Set once the first byte past ASCII was seen: whether it began valid UTF-8.
    bool decided() const { return decided_; }
    bool utf8() const { return utf8_; }
    // Settles the question without looking further (the caller has judged the source).
    void decide(bool utf8);
    // Where the source lies whole in the block, a line longer than a piece is handed out in
    // pieces as it is read, each with `more` set, rather than scanned to its end first; the
    // last piece is the rest of the line, with its end. A piece holds no line end and, while
    // the question is open, no byte past ASCII.
    void handOutPieces(bool on) { pieces_ = on && blocks_.mapped(); }
    static constexpr std::size_t kPiece = std::size_t{1} << 20;
    // Bytes of the line being read taken so far.
    std::uint64_t taken() const { return carried_.size(); }

private:
    bool nextAcross(Line& line);
    Blocks& blocks_;
    LineEndCursor cursor_;
    std::uint64_t fills_ = 0;  // of the block the cursor has classified
    ByteBuffer carried_;       // a line that spans blocks
    bool decided_;
    bool utf8_ = false;
    bool pieces_ = false;
};

// Lines of UTF-16 or UTF-32 code units (`unitSize` 2 or 4), after any byte-order mark. An
// incomplete last unit follows the last line, which may then be empty and have no end.
class UnitLineReader {
public:
    UnitLineReader(Blocks& blocks, std::size_t unitSize, bool bigEndian);
    bool next(Line& line);
    // Converting most lines is wasted work: a line that lies whole in the block with its end,
    // and whose text ends at or before `limit` in the block, is handed out as it lies. Null
    // converts every line.
    void convertFrom(const char* limit) { limit_ = limit; }
    // The bytes of an incomplete unit that followed the line just read, if any.
    std::string_view trailing() const { return trailing_; }
    // Bytes of the line being read taken so far.
    std::uint64_t taken() const { return units_ * unitSize_; }

private:
    static constexpr std::uint64_t kNoUnit = std::uint64_t{1} << 32;
    // The next code unit, or kNoUnit at the end of the source.
    std::uint64_t peekUnit();
    void put(char32_t cp);
    bool nextUnconverted(Line& line);

    Blocks& blocks_;
    std::size_t unitSize_;
    bool bigEndian_;
    // Copies the plain units (ASCII, no line end) at the front of a run; returns their count.
    std::size_t (*copyPlain_)(const unsigned char* units, std::size_t count, char* out);
    std::size_t (*findEnd_)(const unsigned char* units, std::size_t count);
    const char* limit_ = nullptr;
    std::uint64_t units_ = 0;
    ByteBuffer text_;
    std::string scratch_;
    std::string trailing_;
};

}  // namespace engine::detail
