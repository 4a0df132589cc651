#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>

#include "engine/byte_buffer.h"
#include "engine/engine.h"
#include "engine/file_layer.h"
#include "engine/file_pass.h"

namespace fs = std::filesystem;

namespace engine {
namespace {

// "2.1 GB", "350 MB", "12 kB", "200 bytes".
std::string sizeInWords(std::uint64_t bytes) {
    const auto value = static_cast<double>(bytes);
    char text[32];
    if (value >= 1e9) {
        std::snprintf(text, sizeof text, "%.1f GB", value / 1e9);
    } else if (value >= 1e6) {
        std::snprintf(text, sizeof text, "%.0f MB", value / 1e6);
    } else if (value >= 1e3) {
        std::snprintf(text, sizeof text, "%.0f kB", value / 1e3);
    } else {
        return std::to_string(bytes) + " bytes";
    }
    return text;
}

}  // namespace

FileReport passFile(const FileJob& job, Observer& observer, FileLayer& files,
                    const ChosenFiles* chosen) {
    FileReport report;
    const auto failed = [&report](const fs::path& file, std::string reason) {
        report.outcome = FileReport::Outcome::failed;
        report.failedFile = file;
        report.reason = std::move(reason);
        return report;
    };
    // In place, the output's final path is its own source: that alone of the chosen files.
    const bool inPlace = job.output == job.source;
    std::optional<ChosenFiles> sourceAlone;
    if (!chosen) sourceAlone.emplace(std::vector<fs::path>{job.source});
    const ChosenFiles& chosenFiles = chosen ? *chosen : *sourceAlone;
    // The output is looked for on disk only where its name is taken when it is committed.
    if (!inPlace && chosenFiles.containsByName(job.output)) {
        return failed(job.source, overwriteReason(job.output));
    }
    if (!job.backup.empty() && chosenFiles.contains(job.backup)) {
        return failed(job.source, overwriteReason(job.backup));
    }
    // Whatever fails in the work on the file is this file's failure: its temporary output is
    // gone with `out`. What the observer itself throws is passed on.
    try {
        // The source is opened first, so a source that cannot be read leaves nothing behind.
        std::unique_ptr<InputFile> input = files.openInput(job.source);
        std::unique_ptr<OutputFile> out;
        {
            detail::FilePass pass(*input, observer);
            if (pass.binary() && observer.skipsBinary()) {
                report.outcome = FileReport::Outcome::skipped;
                report.reason = "binary";
                return report;
            }
            out = files.createOutput(job.output, *input);
            report.outcome = pass.run(*out, report.stats);
        }
        // Closed before its replacement takes its name, which Windows wants.
        input.reset();
        // A stopped pass never replaces its source: every file is as it was or fully rewritten.
        const bool wanted = !job.changedOnly || report.stats.replacements > 0;
        if (wanted && !(inPlace && report.outcome == FileReport::Outcome::stopped)) {
            // The original is kept before anything replaces it.
            if (!job.backup.empty()) files.backUp(job.source, job.backup);
            if (!out->commitWhereFree()) {
                if (!inPlace && chosenFiles.contains(job.output))
                    return failed(job.source, overwriteReason(job.output));
                out->commit();
            }
            report.written = true;
        }
    } catch (const FileError& error) {
        return failed(error.path(), error.what());
    } catch (const detail::OutOfMemory& error) {
        return failed(job.source, std::string("Not enough memory for a line of ") +
                                      (error.whole() ? "" : "more than ") +
                                      sizeInWords(error.line()));
    } catch (const std::bad_alloc&) {
        return failed(job.source, "Not enough memory");
    } catch (const std::length_error&) {
        return failed(job.source, "Not enough memory");
    } catch (const std::system_error& error) {
        return failed(job.source, readableReason(error.code().message()));
    }
    return report;
}

}  // namespace engine
