// segment-replace-cli: the window's replace run for scripts and batches, with a preview.
#include <cstdio>
#include <memory>
#include <thread>

#include "cli/dry_run_files.h"
#include "cli/file_list.h"
#include "cli/options.h"
#include "cli/platform.h"
#include "cli/progress.h"
#include "cli/report.h"
#include "cli/run_files.h"
#include "engine/engine.h"

namespace {

constexpr int kUsageError = 2;

int usageError(const std::string& message) {
    std::fprintf(stderr, "segment-replace-cli: %s\n%s", message.c_str(), cli::usageText().c_str());
    return kUsageError;
}

// The FILE arguments, then the names of every list, in order; with -r the folders among them
// walked.
std::vector<cli::ListedFile> chosenFiles(const cli::Options& options) {
    std::vector<std::string> names = cli::expandWildcards(options.files);
    for (const std::string& list : options.lists) {
        cli::readFileList(list, options.nulSeparated, names);
    }
    const cli::WalkOptions walk{options.globs, options.hidden, options.followLinks};
    std::vector<cli::ListedFile> files;
    files.reserve(names.size());
    for (const std::string& name : names) {
        std::filesystem::path path = cli::pathFromText(name);
        std::error_code ignored;
        if (options.recursive && std::filesystem::is_directory(path, ignored)) {
            cli::walkFolder(path, walk, files);
        } else {
            files.push_back({std::move(path), {}});
        }
    }
    return files;
}

// Standard output that could not be written whole fails the program, whatever else happened.
int checkedOutput(int status) {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
    std::fputs("segment-replace-cli: cannot write to standard output\n", stderr);
    return 1;
}

std::int64_t totalBytes(const std::vector<cli::ListedFile>& files) {
    std::int64_t bytes = 0;
    for (const cli::ListedFile& file : files) {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(file.path, error);
        if (!error) bytes += static_cast<std::int64_t>(size);
    }
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    cli::setUpConsole();
    cli::Options options;
    std::vector<cli::ListedFile> files;
    std::string texts[4];
    try {
        options = cli::parseOptions(cli::commandLine(argc, argv));
        if (options.action == cli::Options::Action::help) {
            std::fputs(cli::helpText().c_str(), stdout);
            return checkedOutput(0);
        }
        if (options.action == cli::Options::Action::version) {
            std::fputs(cli::versionText().c_str(), stdout);
            return checkedOutput(0);
        }
        const std::pair<const char*, const std::string*> typed[4] = {
            {"--start", &options.startMarker},
            {"--stop", &options.stopMarker},
            {"--search", &options.searchText},
            {"--replace", &options.replacementText}};
        for (int i = 0; i < 4; ++i) {
            const std::optional<std::string> text = cli::textToUtf8(*typed[i].second);
            if (!text) throw cli::UsageError(std::string(typed[i].first) + " is not valid text");
            texts[i] = *text;
        }
        if (options.codePage && !engine::setCodePage(*options.codePage)) {
            throw cli::UsageError("unknown code page '" + *options.codePage +
                                  "' (known: 874 and 1250 to 1258, also as cp1252 or "
                                  "windows-1252)");
        }
        files = chosenFiles(options);
    } catch (const cli::UsageError& error) {
        return usageError(error.what());
    }

    std::atomic<bool> stop{false};
    cli::stopOnInterrupt(stop);

    cli::DryRunFiles dryRun(engine::systemFiles());
    cli::RunSettings settings;
    settings.files = std::move(files);
    // The texts never change during a run, so one version spares the engine comparing them.
    settings.texts = {texts[0], texts[1], texts[2], texts[3], 1};
    settings.fileLayer = options.dryRun ? &dryRun : &engine::systemFiles();
    settings.jobs =
        options.jobs != 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
    if (settings.jobs > cli::kMostJobs) {
        std::fprintf(stderr, "segment-replace-cli: --jobs %u is capped at %u\n", settings.jobs,
                     cli::kMostJobs);
        settings.jobs = cli::kMostJobs;
    }
    settings.diffContext = options.diff ? options.context : -1;
    settings.utf8Terminal = cli::terminalIsUtf8();
    settings.skipBinary = !options.binary;
    std::optional<cli::ProgressLine> progress;
    if (!options.quiet && cli::isTerminal(stderr)) {
        progress.emplace(stderr, static_cast<std::int64_t>(settings.files.size()),
                         totalBytes(settings.files));
        settings.progress = &*progress;
    }

    std::unique_ptr<cli::Report> report;
    if (options.json) {
        report = std::make_unique<cli::JsonReport>(stdout, options.quiet, options.dryRun);
    } else {
        report = std::make_unique<cli::TextReport>(stdout, stderr, options.quiet, options.dryRun,
                                                   settings.utf8Terminal);
    }
    const cli::Totals totals = cli::runFiles(settings, *report, stop);
    report->finish(totals);

    // A Ctrl-C after the last line has stopped nothing.
    if (totals.stopped > 0 || totals.notStarted > 0) return cli::interruptedStatus();
    return checkedOutput(totals.failed > 0 ? 1 : 0);
}
