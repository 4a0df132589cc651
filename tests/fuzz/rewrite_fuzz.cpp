// Differential fuzzing of the segment rewrite: the engine's fast rewrite, find and replaceFirst
// must agree with the literal model on every input.
//
// Input: one mode byte, then the line, start marker, stop marker, search text and replacement
// text separated by '|' (missing fields are empty). Mode bit 0 folds every byte into a small
// alphabet so that hits, overlaps and case-shifted hits are common; bits 1-3 repeat the line to
// make long ones.
#include <algorithm>
#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "../engine/reference_rewrite.h"
#include "engine/engine.h"

namespace {

// Letters in both cases, the markup bytes, and Latin-1 letters: "\xC4" and "\xE4" fold together
// in a Latin-1 locale but not in the "C" locale; "\xDF" has no other case.
constexpr std::string_view kAlphabet = "aAbB<> \xE4\xC4\xDF";

char toAlphabet(unsigned char c) {
    if (kAlphabet.find(static_cast<char>(c)) != std::string_view::npos) return static_cast<char>(c);
    return kAlphabet[c % kAlphabet.size()];
}

std::string escaped(std::string_view text) {
    std::string out;
    for (const unsigned char c : text) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

[[noreturn]] void mismatch(const char* what, const std::vector<std::string>& fields,
                           std::string_view expected, std::string_view got) {
    std::fprintf(stderr, "%s differs\n", what);
    for (const auto& field : fields)
        std::fprintf(stderr, "  input: \"%s\"\n", escaped(field).c_str());
    std::fprintf(stderr, "  expected: \"%s\"\n  got:      \"%s\"\n", escaped(expected).c_str(),
                 escaped(got).c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // By default the "C" locale, where only ASCII letters fold. FUZZ_LOCALE may name a
    // single-byte locale instead, whose case mapping the model then follows too.
    const char* name = std::getenv("FUZZ_LOCALE");
    if (name == nullptr) name = "C";
    if (std::setlocale(LC_ALL, name) == nullptr || MB_CUR_MAX != 1) {
        std::fprintf(stderr, "FUZZ_LOCALE=%s is not an installed single-byte locale\n", name);
        std::exit(2);
    }
    reference::foldLikeCurrentLocale();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    std::vector<std::string> fields(5);
    std::size_t field = 0;
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == '|') {
            if (++field == fields.size()) break;
            continue;
        }
        fields[field] += (mode & 1) ? toAlphabet(data[i]) : static_cast<char>(data[i]);
    }
    const int repeats = 1 + ((mode >> 1) & 7) * 9;
    std::string line;
    // Long, but short enough for the quadratic model to keep the fuzzer fast.
    for (int i = 0; i < repeats && line.size() < 4096; ++i) line += fields[0];
    fields[0] = line;
    const std::string_view start = fields[1], stop = fields[2], search = fields[3],
                           replacement = fields[4];

    const std::string expected = reference::rewrite(line, start, stop, search, replacement);
    const std::string got = engine::rewrite(line, start, stop, search, replacement);
    if (got != expected) mismatch("rewrite", fields, expected, got);

    // An empty stop marker closes no segment; the call must return with the line unchanged.
    const std::string unchanged = engine::rewrite(line, start, "", search, replacement);
    if (unchanged != line) mismatch("rewrite with empty stop marker", fields, line, unchanged);

    const std::string replacedModel = reference::replaceFirst(line, search, replacement);
    const std::string replaced = engine::replaceFirst(line, search, replacement);
    if (replaced != replacedModel) mismatch("replaceFirst", fields, replacedModel, replaced);

    const auto length = static_cast<engine::Position>(line.size());
    // A few starts, each a full naive search in the model: the ends, the middle, and the
    // first bytes. Positions are 1-based; 0 and below are outside the contract.
    const std::vector<engine::Position> froms = {1,      2,          3,         length / 2 + 1,
                                                 length, length + 1, length + 2};
    for (const engine::Position from : froms) {
        if (from < 1) continue;
        for (const std::string_view needle : {start, stop, search}) {
            const auto want = reference::find(line, needle, from);
            const auto have = engine::find(line, needle, from);
            if (want != have) {
                mismatch("find", {line, std::string(needle), std::to_string(from)},
                         std::to_string(want), std::to_string(have));
            }
        }
    }
    return 0;
}
