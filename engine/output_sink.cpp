#include "engine/output_sink.h"

#include "engine/unicode.h"

namespace engine::detail {

OutputSink::OutputSink(OutputFile& file, OutputForm form, bool background)
    : file_(file), form_(form), background_(background) {
    // Blocks taken by the writer never move: swapping two of them only swaps where they lie.
    if (!background) return;
    pending_.reserve(kBlock), spare_.reserve(kBlock);
    pieces_.reserve(kMostPieces), sparePieces_.reserve(kMostPieces);
}

void OutputSink::appendRaw(std::string_view bytes, bool stable) {
    if (background_ && stable && bytes.size() >= kGatherAtLeast) {
        closeSegment();
        pieces_.push_back({bytes.data(), bytes.size()});
        gathered_ += bytes.size();
        if (gathered_ >= kBlock || pieces_.size() >= kMostPieces) handOver();
        return;
    }
    if (pending_.size() + bytes.size() <= kBlock) {
        pending_.append(bytes);
        return;
    }
    handOver();
    if (bytes.size() >= kBlock) {
        writeNow(bytes);
    } else {
        pending_.append(bytes);
    }
}

void OutputSink::closeSegment() {
    // `pending_` never grows past its reserved block, so its pieces stay where they are.
    if (pending_.size() == segment_) return;
    pieces_.push_back({pending_.data() + segment_, pending_.size() - segment_});
    segment_ = pending_.size();
}

void OutputSink::handOver() {
    closeSegment();
    if (pieces_.empty()) return;
    // The thread starts with the first block, which most small outputs never fill.
    if (background_ && !writer_) writer_.emplace(file_);
    if (writer_) {
        writer_->write(pieces_.data(), pieces_.size());
        // The block written before this one is done with: it takes the next bytes.
        std::swap(pieces_, sparePieces_);
        std::swap(pending_, spare_);
    } else {
        file_.writePieces(pieces_.data(), pieces_.size());
    }
    pieces_.clear();
    pending_.clear();
    segment_ = 0;
    gathered_ = 0;
}

void OutputSink::writeNow(std::string_view bytes) {
    if (!writer_) return file_.write(bytes.data(), bytes.size());
    const OutputFile::Piece piece{bytes.data(), bytes.size()};
    writer_->write(&piece, 1);
    writer_->finish();
}

void OutputSink::flush() {
    handOver();
    if (writer_) writer_->finish();
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
        if (pending_.size() + (wide ? 4 : 2) * piece > kBlock) handOver();
        if (wide) {
            appendUtf32(pending_, text.substr(0, piece), bigEndian);
        } else {
            appendUtf16(pending_, text.substr(0, piece), bigEndian);
        }
        text.remove_prefix(piece);
    }
}

}  // namespace engine::detail
