// In-memory file layers for engine tests: files held in a map, and a huge source generated on
// the fly whose output is checked as it is written, so that sizes past 2 GiB cost no memory.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "engine/file_layer.h"

namespace testfiles {

// Files kept in a map. Reads return at most `readChunk` bytes at a time, so that the engine's
// handling of short reads (a CR at the end of one read, its LF at the start of the next) is
// exercised.
class MemoryFiles : public engine::FileLayer {
public:
    std::map<std::filesystem::path, std::string> files;
    std::size_t readChunk = static_cast<std::size_t>(-1);
    int commits = 0;

    std::unique_ptr<engine::InputFile> openInput(const std::filesystem::path& path) override {
        const auto found = files.find(path);
        if (found == files.end()) throw engine::FileError(path, "No such file");
        return std::make_unique<Input>(found->second, readChunk);
    }

    std::unique_ptr<engine::OutputFile> createOutput(
        const std::filesystem::path& finalPath) override {
        return std::make_unique<Output>(*this, finalPath);
    }

private:
    class Input : public engine::InputFile {
    public:
        Input(std::string content, std::size_t chunk)
            : content_(std::move(content)), chunk_(chunk) {}
        std::uint64_t size() const override { return content_.size(); }
        std::size_t read(char* buffer, std::size_t capacity) override {
            const std::size_t n = std::min({capacity, chunk_, content_.size() - at_});
            std::memcpy(buffer, content_.data() + at_, n);
            at_ += n;
            return n;
        }

    private:
        std::string content_;
        std::size_t chunk_;
        std::size_t at_ = 0;
    };

    class Output : public engine::OutputFile {
    public:
        Output(MemoryFiles& owner, std::filesystem::path path)
            : owner_(owner), path_(std::move(path)) {}
        void write(const char* data, std::size_t size) override { content_.append(data, size); }
        void commit() override {
            owner_.files[path_] = std::move(content_);
            ++owner_.commits;
        }

    private:
        MemoryFiles& owner_;
        std::filesystem::path path_;
        std::string content_;
    };
};

// The bytes of a generated source: lines of `lineLength` bytes ('x' filling, CR LF at the end),
// the last one cut short wherever `size` falls.
struct GeneratedText {
    std::uint64_t size;
    std::uint64_t lineLength;

    void fill(std::uint64_t offset, char* out, std::size_t n) const {
        std::memset(out, 'x', n);
        // The terminators that fall into [offset, offset + n).
        std::uint64_t cr = offset - offset % lineLength + lineLength - 2;
        if (cr + 1 < offset) cr += lineLength;
        for (; cr < offset + n; cr += lineLength) {
            if (cr >= offset) out[cr - offset] = '\r';
            if (cr + 1 >= offset && cr + 1 < offset + n) out[cr + 1 - offset] = '\n';
        }
    }
};

// A source of `text.size` bytes that exists only as a formula.
class GeneratedInput : public engine::InputFile {
public:
    explicit GeneratedInput(GeneratedText text) : text_(text) {}
    std::uint64_t size() const override { return text_.size; }
    std::size_t read(char* buffer, std::size_t capacity) override {
        const auto n =
            static_cast<std::size_t>(std::min<std::uint64_t>(capacity, text_.size - at_));
        text_.fill(at_, buffer, n);
        at_ += n;
        return n;
    }

private:
    GeneratedText text_;
    std::uint64_t at_ = 0;
};

// An output that compares what is written with an expected byte stream instead of keeping it.
class CheckingOutput : public engine::OutputFile {
public:
    // `expected(offset, out, n)` writes the n expected bytes from `offset`.
    using Expected = std::function<void(std::uint64_t, char*, std::size_t)>;
    struct Result {
        std::uint64_t written = 0;
        std::uint64_t firstMismatch = UINT64_MAX;
        bool committed = false;
    };

    CheckingOutput(Expected expected, Result& result)
        : expected_(std::move(expected)), result_(result) {}

    void write(const char* data, std::size_t size) override {
        scratch_.resize(std::max(scratch_.size(), size));
        expected_(result_.written, scratch_.data(), size);
        if (result_.firstMismatch == UINT64_MAX && std::memcmp(scratch_.data(), data, size) != 0) {
            std::size_t k = 0;
            while (scratch_[k] == data[k]) ++k;
            result_.firstMismatch = result_.written + k;
        }
        result_.written += size;
    }
    void commit() override { result_.committed = true; }

private:
    Expected expected_;
    Result& result_;
    std::string scratch_;
};

// One generated source and one checking output; any other path is missing.
class GeneratedFiles : public engine::FileLayer {
public:
    GeneratedFiles(std::filesystem::path source, GeneratedText text,
                   CheckingOutput::Expected expected)
        : source_(std::move(source)), text_(text), expected_(std::move(expected)) {}

    CheckingOutput::Result result;

    std::unique_ptr<engine::InputFile> openInput(const std::filesystem::path& path) override {
        if (path != source_) throw engine::FileError(path, "No such file");
        return std::make_unique<GeneratedInput>(text_);
    }
    std::unique_ptr<engine::OutputFile> createOutput(const std::filesystem::path&) override {
        return std::make_unique<CheckingOutput>(expected_, result);
    }

private:
    std::filesystem::path source_;
    GeneratedText text_;
    CheckingOutput::Expected expected_;
};

}  // namespace testfiles
