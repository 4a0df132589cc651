#include "engine/line_reader.h"

#include <algorithm>
#include <cstring>

#include "engine/byte_scan.h"
#include "engine/unicode.h"

namespace engine::detail {
namespace {

// Copies the code units at `p` that are ASCII and no line end, up to `count` of them, to `out`
// as bytes; returns how many there were.
template <bool BigEndian>
std::size_t copyPlainUnits(const unsigned char* p, std::size_t count, char* out) {
    std::size_t i = 0;
#ifdef ENGINE_HAVE_SSE2
    const __m128i pastAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i cr = _mm_set1_epi16('\r');
    const __m128i lf = _mm_set1_epi16('\n');
    const __m128i zero = _mm_setzero_si128();
    for (; i + 8 <= count; i += 8) {
        __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * i));
        if (BigEndian) units = _mm_or_si128(_mm_slli_epi16(units, 8), _mm_srli_epi16(units, 8));
        const __m128i ends = _mm_or_si128(_mm_cmpeq_epi16(units, cr), _mm_cmpeq_epi16(units, lf));
        const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(units, pastAscii), zero);
        if (_mm_movemask_epi8(_mm_andnot_si128(ends, ascii)) != 0xFFFF) break;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(units, units));
    }
#endif
    for (; i < count; ++i) {
        const unsigned unit =
            BigEndian ? (p[2 * i] << 8 | p[2 * i + 1]) : (p[2 * i + 1] << 8 | p[2 * i]);
        if (unit >= 0x80 || unit == '\r' || unit == '\n') break;
        out[i] = static_cast<char>(unit);
    }
    return i;
}

}  // namespace

Blocks::Blocks(InputFile& input, std::size_t blockSize)
    : input_(input),
      // Room for a whole small source and the read that finds its end: many small files do
      // not each pay for a large block.
      size_(static_cast<std::size_t>(std::min<std::uint64_t>(blockSize, input.size() + 4096))),
      block_(new char[size_]) {}

bool Blocks::fill() {
    if (atEnd_) return begin_ < end_;
    if (hook_ != nullptr) hook_(hookContext_);
    ++fills_;
    const std::size_t kept = end_ - begin_;
    if (kept > 0 && begin_ > 0) std::memmove(block_.get(), block_.get() + begin_, kept);
    begin_ = 0;
    end_ = kept;
    if (kept == size_) return true;
    const std::size_t read = input_.read(block_.get() + kept, size_ - kept);
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
                line = {carried_.view(), LineEnd::none, carried_.size(), {}};
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
            line.text = carried_.view();
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
        line.raw = started || line.text.data() == carried_.data()
                       ? std::string_view()
                       : std::string_view(line.text.data(), line.bytes);
        return true;
    }
}

Utf16LineReader::Utf16LineReader(Blocks& blocks, bool bigEndian)
    : blocks_(blocks), bigEndian_(bigEndian) {
    blocks_.ensure(2);
    blocks_.consume(2);  // the byte-order mark, which the caller has seen and counted
}

void Utf16LineReader::put(char32_t cp) {
    scratch_.clear();
    appendUtf8(scratch_, cp);
    text_.append(scratch_);
}

int Utf16LineReader::peekUnit() {
    if (!blocks_.ensure(2)) return -1;
    const std::string_view unread = blocks_.unread();
    const auto first = static_cast<unsigned char>(unread[0]);
    const auto second = static_cast<unsigned char>(unread[1]);
    return bigEndian_ ? (first << 8 | second) : (second << 8 | first);
}

bool Utf16LineReader::next(Line& line) {
    blocks_.ensure(2);
    const char* const rawBegin = blocks_.unread().data();
    const std::uint64_t fills = blocks_.fills();
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
            char* const out = text_.room(count);
            i = bigEndian_ ? copyPlainUnits<true>(p, count, out)
                           : copyPlainUnits<false>(p, count, out);
            text_.grow(i);
            units += i;
            blocks_.consume(2 * i);
        }
        const int unit = peekUnit();
        if (unit < 0) break;
        blocks_.consume(2);
        if (highSurrogate != 0) {
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                put(0x10000 + ((highSurrogate - 0xD800) << 10) +
                    static_cast<char32_t>(unit - 0xDC00));
                highSurrogate = 0;
                ++units;
                continue;
            }
            put(highSurrogate);  // unpaired: kept as it is
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
            put(static_cast<char32_t>(unit));
        }
    }
    if (highSurrogate != 0) put(highSurrogate);
    line.bytes = 2 * units + (line.end == LineEnd::crLf ? 4 : line.end == LineEnd::none ? 0 : 2);
    trailing_.clear();
    if (line.end == LineEnd::none) {
        // An odd byte after the last code unit goes with the last line.
        trailing_.assign(blocks_.unread());
        blocks_.consume(trailing_.size());
        line.bytes += trailing_.size();
        if (units == 0 && trailing_.empty()) return false;
    }
    line.text = text_.view();
    line.raw =
        blocks_.fills() == fills ? std::string_view(rawBegin, line.bytes) : std::string_view();
    return true;
}

}  // namespace engine::detail
