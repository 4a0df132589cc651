// The output of a pass: gathered into blocks and written in large pieces, huge pieces straight
// from where they lie; converted to UTF-16 or UTF-32 on the way for such a file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/background_writer.h"
#include "engine/file_layer.h"

namespace engine::detail {

enum class OutputForm { bytes, utf16le, utf16be, utf32le, utf32be };

class OutputSink {
public:
    // With `background`, the file is written on a thread of its own.
    OutputSink(OutputFile& file, OutputForm form, bool background = false);

    // Text in the form lines are rewritten in.
    void append(std::string_view text) {
        if (form_ == OutputForm::bytes && pending_.size() + text.size() <= kBlock) {
            pending_.append(text);
            return;
        }
        appendLarge(text);
    }
    // Bytes as they are: a byte-order mark, an odd last byte, lines kept as they lay. `stable`
    // bytes stay as they are until flush() returns, so that they can be written from where
    // they lie while the pass goes on.
    void appendRaw(std::string_view bytes, bool stable = false);
    // Writes what is gathered, and waits until every byte is written.
    void flush();

    static constexpr std::size_t kBlock = std::size_t{1} << 20;

private:
    void appendLarge(std::string_view text);
    // Writes what is gathered; in the background, while the next block is gathered.
    void handOver();
    void write(std::string_view bytes, bool stable);

    OutputFile& file_;
    OutputForm form_;
    std::string pending_;
    std::string spare_;  // the block being written in the background
    bool background_;
    std::optional<BackgroundWriter> writer_;
};

}  // namespace engine::detail
