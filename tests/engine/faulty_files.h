// A file layer that passes everything to another one, records what the engine asked for, and
// fails on request: opening a source, a read after some bytes, creating an output, a write after
// some bytes, the commit.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/file_layer.h"

namespace testfiles {

class FaultyFiles : public engine::FileLayer {
public:
    explicit FaultyFiles(engine::FileLayer& inner) : inner_(inner) {}

    std::set<std::filesystem::path> failOpenInput;
    // Source path -> bytes delivered before every further read throws.
    std::map<std::filesystem::path, std::uint64_t> failReadAfter;
    std::set<std::filesystem::path> failCreateOutput;
    // Output path -> bytes accepted before every further write throws.
    std::map<std::filesystem::path, std::uint64_t> failWriteAfter;
    std::set<std::filesystem::path> failCommit;

    std::vector<std::filesystem::path> inputsOpened;
    std::vector<std::filesystem::path> outputsCreated;

    std::unique_ptr<engine::InputFile> openInput(const std::filesystem::path& path) override {
        inputsOpened.push_back(path);
        if (failOpenInput.contains(path)) throw engine::FileError(path, "Input/output error");
        const auto limit = failReadAfter.find(path);
        if (limit == failReadAfter.end()) return inner_.openInput(path);
        return std::make_unique<Input>(inner_.openInput(path), path, limit->second);
    }

    std::unique_ptr<engine::OutputFile> createOutput(
        const std::filesystem::path& finalPath) override {
        outputsCreated.push_back(finalPath);
        if (failCreateOutput.contains(finalPath))
            throw engine::FileError(finalPath, "Permission denied");
        const auto limit = failWriteAfter.find(finalPath);
        return std::make_unique<Output>(inner_.createOutput(finalPath), finalPath,
                                        limit == failWriteAfter.end() ? UINT64_MAX : limit->second,
                                        failCommit.contains(finalPath));
    }

private:
    class Input : public engine::InputFile {
    public:
        Input(std::unique_ptr<engine::InputFile> inner, std::filesystem::path path,
              std::uint64_t limit)
            : inner_(std::move(inner)), path_(std::move(path)), left_(limit) {}

        std::uint64_t size() const override { return inner_->size(); }
        std::size_t read(char* buffer, std::size_t capacity) override {
            if (left_ == 0) throw engine::FileError(path_, "Input/output error");
            const std::size_t n = inner_->read(
                buffer, static_cast<std::size_t>(std::min<std::uint64_t>(capacity, left_)));
            left_ -= n;
            return n;
        }

    private:
        std::unique_ptr<engine::InputFile> inner_;
        std::filesystem::path path_;
        std::uint64_t left_;
    };

    class Output : public engine::OutputFile {
    public:
        Output(std::unique_ptr<engine::OutputFile> inner, std::filesystem::path path,
               std::uint64_t limit, bool failCommit)
            : inner_(std::move(inner)),
              path_(std::move(path)),
              left_(limit),
              failCommit_(failCommit) {}

        void write(const char* data, std::size_t size) override {
            if (size > left_) {
                // The part that still fits reaches the file, as on a device that fills up.
                inner_->write(data, static_cast<std::size_t>(left_));
                left_ = 0;
                throw engine::FileError(path_, "No space left on device");
            }
            left_ -= size;
            inner_->write(data, size);
        }
        void commit() override {
            if (failCommit_) throw engine::FileError(path_, "Input/output error");
            inner_->commit();
        }

    private:
        std::unique_ptr<engine::OutputFile> inner_;
        std::filesystem::path path_;
        std::uint64_t left_;
        bool failCommit_;
    };

    engine::FileLayer& inner_;
};

}  // namespace testfiles
