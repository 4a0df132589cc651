// One real pass over a file given on the command line, through the system's files, with texts
// that match nothing. Prints what the host saw and fails when the pass reported a failure or
// the progress values do not add up for a file whose lines all end in CR LF.
// Usage: big_file_pass <source>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "engine/engine.h"

namespace {

class CountingHost : public engine::PassHost {
public:
    std::int64_t max = -1;
    std::int64_t value = 0;
    std::int64_t lines = 0;
    bool backwards = false;
    int failures = 0;

    void selectEntry(int, bool) override {}
    void setProgressValue(std::int64_t v) override {
        backwards = backwards || (v < value && v != 0);
        value = v;
    }
    void setProgressMin(std::int64_t) override {}
    void setProgressMax(std::int64_t v) override { max = v; }
    void yield() override { ++lines; }
    bool stopRequested() const override { return false; }
    engine::Texts currentTexts() const override {
        return {"<a href=\"http://nowhere.invalid", "style=\"text-decoration: underline\">",
                "underline", "underline line-through"};
    }
    void reportFailure(const std::filesystem::path& file, const std::string& reason) override {
        std::fprintf(stderr, "failure: %s: %s\n", file.string().c_str(), reason.c_str());
        ++failures;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <source>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path source = argv[1];
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(source));
    CountingHost host;
    const engine::PassResult result = engine::pass(source, source, 0, host);
    std::printf("output %s\nsize %lld, lines %lld, max %lld, final value %lld\n",
                engine::outputPath(source).string().c_str(), static_cast<long long>(size),
                static_cast<long long>(host.lines), static_cast<long long>(host.max),
                static_cast<long long>(host.value));
    const bool ok = result == engine::PassResult::completed && host.failures == 0 &&
                    host.max == size + 2 && host.value == size && !host.backwards;
    if (!ok) std::fprintf(stderr, "big_file_pass: the pass or its progress values are wrong\n");
    return ok ? 0 : 1;
}
