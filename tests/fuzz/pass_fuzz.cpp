// Fuzzing of the pass's line reading: random bytes as the source, read in random short chunks,
// through a pass with an in-memory file layer. The output must hold every line of the source in
// order, rewritten and ended by CR LF (a CR LF or a lone CR ends a line, an LF alone does not),
// and the progress values must add up.
//
// Input: a mode byte (bit 0 folds the source into CR, LF, NUL, high bytes and markup), the
// read chunk size (0 reads everything at once), the yield after which Stop is pressed (0 never),
// then the source.
#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "../engine/memory_files.h"
#include "../engine/reference_rewrite.h"
#include "engine/engine.h"

namespace {

constexpr std::string_view kBiased{"\r\n\0a<>\xFF\x1a", 8};
constexpr engine::Texts kTexts{"<", ">", "\n", "[LF]"};

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "pass: %s\n", what);
    std::abort();
}

class Host : public engine::PassHost {
public:
    std::size_t stopAfter = 0;
    std::size_t yields = 0;
    std::int64_t max = -1;
    std::int64_t value = 0;
    std::vector<bool> selections;

    void selectEntry(int index, bool on) override {
        if (index != 0) fail("wrong entry selected");
        selections.push_back(on);
    }
    void setProgressValue(std::int64_t v) override {
        if (v < value && v != 0) fail("progress went back");
        if (max >= 0 && v > max) fail("progress past its maximum");
        value = v;
    }
    void setProgressMin(std::int64_t v) override {
        if (v != 0) fail("progress minimum not 0");
    }
    void setProgressMax(std::int64_t v) override { max = v; }
    void yield() override { ++yields; }
    bool stopRequested() const override { return stopAfter != 0 && yields >= stopAfter; }
    engine::Texts currentTexts() const override { return kTexts; }
    void reportFailure(const std::filesystem::path&, const std::string& reason) override {
        std::fprintf(stderr, "unexpected failure: %s\n", reason.c_str());
        std::abort();
    }
};

std::string rewritten(const std::vector<std::string>& lines, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        out += reference::rewrite(lines[i], kTexts.startMarker, kTexts.stopMarker,
                                  kTexts.searchText, kTexts.replacementText);
        out += "\r\n";
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::setlocale(LC_ALL, "C");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const bool biased = data[0] & 1;
    std::string source;
    for (std::size_t i = 3; i < size; ++i) {
        source += biased ? kBiased[data[i] % kBiased.size()] : static_cast<char>(data[i]);
    }

    testfiles::MemoryFiles files;
    if (data[1] != 0) files.readChunk = data[1];
    const std::filesystem::path path = "dir/page.htm";
    files.files[path] = source;
    Host host;
    host.stopAfter = data[2];

    const engine::PassResult result = engine::pass(path, path, 0, host, files);

    const auto lines = reference::splitLines(source);
    const bool stops = host.stopAfter != 0 && host.stopAfter <= lines.size();
    if (files.files.at(path) != source) fail("source changed");
    const auto output = files.files.find("dir/page_new.htm");
    if (output == files.files.end()) fail("no output");
    if (host.max != static_cast<std::int64_t>(source.size()) + 2) fail("maximum is not size + 2");
    if (host.selections.empty() || !host.selections.front()) fail("entry not selected");
    if (stops) {
        if (result != engine::PassResult::stopped) fail("did not stop");
        if (host.yields != host.stopAfter) fail("went on after the stop flag");
        if (output->second != rewritten(lines, host.stopAfter - 1)) fail("stopped output wrong");
        if (host.selections.size() != 1) fail("entry deselected after a stop");
    } else {
        if (result != engine::PassResult::completed) fail("did not complete");
        if (host.yields != lines.size()) fail("not one yield per line");
        if (output->second != rewritten(lines, lines.size())) fail("output wrong");
        if (host.value != reference::finalProgress(source)) fail("final progress wrong");
        if (host.selections != std::vector<bool>{true, false}) fail("selection not undone");
    }
    return 0;
}
