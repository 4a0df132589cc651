// Stand-ins for engine tests and fuzz targets: a window that records what the engine told it,
// a file layer (in memory, or the real one) that fails on request, and a temporary folder.
#pragma once

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <random>

#include "engine/byte_buffer.h"
#include "engine/engine.h"
#include "engine/file_layer.h"

namespace engine_test {

namespace fs = std::filesystem;

struct Host : engine::RunHost {
    std::vector<fs::path> entries;
    fs::path directory;
    std::string texts[4] = {"<a", ">", "b", "i"}, caption;
    std::function<void(int)> onYield;   // gets the yield's 1-based count
    std::string selects;                // "0+0-1+": entry 0 selected, deselected, 1 selected
    std::vector<std::string> failures;  // "<file name>: <reason>"
    int yields = 0;
    bool stopFlag = false, replaceEnabled = false, stopEnabled = false;
    std::int64_t value = -1, max = -1;
    engine::PassStats stats;

    void selectEntry(int i, bool on) override { selects += std::to_string(i) + (on ? '+' : '-'); }
    void setProgressValue(std::int64_t v) override { value = v; }
    void setProgressMin(std::int64_t) override {}
    void setProgressMax(std::int64_t v) override { max = v; }
    void yield() override {
        ++yields;
        if (onYield) onYield(yields);
    }
    bool stopRequested() const override { return stopFlag; }
    engine::Texts currentTexts() const override { return {texts[0], texts[1], texts[2], texts[3]}; }
    void reportFailure(const fs::path& file, const std::string& reason) override {
        failures.push_back(file.filename().string() + ": " + reason);
    }
    void fileDone(const engine::PassStats& s) override { stats = s; }
    void setReplaceCaption(std::string_view text) override { caption = text; }
    void setReplaceEnabled(bool on) override { replaceEnabled = on; }
    void setStopEnabled(bool on) override { stopEnabled = on; }
    void setStopFlag(bool on) override { stopFlag = on; }
    bool hasChosenFiles() const override {
        return entries.size() && entries[0] != "(No files selected)";
    }
    int entryCount() const override { return static_cast<int>(entries.size()); }
    fs::path entryText(int i) const override { return entries.at(static_cast<std::size_t>(i)); }
    fs::path directoryText() const override { return directory; }
    // The window at rest, as the finish step leaves it.
    bool idle() const { return caption == "Replace" && !stopEnabled && !stopFlag && value == 0; }
};

// Files in `files`, or the `real` ones; records the paths opened, fails at the step named in
// `fail` ("create", "write": the second one, "commit") for the path given there.
struct TestFiles : engine::FileLayer {
    explicit TestFiles(engine::FileLayer* r = nullptr) : real(r) {}
    engine::FileLayer* real;
    std::map<fs::path, std::string> files;
    std::size_t chunk = SIZE_MAX;  // bytes per read, so that terminators straddle two reads
    std::uint64_t repeatTo = 0;    // when set, sources repeat up to this size; outputs are counted
    std::uint64_t written = 0;
    std::map<std::string, fs::path> fail;
    std::vector<fs::path> opened;

    void mayFail(const char* step, const fs::path& path, const char* reason) const {
        if (fail.contains(step) && fail.at(step) == path) throw engine::FileError(path, reason);
    }
    std::unique_ptr<engine::InputFile> openInput(const fs::path& path) override {
        opened.push_back(path);
        if (fail.contains("oom-read") && fail.at("oom-read") == path)
            return std::make_unique<Starved>(real->openInput(path));
        if (real) return real->openInput(path);
        if (!files.contains(path)) throw engine::FileError(path, "No such file");
        return std::make_unique<Input>(files[path], repeatTo ? repeatTo : files[path].size(),
                                       chunk);
    }
    std::unique_ptr<engine::OutputFile> createOutput(const fs::path& path,
                                                     const engine::InputFile& source) override {
        opened.push_back(path);
        mayFail("create", path, "Permission denied");
        return std::make_unique<Output>(*this, path,
                                        real ? real->createOutput(path, source) : nullptr);
    }

    struct Input : engine::InputFile {
        Input(std::string s, std::uint64_t n, std::size_t c) : text(s), total(n), chunk(c) {}
        std::string text;
        std::uint64_t total, at = 0;
        std::size_t chunk;
        std::uint64_t size() const override { return total; }
        std::size_t read(char* out, std::size_t capacity) override {
            const std::size_t from = at % std::max<std::size_t>(text.size(), 1);
            const std::size_t n =
                std::min({capacity, chunk, std::size_t(total - at), text.size() - from});
            std::memcpy(out, text.data() + from, n);
            at += n;
            return n;
        }
        std::size_t readAt(std::uint64_t offset, char* out, std::size_t capacity) override {
            const std::uint64_t kept = at;
            at = offset;
            const std::size_t n = offset < total ? read(out, capacity) : 0;
            at = kept;
            return n;
        }
    };
    // Memory runs out at its second read, as if while a line grew.
    struct Starved : engine::InputFile {
        explicit Starved(std::unique_ptr<engine::InputFile> i) : in(std::move(i)) {}
        std::unique_ptr<engine::InputFile> in;
        int reads = 0;
        std::uint64_t size() const override { return in->size(); }
        std::size_t read(char* out, std::size_t capacity) override {
            if (++reads == 2) throw std::bad_alloc();
            return in->read(out, capacity);
        }
        std::size_t readAt(std::uint64_t offset, char* out, std::size_t capacity) override {
            return in->readAt(offset, out, capacity);
        }
    };
    struct Output : engine::OutputFile {
        Output(TestFiles& o, fs::path p, std::unique_ptr<engine::OutputFile> r)
            : owner(o), path(std::move(p)), real(std::move(r)) {}
        TestFiles& owner;
        fs::path path;
        std::unique_ptr<engine::OutputFile> real;
        std::string text;
        int writes = 0;
        void write(const char* data, std::size_t n) override {
            if (++writes == 2) owner.mayFail("write", path, "No space left on device");
            if (writes == 2 && owner.fail.contains("oom") && owner.fail.at("oom") == path)
                throw std::bad_alloc();
            owner.written += n;
            if (real) real->write(data, n);
            if (!real && !owner.repeatTo) text.append(data, n);
        }
        void commit() override {
            owner.mayFail("commit", path, "Input/output error");
            if (real) real->commit();
            if (!real) owner.files[path] = std::move(text);
        }
    };
};

// A fresh folder, removed with everything in it.
struct TempFolder {
    fs::path path = fs::temp_directory_path() / ("test-" + std::to_string(std::random_device{}()));
    TempFolder() { fs::create_directories(path); }
    ~TempFolder() { fs::remove_all(path); }
    fs::path operator/(const fs::path& name) const { return path / name; }
};

inline void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace engine_test
