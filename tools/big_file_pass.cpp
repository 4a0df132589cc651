// One real pass over the file given (lines ending in CR LF, no match): must add up and not fail.
#include <cstdio>

#include "tests/engine/test_support.h"

int main(int argc, char** argv) {
    if (argc != 2) return std::fprintf(stderr, "usage: %s <source>\n", argv[0]), 2;
    engine_test::Host host;
    host.texts[0] = "<a href=\"http://nowhere.invalid";
    std::int64_t last = 0;
    bool backwards = false;
    host.onYield = [&](int) { backwards = backwards || host.value < last, last = host.value; };
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(argv[1]));
    const bool ok = engine::pass(argv[1], argv[1], 0, host) == engine::PassResult::completed;
    std::printf("size %lld, lines %d, max %lld, final value %lld\n", static_cast<long long>(size),
                host.yields, static_cast<long long>(host.max), static_cast<long long>(host.value));
    for (const std::string& failure : host.failures) std::fprintf(stderr, "%s\n", failure.c_str());
    return !(ok && !backwards && host.failures.empty() && host.max == size + 2 &&
             host.value == size);
}
