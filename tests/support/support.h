// What the tests share: a temporary folder, files read and written whole, text in code units, an
// observer that records what a pass told it, and a file layer (in memory, or over the real one)
// that fails on request.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <utility>
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

inline std::vector<std::string> with(std::vector<std::string> a,
                                     const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Code units of `size` bytes in either byte order, after their byte-order mark unless `mark` is
// false; a unit may be no character (an unpaired surrogate, a value past U+10FFFF).
inline std::string units(const std::u32string& text, int size, bool bigEndian, bool mark = true) {
    std::string bytes = !mark ? "" : size == 2 ? "\xFE\xFF" : std::string("\0\0\xFE\xFF", 4);
    if (!bigEndian) bytes.assign(bytes.rbegin(), bytes.rend());
    for (const char32_t unit : text)
        for (int i = 0; i < size; ++i)
            bytes += static_cast<char>(unit >> 8 * (bigEndian ? size - 1 - i : i));
    return bytes;
}

// A fresh folder, removed with everything in it.
struct TempFolder {
    // random_device may repeat itself (MinGW) and Wine reuses process ids: the clock and a count
    // keep the folders of runs and tests apart.
    static inline int made = 0;
    fs::path path = fs::temp_directory_path() /
                    ("test-" + std::to_string(std::random_device{}()) + "-" +
                     std::to_string(std::chrono::system_clock::now().time_since_epoch().count()) +
                     "-" + std::to_string(++made));
    TempFolder() { fs::create_directories(path); }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    fs::path operator/(const fs::path& name) const { return path / name; }

    // Writes every file, with its folders; a content "@x" makes a symbolic link to x, "=x" a
    // hard link to x (written before); false where the system cannot.
    bool write(const Files& files) const {
        std::error_code error;
        for (const auto& [name, text] : files) {
            fs::create_directories((path / name).parent_path());
            if (text.starts_with('@')) fs::create_symlink(text.substr(1), path / name, error);
            if (text.starts_with('=')) fs::create_hard_link(path / text.substr(1), path / name);
            if (!text.starts_with('@') && !text.starts_with('=')) writeFile(path / name, text);
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
    bool exact = false, stop = false, skipBinary = false;
    std::function<void(int)> onYield;  // gets the yield's 1-based count
    int yields = 0;
    std::int64_t done = -1, total = -1;
    std::vector<std::string> failures;  // "<file name>: <reason>"

    engine::Texts texts() const override { return {text[0], text[1], text[2], text[3], 0, exact}; }
    bool stopRequested() override {
        ++yields;
        if (onYield) onYield(yields);
        return stop;
    }
    void progress(std::int64_t d, std::int64_t t) override { done = d, total = t; }
    bool skipsBinary() const override { return skipBinary; }
    engine::Observer* fileStarting(std::size_t, unsigned) override { return this; }
    std::atomic<int> reported = 0;  // reports of a run, which may come on another thread
    void fileDone(std::size_t, const engine::FileReport& report) override {
        ++reported;
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
        if (!real && !files.contains(path)) throw engine::FileError(path, "No such file");
        auto input = std::make_unique<Input>(real ? real->openInput(path) : nullptr);
        input->starved = fails("oom-read", path);
        if (!real) input->text = files[path], input->chunk = chunk;
        input->total = repeatTo ? repeatTo : input->text.size();
        return input;
    }
    std::unique_ptr<engine::OutputFile> createOutput(const fs::path& path,
                                                     const engine::InputFile& source) override {
        opened.push_back(path);
        mayFail("create", path, "Permission denied");
        return std::make_unique<Output>(*this, path,
                                        real ? real->createOutput(path, source) : nullptr);
    }

    void backUp(const fs::path& source, const fs::path& backup) override {
        real->backUp(source, backup);  // no test backs up files in memory
    }

    // The real file, or `text` repeated up to `total` bytes.
    struct Input : engine::InputFile {
        explicit Input(std::unique_ptr<engine::InputFile> r) : real(std::move(r)) {}
        std::unique_ptr<engine::InputFile> real;
        std::string text;
        std::uint64_t total = 0, at = 0;
        std::size_t chunk = SIZE_MAX;
        bool starved = false;  // memory runs out at the second read, as if while a line grew
        int reads = 0;
        engine::Permissions permissions() const override {
            return real ? real->permissions() : engine::Permissions{};
        }
        std::uint64_t size() const override { return real ? real->size() : total; }
        // A starved file is read, so that memory can run out at a read.
        std::string_view mapped() const override {
            return real && !starved ? real->mapped() : std::string_view();
        }
        void checkUnchanged() const override {
            if (real) real->checkUnchanged();
        }
        std::size_t read(char* out, std::size_t capacity) override {
            if (++reads == 2 && starved) throw std::bad_alloc();
            return real ? real->read(out, capacity) : take(out, capacity);
        }
        std::size_t readAt(std::uint64_t offset, char* out, std::size_t capacity) override {
            if (real) return real->readAt(offset, out, capacity);
            const std::uint64_t kept = std::exchange(at, offset);
            const std::size_t n = offset < total ? take(out, capacity) : 0;
            at = kept;
            return n;
        }
        std::size_t take(char* out, std::size_t capacity) {
            const std::size_t from = at % std::max<std::size_t>(text.size(), 1);
            const std::size_t n =
                std::min({capacity, chunk, std::size_t(total - at), text.size() - from});
            std::memcpy(out, text.data() + from, n);
            at += n;
            return n;
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
