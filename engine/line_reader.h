// Splits a source into lines at CR LF or a lone CR, reading it in large blocks.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/file_layer.h"

namespace engine::detail {

enum class LineEnd { crLf, loneCr, endOfFile };

class LineReader {
public:
    explicit LineReader(InputFile& input, std::size_t blockSize = std::size_t{1} << 20);

    // The next line without its terminator, valid until the next call; false once the source
    // is exhausted. An LF alone does not end a line.
    bool next(std::string_view& line, LineEnd& end);

private:
    bool refill();

    InputFile& input_;
    std::vector<char> block_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::string carried_;  // a line that spans blocks
};

}  // namespace engine::detail
