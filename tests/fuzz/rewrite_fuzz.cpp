// Differential fuzzing of the segment rewrite. Input: a mode byte, then line, start and stop
// markers, search and replacement text separated by '|'. Mode bit 0 folds bytes into a small
// alphabet, for overlapping and case-shifted hits; bits 1-3 double the line that often.
#include <clocale>

#include "engine/engine.h"
#include "reference_rewrite.h"

using reference::require;

// "\xC4" and "\xE4" fold together in a Latin-1 locale but not in "C"; "\xDF" has no other case.
constexpr std::string_view kAlphabet = "aAbB<> \xE4\xC4\xDF";

// FUZZ_LOCALE may name a single-byte locale whose case mapping both then follow.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* name = std::getenv("FUZZ_LOCALE");
    require(std::setlocale(LC_ALL, name ? name : "C") && MB_CUR_MAX == 1, "no such 8-bit locale");
    return reference::takeLocale(), 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string f[5];
    for (std::size_t i = 1, k = 0; i < size && k < 5; ++i) {
        const bool fold = (data[0] & 1) && kAlphabet.find(char(data[i])) == kAlphabet.npos;
        if (data[i] == '|' && ++k) continue;
        if (k < 5) f[k] += fold ? kAlphabet[data[i] % kAlphabet.size()] : char(data[i]);
    }
    // Long, but short enough for the quadratic model to keep the fuzzer fast.
    for (int r = size ? (data[0] >> 1) & 7 : 0; r > 0 && f[0].size() < 4096; --r) f[0] += f[0];
    require(engine::rewrite(f[0], f[1], f[2], f[3], f[4]) ==
                reference::rewrite(f[0], f[1], f[2], f[3], f[4]),
            "rewrite differs");
    require(engine::rewrite(f[0], f[1], "", f[3], f[4]) == f[0], "empty stop marker closed one");
    require(engine::replaceFirst(f[0], f[3], f[4]) == reference::replaceFirst(f[0], f[3], f[4]),
            "replaceFirst differs");
    const auto length = std::ssize(f[0]);
    for (const engine::Position from : {1l, 2l, 3l, length / 2 + 1, length, length + 1}) {
        for (int k = 1; k < 4; ++k)
            require(engine::find(f[0], f[k], from) == reference::find(f[0], f[k], from), "find");
    }
    return 0;
}
