// The output of a pass: gathered into blocks and written in large pieces, huge pieces straight
// from where they lie; converted to UTF-16 or UTF-32 on the way for such a file.
#pragma once

#include <string>
#include <string_view>

#include "engine/file_layer.h"

namespace engine::detail {

enum class OutputForm { bytes, utf16le, utf16be, utf32le, utf32be };

class OutputSink {
public:
    OutputSink(OutputFile& file, OutputForm form);

    // Text in the form lines are rewritten in.
    void append(std::string_view text) {
        if (form_ == OutputForm::bytes && pending_.size() + text.size() <= kBlock) {
            pending_.append(text);
            return;
        }
        appendLarge(text);
    }
    // Bytes as they are: a byte-order mark, an odd last byte.
    void appendRaw(std::string_view bytes);
    void flush();

    static constexpr std::size_t kBlock = std::size_t{1} << 20;

private:
    void appendLarge(std::string_view text);

    OutputFile& file_;
    OutputForm form_;
    std::string pending_;
};

}  // namespace engine::detail
