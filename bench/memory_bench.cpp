// Peak memory and time of one pass over a file of huge lines, against a plain read/write copy
// of the same file. Run each case in a process of its own, since peak memory is per process:
//
//   memory_bench line [MiB]     one line of that size, no line end       (default 200)
//   memory_bench lines [MiB]    lines of 1 MiB each, that much in all    (default 2048)
//
// The file goes to TMPDIR (or the system's temporary folder) and is removed afterwards.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "copy.h"
#include "corpus.h"
#include "engine/engine.h"

namespace fs = std::filesystem;

namespace {

// `total` bytes of markup in lines of `lineBytes` (the last line without an end), with an
// anchor that the default texts rewrite about every kilobyte.
void writeLines(const fs::path& path, std::uint64_t total, std::uint64_t lineBytes) {
    const std::string anchor = std::string(bench::kDefaultStart) + "x\" " + bench::kDefaultStop +
                               "link</a> and some ordinary text around it, ";
    std::string piece = anchor;
    while (piece.size() < 1000) piece += "lorem ipsum dolor sit amet, consectetur adipiscing ";
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    std::string block;
    std::uint64_t inLine = 0;
    for (std::uint64_t written = 0; written < total;) {
        const std::uint64_t room = std::min<std::uint64_t>(lineBytes - inLine, total - written);
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(room, piece.size()));
        block.append(piece, 0, n);
        written += n;
        inLine += n;
        if (inLine == lineBytes && written < total) {
            block.replace(block.size() - 2, 2, "\r\n");
            inLine = 0;
        }
        if (block.size() >= (1u << 20)) {
            std::fwrite(block.data(), 1, block.size(), file);
            block.clear();
        }
    }
    std::fwrite(block.data(), 1, block.size(), file);
    std::fclose(file);
}

double secondsOf(void (*work)(const fs::path&), const fs::path& file) {
    const auto started = std::chrono::steady_clock::now();
    work(file);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode != "line" && mode != "lines") {
        std::fprintf(stderr, "usage: memory_bench line|lines [MiB]\n");
        return 2;
    }
    const std::uint64_t mib =
        argc > 2 ? std::strtoull(argv[2], nullptr, 10) : (mode == "line" ? 200 : 2048);
    const std::uint64_t total = mib << 20;
    const fs::path file = fs::temp_directory_path() / ("memory-bench-" + mode + ".htm");
    writeLines(file, total, mode == "line" ? total : std::uint64_t{1} << 20);
    const long before = bench::peakKilobytes();

    const double copy =
        secondsOf([](const fs::path& f) { bench::plainCopy(f, f.string() + ".copy"); }, file);
    fs::remove(file.string() + ".copy");
    const double pass = secondsOf(bench::passDefaults, file);
    const long peak = bench::peakKilobytes();
    fs::remove(engine::outputPath(file));
    fs::remove(file);

    const double longest = static_cast<double>(mode == "line" ? total : std::uint64_t{1} << 20);
    std::printf("%s: %llu MiB, longest line %.0f MiB\n", mode.c_str(),
                static_cast<unsigned long long>(mib), longest / 1048576);
    std::printf("pass %.3f s, plain read/write copy %.3f s, pass/copy = %.2fx\n", pass, copy,
                pass / copy);
    std::printf("peak memory %.1f MiB (%.1f MiB before the pass), %.2fx the longest line\n",
                peak / 1024.0, before / 1024.0, peak * 1024.0 / longest);
    return 0;
}
