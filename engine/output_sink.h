// The output of a pass: gathered into blocks and written in large pieces, huge pieces straight
// from where they lie; converted to UTF-16 or UTF-32 on the way for such a file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
    // bytes stay as they are until flush() returns, so that in the background they are written
    // from where they lie, not copied.
    void appendRaw(std::string_view bytes, bool stable = false);
    // Writes what is gathered, and waits until every byte is written.
    void flush();

    static constexpr std::size_t kBlock = std::size_t{1} << 20;

private:
    // Stable bytes at least this long are handed to the background writer where they lie.
    static constexpr std::size_t kGatherAtLeast = 512;
    static constexpr std::size_t kMostPieces = 1024;

    void appendLarge(std::string_view text);
    // Ends the piece of `pending_` that the bytes appended since the last piece make.
    void closeSegment();
    // Writes what is gathered; in the background, while the next block is gathered.
    void handOver();
    // Bytes that may change once this returns, written now.
    void writeNow(std::string_view bytes);

    OutputFile& file_;
    OutputForm form_;
    // The block being gathered: bytes copied into `pending_`, and the pieces to write in order,
    // of `pending_` or lying elsewhere (`gathered_` bytes of those).
    std::string pending_;
    std::size_t segment_ = 0;
    std::vector<OutputFile::Piece> pieces_;
    std::size_t gathered_ = 0;
    // The block being written in the background.
    std::string spare_;
    std::vector<OutputFile::Piece> sparePieces_;
    bool background_;
    std::optional<BackgroundWriter> writer_;
};

}  // namespace engine::detail
