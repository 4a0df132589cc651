// Times segment-replace-cli on the generated corpus against the engine's own pass and the same
// rewrite in perl and in GNU sed, then over many small files with one and with two jobs, and
// over as many in nested folders, walked with -r against a list from find.
// Sizes: BENCH_CORPUS_MB (200 by default) and BENCH_SMALL_FILES (20000); TMPDIR picks the folder.
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "corpus.h"
#include "engine/engine.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 3;

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// The best of a few rounds; `reset` runs before each, outside the timing.
template <typename Work, typename Reset>
double bestSeconds(Work work, Reset reset, int rounds = kRounds) {
    double best = 0;
    for (int i = 0; i < rounds; ++i) {
        reset();
        const auto started = std::chrono::steady_clock::now();
        work();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (i == 0 || seconds < best) best = seconds;
    }
    return best;
}

void shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

bool sameContent(const fs::path& a, const fs::path& b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    return std::equal(std::istreambuf_iterator<char>(x), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(y), std::istreambuf_iterator<char>());
}

void removeFile(const fs::path& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
}

// Splits a generated corpus into `count` files of whole lines named by `name`, unless they are
// there.
template <typename Name>
std::vector<fs::path> splitCorpus(const fs::path& folder, int count, Name name) {
    std::vector<fs::path> files;
    for (int i = 0; i < count; ++i) files.push_back(folder / name(i));
    if (fs::exists(files.back())) return files;
    fs::create_directories(folder);
    const fs::path source = folder / "source.txt";
    bench::writeCorpus(source, static_cast<std::uint64_t>(count) * 2000);
    std::ifstream in(source, std::ios::binary);
    std::string line;
    for (const fs::path& file : files) {
        fs::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        for (std::size_t written = 0; written < 2000 && std::getline(in, line);) {
            out << line << '\n';
            written += line.size() + 1;
        }
    }
    removeFile(source);
    return files;
}

void removeOutputs(const std::vector<fs::path>& files) {
    for (const fs::path& file : files) removeFile(engine::outputPath(file));
}

}  // namespace

int main() {
    // The program takes the user's locale for its letter-case rules; so does this pass.
    std::setlocale(LC_ALL, "");
    const fs::path folder = fs::temp_directory_path() / "segment-replace-cli-bench";
    fs::create_directories(folder);
    const fs::path corpus = folder / "corpus.htm";
    bench::writeCorpus(corpus, bench::corpusBytesFromEnvironment());
    const double mb = static_cast<double>(fs::file_size(corpus)) / 1e6;
    const fs::path output = engine::outputPath(corpus);
    const fs::path enginePath = folder / "engine.htm", perlPath = folder / "perl.htm",
                   sedPath = folder / "sed.htm";

    const double pass =
        bestSeconds([&] { bench::passDefaults(corpus); }, [&] { removeFile(output); });
    fs::rename(output, enginePath);
    const std::string cli = quoted(CLI_PROGRAM) + " --jobs 1 --quiet " + quoted(corpus);
    const double cliSeconds = bestSeconds([&] { shell(cli); }, [&] { removeFile(output); });

    // The same rewrite in perl: one regex per segment, the first search hit replaced inside it.
    const std::string perl =
        "perl -e 'BEGIN { $/ = \"\\r\\n\" } while (<STDIN>) { chomp; "
        "s{(\\Q$ARGV[0]\\E.*?\\Q$ARGV[1]\\E)}{ my $x = $1; $x =~ s/\\Q$ARGV[2]\\E/$ARGV[3]/i; $x "
        "}gie; print $_, \"\\r\\n\" }' '" +
        std::string(bench::kDefaultStart) + "' '" + bench::kDefaultStop + "' '" +
        bench::kDefaultSearch + "' '" + bench::kDefaultReplacement + "' < " + quoted(corpus) +
        " > " + quoted(perlPath);
    const bool havePerl = std::system("perl -e 1 2>/dev/null") == 0;
    const double perlSeconds = havePerl ? bestSeconds([&] { shell(perl); }, [] {}, 1) : 0;
    // GNU sed, approximately: the last "underline" of the anchor's opening tag. The corpus has
    // one such tag per line and no other "underline" in it, so the output is the same.
    const std::string sed =
        "LC_ALL=C sed -E 's#(<a href=\"https://www\\.example\\.com/[^>]*)"
        "underline#\\1underline line-through#Ig' " +
        quoted(corpus) + " > " + quoted(sedPath);
    const bool haveSed = std::system("sed --version >/dev/null 2>&1") == 0;
    const double sedSeconds = haveSed ? bestSeconds([&] { shell(sed); }, [] {}, 1) : 0;

    std::printf("corpus: %.0f MB\n", mb);
    std::printf("engine pass:  %7.3f s  %7.1f MB/s\n", pass, mb / pass);
    std::printf("cli, 1 job:   %7.3f s  %7.1f MB/s  cli/pass = %.3f (target <= 1.10)  output %s\n",
                cliSeconds, mb / cliSeconds, cliSeconds / pass,
                sameContent(output, enginePath) ? "equal" : "DIFFERENT");
    if (havePerl) {
        std::printf("perl:         %7.3f s  %7.1f MB/s  perl/cli = %.1fx  output %s\n", perlSeconds,
                    mb / perlSeconds, perlSeconds / cliSeconds,
                    sameContent(perlPath, enginePath) ? "equal" : "DIFFERENT");
    }
    if (haveSed) {
        std::printf("GNU sed:      %7.3f s  %7.1f MB/s  sed/cli = %.1fx  output %s\n", sedSeconds,
                    mb / sedSeconds, sedSeconds / cliSeconds,
                    sameContent(sedPath, enginePath) ? "equal" : "DIFFERENT");
    }
    for (const fs::path& p : {output, enginePath, perlPath, sedPath}) removeFile(p);

    const char* countText = std::getenv("BENCH_SMALL_FILES");
    const int count =
        countText != nullptr && std::atoi(countText) > 0 ? std::atoi(countText) : 20000;
    const std::vector<fs::path> files = splitCorpus(
        folder / "small", count, [](int i) { return "page" + std::to_string(i) + ".htm"; });
    const fs::path list = folder / "small.list";
    {
        std::ofstream names(list, std::ios::binary);
        for (const fs::path& file : files) names << file.string() << '\0';
    }
    std::uintmax_t bytes = 0;
    for (const fs::path& file : files) bytes += fs::file_size(file);
    std::printf("\n%d small files, %.1f MB\n", count, static_cast<double>(bytes) / 1e6);
    for (const int jobs : {1, 2}) {
        const std::string command = quoted(CLI_PROGRAM) + " --quiet -0 --jobs " +
                                    std::to_string(jobs) + " --files-from " + quoted(list);
        // Removing 20,000 files leaves the disk busy for a while: flushed before each timing.
        const double seconds = bestSeconds([&] { shell(command); },
                                           [&] {
                                               removeOutputs(files);
                                               shell("sync");
                                           });
        std::printf("cli, %d job%s:   %7.3f s  %7.0f files/s\n", jobs, jobs == 1 ? " " : "s",
                    seconds, count / seconds);
    }
    removeOutputs(files);

    // The same number of files as a site: 100 to a folder, 10 folders in each of the top ones.
    const fs::path tree = folder / "tree";
    const std::vector<fs::path> pages = splitCorpus(tree, count, [](int i) {
        return fs::path("d" + std::to_string(i / 1000)) / ("e" + std::to_string(i / 100 % 10)) /
               ("page" + std::to_string(i) + ".htm");
    });
    const auto reset = [&] {
        removeOutputs(pages);
        shell("sync");
    };
    const std::string cliName = quoted(CLI_PROGRAM);
    const double walk =
        bestSeconds([&] { shell(cliName + " --quiet -r --glob '*.htm' " + quoted(tree)); }, reset);
    const double found = bestSeconds(
        [&] {
            shell("find " + quoted(tree) + " -name '*.htm' ! -name '*_new.*' -print0 | " + cliName +
                  " --quiet -0 --files-from -");
        },
        reset);
    std::printf("\n%d files in %d nested folders\n", count, (count + 99) / 100);
    std::printf("walk, -r --glob:         %7.3f s  %7.0f files/s  walk/find = %.2f\n", walk,
                count / walk, walk / found);
    std::printf("find -print0 | -0 list:  %7.3f s  %7.0f files/s\n", found, count / found);
    removeOutputs(pages);
    return 0;
}
