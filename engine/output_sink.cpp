#include "engine/output_sink.h"

#include "engine/unicode.h"

namespace engine::detail {

OutputSink::OutputSink(OutputFile& file, OutputForm form) : file_(file), form_(form) {}

void OutputSink::appendRaw(std::string_view bytes) {
    if (pending_.size() + bytes.size() <= kBlock) {
        pending_.append(bytes);
        return;
    }
    flush();
    if (bytes.size() >= kBlock) {
        file_.write(bytes.data(), bytes.size());
    } else {
        pending_.append(bytes);
    }
}

void OutputSink::flush() {
    if (!pending_.empty()) file_.write(pending_.data(), pending_.size());
    pending_.clear();
}

void OutputSink::appendLarge(std::string_view text) {
    if (form_ == OutputForm::bytes) {
        appendRaw(text);
        return;
    }
    // Each byte of the text becomes at most one code unit: convert in pieces that end between
    // two characters.
    const bool wide = form_ == OutputForm::utf32le || form_ == OutputForm::utf32be;
    const bool bigEndian = form_ == OutputForm::utf16be || form_ == OutputForm::utf32be;
    const std::size_t most = kBlock / (wide ? 4 : 2);
    while (!text.empty()) {
        std::size_t piece = std::min(text.size(), most);
        while (piece < text.size() && piece > 0 &&
               (static_cast<unsigned char>(text[piece]) & 0xC0u) == 0x80u) {
            --piece;
        }
        if (piece == 0) piece = std::min(text.size(), most);
        if (pending_.size() + (wide ? 4 : 2) * piece > kBlock) flush();
        if (wide) {
            appendUtf32(pending_, text.substr(0, piece), bigEndian);
        } else {
            appendUtf16(pending_, text.substr(0, piece), bigEndian);
        }
        text.remove_prefix(piece);
    }
}

}  // namespace engine::detail
