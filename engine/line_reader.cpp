#include "engine/line_reader.h"

#include <cstring>

namespace engine::detail {

LineReader::LineReader(InputFile& input, std::size_t blockSize)
    : input_(input), block_(blockSize) {}

bool LineReader::refill() {
    begin_ = 0;
    end_ = input_.read(block_.data(), block_.size());
    return end_ > 0;
}

bool LineReader::next(std::string_view& line, LineEnd& end) {
    carried_.clear();
    bool started = false;
    for (;;) {
        if (begin_ == end_ && !refill()) {
            if (!started) return false;
            line = carried_;
            end = LineEnd::endOfFile;
            return true;
        }
        const char* data = block_.data();
        const void* cr = std::memchr(data + begin_, '\r', end_ - begin_);
        if (cr == nullptr) {
            carried_.append(data + begin_, end_ - begin_);
            begin_ = end_;
            started = true;
            continue;
        }
        const auto crAt = static_cast<std::size_t>(static_cast<const char*>(cr) - data);
        if (started || crAt + 1 == end_) {
            // The line must survive a refill, either because it began in an earlier block
            // or because the byte after the CR is still to be read.
            carried_.append(data + begin_, crAt - begin_);
            line = carried_;
        } else {
            line = std::string_view(data + begin_, crAt - begin_);
        }
        begin_ = crAt + 1;
        if (begin_ == end_ && !refill()) {
            end = LineEnd::loneCr;
            return true;
        }
        if (block_[begin_] == '\n') {
            ++begin_;
            end = LineEnd::crLf;
        } else {
            end = LineEnd::loneCr;
        }
        return true;
    }
}

}  // namespace engine::detail
