#include "corpus.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

#include "copy.h"

namespace bench {
namespace {

// The texts in views made once, as a window keeps its texts converted, rather than measured
// every line; nothing else is done per line, so a timing shows the engine's own cost.
struct Fixed final : engine::Observer, engine::RunObserver {
    explicit Fixed(const engine::Texts& given) : texts_(given) {}
    engine::Texts texts() const override { return texts_; }
    engine::Observer* fileStarting(std::size_t, unsigned) override { return this; }
    void fileDone(std::size_t, const engine::FileReport& report) override {
        if (report.outcome != engine::FileReport::Outcome::failed) return;
        std::fprintf(stderr, "%s: %s\n", report.failedFile.string().c_str(), report.reason.c_str());
        std::exit(1);
    }
    engine::Texts texts_;
};

const engine::Texts kDefaults{kDefaultStart, kDefaultStop, kDefaultSearch, kDefaultReplacement, 1};

}  // namespace

engine::FileReport passWith(const std::filesystem::path& file, const engine::Texts& texts) {
    Fixed observer(texts);
    const engine::FileReport report = engine::passFile({file, engine::outputPath(file)}, observer);
    observer.fileDone(0, report);
    return report;
}

engine::FileReport passDefaults(const std::filesystem::path& file) {
    return passWith(file, kDefaults);
}

void runDefaults(const engine::RunPlan& plan) {
    Fixed observer(kDefaults);
    engine::run(plan, observer);
}

std::vector<std::filesystem::path> writeSmallFiles(const std::filesystem::path& folder, int count) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::string text;
    while (text.size() < 1024 - 64) {
        text += std::string(kDefaultStart) + "p\" " + kDefaultStop + "x</a>\r\n";
    }
    std::vector<std::filesystem::path> names;
    for (int i = 0; i < count; ++i) {
        names.push_back("page" + std::to_string(i) + ".htm");
        std::ofstream(folder / names.back(), std::ios::binary) << text;
    }
    return names;
}

int smallFileCountFromEnvironment() {
    const char* text = std::getenv("BENCH_SMALL_FILES");
    const int count = text != nullptr ? std::atoi(text) : 0;
    return count > 0 ? count : 20000;
}

void dropOutputs(const std::vector<std::filesystem::path>& sources) {
    for (const std::filesystem::path& source : sources) removeFile(engine::outputPath(source));
#ifndef _WIN32
    if (std::system("sync") != 0) std::fprintf(stderr, "sync failed\n");
#endif
}

std::uint64_t corpusBytesFromEnvironment() {
    const char* text = std::getenv("BENCH_CORPUS_MB");
    const std::uint64_t megabytes = text != nullptr ? std::strtoull(text, nullptr, 10) : 200;
    return (megabytes == 0 ? 200 : megabytes) * 1000 * 1000;
}

void writeCorpus(const std::filesystem::path& path, std::uint64_t bytes, bool utf8) {
    std::error_code error;
    if (std::filesystem::file_size(path, error) >= bytes && !error) return;
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    if (file == nullptr) throw std::runtime_error("cannot create " + path.string());

    std::mt19937_64 random(42);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    static const char* const words[] = {"lorem", "ipsum", "dolor", "sit", "amet", "underline",
                                        "consectetur", "adipiscing", "elit", "sed", "do",
                                        // in UTF-8, drawn only for a corpus past ASCII
                                        "caf\xC3\xA9", "na\xC3\xAFve", "d\xC3\xA9j\xC3\xA0",
                                        "\xD0\xBC\xD0\xB8\xD1\x80"};
    std::string block;
    std::uint64_t written = 0;
    while (written < bytes) {
        std::string line;
        switch (pick(10)) {
            case 0:  // rewritten by the default texts
                line = "<li>See <a href=\"https://www.example.com/page" +
                       std::to_string(pick(999)) + ".html\" class=\"nav\" " + kDefaultStop +
                       "Page " + std::to_string(pick(99)) + "</a> and more.</li>";
                break;
            case 1:  // an anchor into another site, left alone
                line = "<li><a href=\"https://other.example.org/" + std::to_string(pick(999)) +
                       "\" " + kDefaultStop + "Elsewhere</a></li>";
                break;
            case 2:
                line = "<div class=\"row\"><span>" + std::to_string(pick(100000)) + "</span></div>";
                break;
            default: {
                line = "<p>";
                const int count = 6 + pick(30);
                for (int i = 0; i < count; ++i) {
                    line += words[pick(utf8 ? 15 : 11)];
                    line += ' ';
                }
                line += "</p>";
            }
        }
        line += "\r\n";
        block += line;
        written += line.size();
        if (block.size() >= (1u << 20)) {
            std::fwrite(block.data(), 1, block.size(), file);
            block.clear();
        }
    }
    std::fwrite(block.data(), 1, block.size(), file);
    if (std::fclose(file) != 0) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace bench
