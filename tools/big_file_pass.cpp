// One real pass over the file given (lines ending in CR LF, no match): must add up and not fail.
#include <cstdio>

#include "engine/engine.h"

namespace {

struct Watch final : engine::Observer {
    std::int64_t done = 0, total = -1;
    bool backwards = false;
    engine::Texts texts() const override {
        return {"<a href=\"http://nowhere.invalid", ">", "b", "i"};
    }
    void progress(std::int64_t d, std::int64_t t) override {
        backwards = backwards || d < done;
        done = d;
        total = t;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return std::fprintf(stderr, "usage: %s <source>\n", argv[0]), 2;
    Watch watch;
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(argv[1]));
    const engine::FileReport report =
        engine::passFile({argv[1], engine::outputPath(argv[1])}, watch);
    std::printf("size %lld, lines %lld, max %lld, final value %lld\n", static_cast<long long>(size),
                static_cast<long long>(report.stats.lines), static_cast<long long>(watch.total),
                static_cast<long long>(watch.done));
    if (!report.reason.empty()) std::fprintf(stderr, "%s\n", report.reason.c_str());
    return !(report.outcome == engine::FileReport::Outcome::completed && !watch.backwards &&
             watch.total == size + 2 && watch.done == size);
}
