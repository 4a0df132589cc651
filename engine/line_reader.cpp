#include "engine/line_reader.h"

#include <algorithm>
#include <cstring>

#include "engine/byte_scan.h"
#include "engine/unicode.h"

namespace engine::detail {
namespace {

constexpr std::size_t kLookAheadPiece = std::size_t{1} << 20;
// How often the memory of mapped bytes handed out is given back.
constexpr std::size_t kRelease = std::size_t{16} << 20;

}  // namespace

Blocks::Blocks(InputFile& input, std::size_t blockSize)
    : input_(input),
      // Room for a whole small source and the read that finds its end: many small files do
      // not each pay for a large block. A stream's unknown size is no small one.
      size_(static_cast<std::size_t>(std::min<std::uint64_t>(
          blockSize, std::min<std::uint64_t>(input.size(), blockSize) + 4096))),
      data_(input.mapped().data()) {
    const std::string_view mapped = input.mapped();
    if (!mapped.empty()) {
        size_ = end_ = mapped.size();
        read_ = mapped.size();
        atEnd_ = true;
        releaseAt_ = kRelease;
        return;
    }
    block_.reset(new char[size_]);
    data_ = block_.get();
}

void Blocks::release() {
    // What the pass still holds of the last few lines stays where it is.
    input_.release(released_, begin_ - kRelease / 4);
    released_ = begin_ - kRelease / 4;
    releaseAt_ = begin_ + kRelease;
}

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
    read_ += read;
    // A file read to the size it had is not asked for more: the pass ends there anyway.
    if (read == 0 || (input_.size() != InputFile::kUnknownSize && read_ >= input_.size()))
        atEnd_ = true;
    return end_ > 0;
}

bool Blocks::topUp(std::size_t count) {
    while (end_ - begin_ < count && !atEnd_ && !full()) fill();
    return end_ - begin_ >= count;
}

std::string_view Blocks::peek(std::uint64_t at, std::size_t count, std::string& scratch) {
    const std::size_t unread = end_ - begin_;
    if (at <= unread && count <= unread - at) return {data_ + begin_ + at, count};
    if (scratch.size() < count) scratch.resize(count);
    std::size_t got = 0;
    if (at < unread) {
        got = unread - static_cast<std::size_t>(at);
        std::memcpy(scratch.data(), data_ + begin_ + at, got);
    }
    std::uint64_t offset = read_ + (at > unread ? at - unread : 0);
    while (got < count && !atEnd_) {
        const std::size_t n = input_.readAt(offset, scratch.data() + got, count - got);
        if (n == 0) break;
        got += n;
        offset += n;
    }
    return {scratch.data(), got};
}

ByteLineReader::ByteLineReader(Blocks& blocks, bool watchForUtf8)
    : blocks_(blocks), decided_(!watchForUtf8) {}

void ByteLineReader::decide(bool utf8) {
    decided_ = true;
    utf8_ = utf8;
}

bool judgeUtf8(Blocks& blocks, std::uint64_t at) {
    // A byte more than the sample tells whether the sample reaches the end of the source.
    std::string scratch;
    const std::string_view sample = blocks.peek(at, kUtf8Sample + 1, scratch);
    return readsAsUtf8(sample.substr(0, kUtf8Sample), sample.size() <= kUtf8Sample);
}

std::optional<bool> judgeAhead(Blocks& blocks) {
    std::string scratch;
    for (std::uint64_t at = 0;;) {
        const std::string_view piece = blocks.peek(at, kLookAheadPiece, scratch);
        const std::size_t hit = firstPastAscii(piece);
        if (hit != std::string_view::npos) return judgeUtf8(blocks, at + hit);
        blocks.forget(at, piece.size());
        if (piece.size() < kLookAheadPiece) return std::nullopt;
        at += piece.size();
    }
}

bool ByteLineReader::nextAcross(Line& line) {
    line.more = false;
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
        if (blocks_.fills() != fills_) {
            cursor_.reset();
            fills_ = blocks_.fills();
        }
        const char* const data = unread.data();
        const auto at = static_cast<std::size_t>(
            cursor_.next(data + scanned, data + unread.size(), !decided_) - data);
        if (at < unread.size() && unread[at] != '\r' && unread[at] != '\n') {
            // The source's first byte past ASCII.
            decide(judgeUtf8(blocks_, at));
            scanned = at + 1;
            continue;
        }
        scanned = 0;
        if (at == unread.size()) {
            if (blocks_.mapped()) {  // the last line lies whole in the block, without an end
                line = {unread, LineEnd::none, unread.size(), {}};
                blocks_.consume(unread.size());
                return true;
            }
            carried_.append(unread);
            blocks_.consume(unread.size());
            started = true;
            continue;
        }
        const bool cr = unread[at] == '\r';
        if (started || (cr && at + 1 == unread.size() && !blocks_.atEnd())) {
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

UnitLineReader::UnitLineReader(Blocks& blocks, std::size_t unitSize, bool bigEndian)
    : blocks_(blocks),
      unitSize_(unitSize),
      bigEndian_(bigEndian),
      copyPlain_(unitSize == 4
                     ? (bigEndian ? &narrowPlainUnits<4, true> : &narrowPlainUnits<4, false>)
                     : (bigEndian ? &narrowPlainUnits<2, true> : &narrowPlainUnits<2, false>)),
      findEnd_(unitLineEndFinder(unitSize, bigEndian)) {}

bool UnitLineReader::nextUnconverted(Line& line) {
    const std::string_view unread = blocks_.unread();
    const auto* units = reinterpret_cast<const unsigned char*>(unread.data());
    const std::size_t count = unread.size() / unitSize_;
    const std::size_t at = findEnd_(units, count);
    if (at == count || unread.data() + unitSize_ * at > limit_) return false;
    const auto unit = [&](std::size_t i) {
        return unitValue(units + unitSize_ * i, unitSize_, bigEndian_);
    };
    std::size_t endUnits = 1;
    line.end = LineEnd::lf;
    if (unit(at) == '\r') {
        // An LF that may follow is still to be read.
        if (at + 1 == count && !blocks_.atEnd()) return false;
        line.end = at + 1 < count && unit(at + 1) == '\n' ? LineEnd::crLf : LineEnd::cr;
        endUnits = line.end == LineEnd::crLf ? 2 : 1;
    }
    line.bytes = unitSize_ * (at + endUnits);
    line.raw = unread.substr(0, line.bytes);
    line.text = {};
    line.converted = false;
    trailing_.clear();
    units_ = at;
    blocks_.consume(line.bytes);
    return true;
}

void UnitLineReader::put(char32_t cp) {
    scratch_.clear();
    appendUtf8(scratch_, cp);
    text_.append(scratch_);
}

std::uint64_t UnitLineReader::peekUnit() {
    if (!blocks_.ensure(unitSize_)) return kNoUnit;
    return unitValue(reinterpret_cast<const unsigned char*>(blocks_.unread().data()), unitSize_,
                     bigEndian_);
}

bool UnitLineReader::next(Line& line) {
    if (limit_ != nullptr && nextUnconverted(line)) return true;
    line.converted = true;
    blocks_.ensure(unitSize_);
    const char* const rawBegin = blocks_.unread().data();
    const std::uint64_t fills = blocks_.fills();
    text_.clear();
    units_ = 0;
    char32_t highSurrogate = 0;
    line.end = LineEnd::none;
    for (;;) {
        // Plain units are converted in a tight loop over the block.
        if (highSurrogate == 0) {
            const std::string_view unread = blocks_.unread();
            const std::size_t count = unread.size() / unitSize_;
            char* const out = text_.room(count);
            const std::size_t i =
                copyPlain_(reinterpret_cast<const unsigned char*>(unread.data()), count, out);
            text_.grow(i);
            units_ += i;
            blocks_.consume(unitSize_ * i);
        }
        const std::uint64_t unit = peekUnit();
        if (unit == kNoUnit) break;
        blocks_.consume(unitSize_);
        if (highSurrogate != 0) {
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                put(0x10000 + ((highSurrogate - 0xD800) << 10) +
                    static_cast<char32_t>(unit - 0xDC00));
                highSurrogate = 0;
                ++units_;
                continue;
            }
            put(highSurrogate);  // unpaired: kept as it is
            highSurrogate = 0;
        }
        if (unit == '\r' || unit == '\n') {
            line.end = unit == '\n' ? LineEnd::lf : LineEnd::cr;
            if (unit == '\r' && peekUnit() == '\n') {
                blocks_.consume(unitSize_);
                line.end = LineEnd::crLf;
            }
            break;
        }
        ++units_;
        // UTF-32 has no pairs: a surrogate there stands alone.
        if (unitSize_ == 2 && unit >= 0xD800 && unit <= 0xDBFF) {
            highSurrogate = static_cast<char32_t>(unit);
        } else {
            put(static_cast<char32_t>(unit));
        }
    }
    if (highSurrogate != 0) put(highSurrogate);
    const std::size_t endUnits = line.end == LineEnd::crLf ? 2 : line.end == LineEnd::none ? 0 : 1;
    line.bytes = unitSize_ * (units_ + endUnits);
    trailing_.clear();
    if (line.end == LineEnd::none) {
        // An incomplete unit after the last one goes with the last line.
        trailing_.assign(blocks_.unread());
        blocks_.consume(trailing_.size());
        line.bytes += trailing_.size();
        if (units_ == 0 && trailing_.empty()) return false;
    }
    line.text = text_.view();
    line.raw =
        blocks_.fills() == fills ? std::string_view(rawBegin, line.bytes) : std::string_view();
    return true;
}

}  // namespace engine::detail
