// What the tests share: a temporary folder, files read and written whole, an observer that
// records what a pass told it, and a file layer (in memory, or over the real one) that fails on
// request.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/file_layer.h"

namespace test {

namespace fs = std::filesystem;

// Files by their names relative to a folder, with their contents.
using Files = std::map<std::string, std::string>;

inline void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh folder, removed with everything in it.
struct TempFolder {
    fs::path path = fs::temp_directory_path() / ("test-" + std::to_string(std::random_device{}()) +
                                                 "-" + std::to_string(++count()));
    TempFolder() { fs::create_directories(path); }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    fs::path operator/(const fs::path& name) const { return path / name; }
    static int& count() {
        static int made = 0;
        return made;
    }

    // Writes every file, with its folders; a content "@x" makes a symbolic link to x, false
    // where the system cannot.
    bool write(const Files& files) const {
        std::error_code error;
        for (const auto& [name, text] : files) {
            fs::create_directories((path / name).parent_path());
            if (text.starts_with('@')) fs::create_symlink(text.substr(1), path / name, error);
            if (!text.starts_with('@')) writeFile(path / name, text);
        }
        return !error;
    }
    // Every file below the folder; anything but a regular file (an empty folder too) reads
    // "<other>".
    Files read() const {
        Files found;
        for (const auto& entry : fs::recursive_directory_iterator(path)) {
            if (entry.is_directory() && !fs::is_empty(entry.path())) continue;
            found[entry.path().lexically_relative(path).generic_string()] =
                entry.is_regular_file() ? readFile(entry.path()) : "<other>";
        }
        return found;
    }
};

// Records what a pass told it; as a run's observer it observes every file itself.
struct Recorder : engine::Observer, engine::RunObserver {
    std::string text[4] = {"<a", ">", "b", "i"};
    std::function<void(int)> onYield;  // gets the yield's 1-based count
    bool stop = false;
    bool skipBinary = false;
    int yields = 0;
    std::int64_t done = -1, total = -1;
    std::vector<std::string> failures;  // "<file name>: <reason>"

    engine::Texts texts() const override { return {text[0], text[1], text[2], text[3]}; }
    bool stopRequested() override {
        ++yields;
        if (onYield) onYield(yields);
        return stop;
    }
    void progress(std::int64_t d, std::int64_t t) override { done = d, total = t; }
    bool skipsBinary() const override { return skipBinary; }
    engine::Observer* fileStarting(std::size_t, unsigned) override { return this; }
    void fileDone(std::size_t, const engine::FileReport& report) override {
        if (report.outcome != engine::FileReport::Outcome::failed) return;
        failures.push_back(report.failedFile.filename().string() + ": " + report.reason);
    }
    // A pass of `source`, its output beside it.
    engine::FileReport pass(const fs::path& source,
                            engine::FileLayer& files = engine::systemFiles()) {
        const engine::FileReport report =
            engine::passFile({source, engine::outputPath(source)}, *this, files);
        fileDone(0, report);
        return report;
    }
};

// Files in `files`, or the `real` ones; records the paths opened, fails at the step named in
// `fail` ("create", "write": the second one, "commit", "oom": out of memory at the second write,
// "oom-read": at the second read) for the path given there.
struct TestFiles : engine::FileLayer {
    explicit TestFiles(engine::FileLayer* r = nullptr) : real(r) {}
    engine::FileLayer* real;
    std::map<fs::path, std::string> files;
    std::size_t chunk = SIZE_MAX;  // bytes per read, so that terminators straddle two reads
    std::uint64_t repeatTo = 0;    // when set, sources repeat up to this size; outputs are counted
    std::uint64_t written = 0;
    std::map<std::string, fs::path> fail;
    std::vector<fs::path> opened;

    bool fails(const char* step, const fs::path& path) const {
        return fail.contains(step) && fail.at(step) == path;
    }
    void mayFail(const char* step, const fs::path& path, const char* reason) const {
        if (fails(step, path)) throw engine::FileError(path, reason);
    }
    std::unique_ptr<engine::InputFile> openInput(const fs::path& path) override {
        opened.push_back(path);
        if (fails("oom-read", path)) return std::make_unique<Starved>(real->openInput(path));
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
            if (writes == 2 && owner.fails("oom", path)) throw std::bad_alloc();
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

}  // namespace test
