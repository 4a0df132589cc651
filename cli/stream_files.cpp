#include "cli/stream_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/platform.h"

namespace cli {
namespace {

// A stream cannot be read twice: what a pass looks at ahead is kept until it is read, up to
// this much. Past it the stream looks as if it ended there, which only a look for the first
// byte past ASCII ever reaches.
constexpr std::size_t kAheadLimit = std::size_t{16} << 20;

class StandardInput final : public engine::InputFile {
public:
    std::uint64_t size() const override { return kUnknownSize; }

    std::size_t read(char* buffer, std::size_t capacity) override {
        const std::size_t kept = std::min(capacity, ahead_.size() - aheadUsed_);
        std::memcpy(buffer, ahead_.data() + aheadUsed_, kept);
        aheadUsed_ += kept;
        if (aheadUsed_ == ahead_.size()) {
            ahead_.clear();
            aheadUsed_ = 0;
        }
        const std::size_t got = kept + readStream(buffer + kept, capacity - kept);
        position_ += got;
        return got;
    }

    std::size_t readAt(std::uint64_t offset, char* buffer, std::size_t capacity) override {
        if (offset < position_) return 0;  // behind: never asked for
        const std::uint64_t from = offset - position_ + aheadUsed_;
        const std::uint64_t wanted = std::min<std::uint64_t>(from + capacity, kAheadLimit);
        while (ahead_.size() < wanted && !ended_) {
            const std::size_t had = ahead_.size();
            ahead_.resize(static_cast<std::size_t>(wanted));
            ahead_.resize(had + readStream(ahead_.data() + had, ahead_.size() - had));
        }
        if (from >= ahead_.size()) return 0;
        const std::size_t got = std::min<std::size_t>(capacity, ahead_.size() - from);
        std::memcpy(buffer, ahead_.data() + from, got);
        return got;
    }

private:
    std::size_t readStream(char* buffer, std::size_t capacity) {
        std::size_t got = 0;
        while (got < capacity && !ended_) {
            const std::size_t n = std::fread(buffer + got, 1, capacity - got, stdin);
            got += n;
            if (n > 0) continue;
            if (std::ferror(stdin)) throw engine::FileError(kStandardStreams, std::strerror(errno));
            ended_ = true;
        }
        return got;
    }

    std::uint64_t position_ = 0;  // bytes handed out by read()
    std::string ahead_;           // read from the stream, not yet handed out
    std::size_t aheadUsed_ = 0;
    bool ended_ = false;
};

class StandardOutput final : public engine::OutputFile {
public:
    void write(const char* data, std::size_t size) override {
        Stream& out = standardOutput();
        // A reader that has gone away stops the run; other failures fail the file.
        if (!out.write(std::string_view(data, size)) && !readerGone())
            throw engine::FileError(kStandardStreams, out.failure());
    }
    void commit() override {}
};

}  // namespace

std::unique_ptr<engine::InputFile> StreamFiles::openInput(const std::filesystem::path& path) {
    if (path == kStandardStreams) return std::make_unique<StandardInput>();
    return files_.openInput(path);
}

std::unique_ptr<engine::OutputFile> StreamFiles::createOutput(const std::filesystem::path& path,
                                                              const engine::InputFile& source) {
    if (path == kStandardStreams) return std::make_unique<StandardOutput>();
    return files_.createOutput(path, source);
}

}  // namespace cli
