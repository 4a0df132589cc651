#include "engine/line_reader.h"

#include <algorithm>
#include <cstring>

#include "engine/byte_scan.h"
#include "engine/unicode.h"

namespace engine::detail {

Blocks::Blocks(InputFile& input, std::size_t blockSize) : input_(input), block_(blockSize) {}

bool Blocks::fill() {
    if (atEnd_) return begin_ < end_;
    const std::size_t kept = end_ - begin_;
    if (kept > 0 && begin_ > 0) std::memmove(block_.data(), block_.data() + begin_, kept);
    begin_ = 0;
    end_ = kept;
    if (kept == block_.size()) return true;
    const std::size_t read = input_.read(block_.data() + kept, block_.size() - kept);
    end_ += read;
    if (read == 0) atEnd_ = true;
    return end_ > 0;
}

bool Blocks::topUp(std::size_t count) {
    while (end_ - begin_ < count && !atEnd_ && !full()) fill();
    return end_ - begin_ >= count;
}

ByteLineReader::ByteLineReader(Blocks& blocks, bool watchForUtf8)
    : blocks_(blocks), decided_(!watchForUtf8) {}

void ByteLineReader::decide(bool utf8) {
    decided_ = true;
    utf8_ = utf8;
}

bool judgeUtf8(Blocks& blocks, std::size_t at) {
    blocks.ensure(at + kUtf8Sample);
    const std::string_view rest = blocks.unread().substr(at);
    const std::string_view sample = rest.substr(0, kUtf8Sample);
    return readsAsUtf8(sample, blocks.atEnd() && sample.size() == rest.size());
}

bool ByteLineReader::next(Line& line) {
    carried_.clear();
    bool started = false;
    std::size_t scanned = 0;  // unread bytes known to hold no line end
    for (;;) {
        std::string_view unread = blocks_.unread();
        if (unread.empty()) {
            if (!blocks_.fill()) {
                if (!started) return false;
                line = {carried_, LineEnd::none, carried_.size()};
                return true;
            }
            unread = blocks_.unread();
        }
        const char* const data = unread.data();
        const auto at = static_cast<std::size_t>(
            findLineEnd(data + scanned, data + unread.size(), !decided_) - data);
        if (at < unread.size() && unread[at] != '\r' && unread[at] != '\n') {
            // The source's first byte past ASCII. Nothing handed out points into the block,
            // so judging may top it up.
            decide(judgeUtf8(blocks_, at));
            scanned = at + 1;
            continue;
        }
        scanned = 0;
        if (at == unread.size()) {
            carried_.append(unread);
            blocks_.consume(unread.size());
            started = true;
            continue;
        }
        const bool cr = unread[at] == '\r';
        if (started || (cr && at + 1 == unread.size())) {
            // The line must survive a refill, either because it began in an earlier block
            // or because the byte after the CR is still to be read.
            carried_.append(unread.substr(0, at));
            line.text = carried_;
        } else {
            line.text = unread.substr(0, at);
        }
        blocks_.consume(at + 1);
        line.end = cr ? LineEnd::cr : LineEnd::lf;
        if (cr && blocks_.ensure(1) && blocks_.unread().front() == '\n') {
            blocks_.consume(1);
            line.end = LineEnd::crLf;
        }
        line.bytes = line.text.size() + (line.end == LineEnd::crLf ? 2 : 1);
        return true;
    }
}

Utf16LineReader::Utf16LineReader(Blocks& blocks, bool bigEndian)
    : blocks_(blocks), bigEndian_(bigEndian) {
    blocks_.ensure(2);
    blocks_.consume(2);  // the byte-order mark, which the caller has seen and counted
}

int Utf16LineReader::peekUnit() {
    if (!blocks_.ensure(2)) return -1;
    const std::string_view unread = blocks_.unread();
    const auto first = static_cast<unsigned char>(unread[0]);
    const auto second = static_cast<unsigned char>(unread[1]);
    return bigEndian_ ? (first << 8 | second) : (second << 8 | first);
}

bool Utf16LineReader::next(Line& line) {
    text_.clear();
    std::uint64_t units = 0;
    char32_t highSurrogate = 0;
    line.end = LineEnd::none;
    for (;;) {
        // Plain units are converted in a tight loop over the block.
        std::string_view unread = blocks_.unread();
        const auto* p = reinterpret_cast<const unsigned char*>(unread.data());
        const std::size_t count = unread.size() / 2;
        std::size_t i = 0;
        if (highSurrogate == 0) {
            const std::size_t before = text_.size();
            text_.resize(before + count);
            char* out = text_.data() + before;
            for (; i < count; ++i) {
                const unsigned unit = bigEndian_ ? (p[2 * i] << 8 | p[2 * i + 1])
                                                 : (p[2 * i + 1] << 8 | p[2 * i]);
                if (unit >= 0x80 || unit == '\r' || unit == '\n') break;
                *out++ = static_cast<char>(unit);
            }
            text_.resize(before + i);
            units += i;
            blocks_.consume(2 * i);
        }
        const int unit = peekUnit();
        if (unit < 0) break;
        blocks_.consume(2);
        if (highSurrogate != 0) {
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                appendUtf8(text_, 0x10000 + ((highSurrogate - 0xD800) << 10) +
                                      static_cast<char32_t>(unit - 0xDC00));
                highSurrogate = 0;
                ++units;
                continue;
            }
            appendUtf8(text_, highSurrogate);  // unpaired: kept as it is
            highSurrogate = 0;
        }
        if (unit == '\r' || unit == '\n') {
            line.end = unit == '\n' ? LineEnd::lf : LineEnd::cr;
            if (unit == '\r' && peekUnit() == '\n') {
                blocks_.consume(2);
                line.end = LineEnd::crLf;
            }
            break;
        }
        ++units;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            highSurrogate = static_cast<char32_t>(unit);
        } else {
            appendUtf8(text_, static_cast<char32_t>(unit));
        }
    }
    if (highSurrogate != 0) appendUtf8(text_, highSurrogate);
    line.bytes = 2 * units + (line.end == LineEnd::crLf ? 4 : line.end == LineEnd::none ? 0 : 2);
    trailing_.clear();
    if (line.end == LineEnd::none) {
        // An odd byte after the last code unit goes with the last line.
        trailing_.assign(blocks_.unread());
        blocks_.consume(trailing_.size());
        line.bytes += trailing_.size();
        if (units == 0 && trailing_.empty()) return false;
    }
    line.text = text_;
    return true;
}

}  // namespace engine::detail
