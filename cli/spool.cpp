#include "cli/spool.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "cli/platform.h"

namespace cli {
namespace {

constexpr std::size_t kPiece = std::size_t{1} << 16;

}  // namespace

TemporaryFile::~TemporaryFile() {
    if (file_ != nullptr) std::fclose(file_);
}

void TemporaryFile::append(std::string_view bytes) {
    if (!opened_) {
        opened_ = true;
        file_ = temporaryFile();
        if (file_ != nullptr) std::setvbuf(file_, nullptr, _IOFBF, kPiece);
    }
    if (file_ == nullptr) {
        memory_.resize(size_);
        memory_.append(bytes);
    } else if (!(atEnd_ || seekFile(file_, size_)) ||
               std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        throw std::runtime_error(std::string("Cannot write a temporary file: ") +
                                 std::strerror(errno));
    }
    atEnd_ = true;
    size_ += bytes.size();
}

void TemporaryFile::read(std::uint64_t offset, std::uint64_t count, const Sink& to) {
    if (file_ == nullptr) {
        to(std::string_view(memory_).substr(offset, count));
        return;
    }
    std::string piece;
    atEnd_ = false;
    // A file that cannot be read back gives what it can.
    if (!seekFile(file_, offset)) return;
    while (count > 0) {
        piece.resize(static_cast<std::size_t>(std::min<std::uint64_t>(count, kPiece)));
        const std::size_t got = std::fread(piece.data(), 1, piece.size(), file_);
        if (got == 0) return;
        to(std::string_view(piece.data(), got));
        count -= got;
    }
}

void Spool::append(std::string_view bytes) {
    if (file_.size() == 0 && memory_.size() + bytes.size() <= limit_) {
        memory_.append(bytes);
        return;
    }
    if (!memory_.empty()) file_.append(memory_);
    memory_.clear();
    file_.append(bytes);
}

void Spool::drainTo(const Sink& to) {
    if (!memory_.empty()) to(memory_);
    if (file_.size() != 0) file_.read(0, file_.size(), to);
    memory_.clear();
    file_.clear();
}

void OrderedOutput::write(std::size_t file, std::string_view bytes) {
    const std::lock_guard lock(mutex_);
    if (straight_ && file == turn_) {
        takeLocked(file, out_);
        out_(bytes);
        return;
    }
    pieces_[file].push_back({waiting_.size(), bytes.size()});
    waiting_.append(bytes);
}

bool OrderedOutput::waiting(std::size_t file) {
    const std::lock_guard lock(mutex_);
    return pieces_.contains(file);
}

void OrderedOutput::take(std::size_t file, const Sink& to) {
    const std::lock_guard lock(mutex_);
    takeLocked(file, to);
}

void OrderedOutput::finish(std::size_t file) {
    const std::lock_guard lock(mutex_);
    takeLocked(file, straight_ ? out_ : Sink());
    turn_ = file + 1;
}

void OrderedOutput::takeLocked(std::size_t file, const Sink& to) {
    const auto found = pieces_.find(file);
    if (found == pieces_.end()) return;
    if (to) {
        for (const Piece& piece : found->second) waiting_.read(piece.offset, piece.size, to);
    }
    pieces_.erase(found);
    // Nothing else waits: the file is written again from its start.
    if (pieces_.empty()) waiting_.clear();
}

}  // namespace cli
