#include "corpus.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>

namespace bench {
namespace {

// The default texts in views made once, as a window keeps its texts converted, rather than
// measured every line; nothing else is done per line, so a timing shows the engine's own cost.
struct Defaults final : engine::Observer, engine::RunObserver {
    engine::Texts texts() const override {
        return {kDefaultStart, kDefaultStop, kDefaultSearch, kDefaultReplacement, 1};
    }
    engine::Observer* fileStarting(std::size_t, unsigned) override { return this; }
    void fileDone(std::size_t, const engine::FileReport& report) override {
        if (report.outcome != engine::FileReport::Outcome::failed) return;
        std::fprintf(stderr, "%s: %s\n", report.failedFile.string().c_str(), report.reason.c_str());
        std::exit(1);
    }
};

}  // namespace

void passDefaults(const std::filesystem::path& file) {
    Defaults defaults;
    defaults.fileDone(0, engine::passFile({file, engine::outputPath(file)}, defaults));
}

void runDefaults(const engine::RunPlan& plan) {
    Defaults defaults;
    engine::run(plan, defaults);
}

std::uint64_t corpusBytesFromEnvironment() {
    const char* text = std::getenv("BENCH_CORPUS_MB");
    const std::uint64_t megabytes = text != nullptr ? std::strtoull(text, nullptr, 10) : 200;
    return (megabytes == 0 ? 200 : megabytes) * 1000 * 1000;
}

void writeCorpus(const std::filesystem::path& path, std::uint64_t bytes) {
    std::error_code error;
    if (std::filesystem::file_size(path, error) >= bytes && !error) return;
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    if (file == nullptr) throw std::runtime_error("cannot create " + path.string());

    std::mt19937_64 random(42);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    static const char* const words[] = {"lorem", "ipsum",     "dolor",       "sit",
                                        "amet",  "underline", "consectetur", "adipiscing",
                                        "elit",  "sed",       "do"};
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
                    line += words[pick(11)];
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
