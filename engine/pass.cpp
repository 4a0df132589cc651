#include <memory>
#include <string>

#include "engine/case_rules.h"
#include "engine/engine.h"
#include "engine/file_layer.h"
#include "engine/line_reader.h"
#include "engine/segment_rewrite.h"

namespace fs = std::filesystem;

namespace engine {
namespace {

constexpr std::size_t kWriteBlock = std::size_t{1} << 20;

// Every line is accounted as its length plus two terminator bytes, except after a lone CR,
// which is one byte: so the bar ends at the size for CR LF files, and two past it when the
// last line has no terminator.
std::int64_t accountedBytes(std::size_t lineLength, detail::LineEnd end) {
    return static_cast<std::int64_t>(lineLength) + (end == detail::LineEnd::loneCr ? 1 : 2);
}

// Copies the source line by line; returns stopped when the host's stop flag was seen.
PassResult copyLines(InputFile& input, OutputFile& output, int entryIndex, PassHost& host,
                     PassStats& stats) {
    std::int64_t remaining = static_cast<std::int64_t>(input.size());
    host.selectEntry(entryIndex, true);
    host.setProgressValue(0);
    host.setProgressMin(0);
    host.setProgressMax(remaining + 2);

    detail::SegmentRewriter rewriter(detail::CaseRules::current());
    detail::LineReader reader(input);
    std::string pending;
    pending.reserve(kWriteBlock + 4096);
    std::int64_t done = 0;
    std::string_view line;
    detail::LineEnd end{};
    const bool wantsLines = host.wantsLines();
    const auto count = [&] {
        stats.segments = rewriter.segments;
        stats.replacements = rewriter.replacements;
    };
    while (remaining > 0) {
        host.yield();
        if (host.stopRequested()) {
            output.write(pending.data(), pending.size());
            count();
            return PassResult::stopped;
        }
        // A source that shrank since it was measured ends early rather than invent lines.
        if (!reader.next(line, end)) break;
        const std::size_t lineStart = pending.size();
        rewriter.append(line, host.currentTexts(), pending);
        ++stats.lines;
        if (wantsLines) host.lineRewritten(line, std::string_view(pending).substr(lineStart));
        pending += "\r\n";
        const std::int64_t accounted = accountedBytes(line.size(), end);
        done += accounted;
        remaining -= accounted;
        host.setProgressValue(done);
        if (pending.size() >= kWriteBlock) {
            output.write(pending.data(), pending.size());
            pending.clear();
        }
    }
    output.write(pending.data(), pending.size());
    count();
    host.selectEntry(entryIndex, false);
    return PassResult::completed;
}

}  // namespace

PassResult pass(const fs::path& source, const fs::path& outputBase, int entryIndex,
                PassHost& host) {
    return pass(source, outputBase, entryIndex, host, systemFiles());
}

PassResult pass(const fs::path& source, const fs::path& outputBase, int entryIndex, PassHost& host,
                FileLayer& files) {
    const fs::path output = outputPath(outputBase);
    if (ChosenFiles({source}).contains(output)) {
        host.reportFailure(source, overwriteReason(output));
        return PassResult::completed;
    }
    PassResult result = PassResult::completed;
    bool copying = false;  // a failure while copying deselects the entry the copy selected
    try {
        // The source is opened first, so a source that cannot be read leaves nothing behind.
        const std::unique_ptr<InputFile> input = files.openInput(source);
        const std::unique_ptr<OutputFile> out = files.createOutput(output);
        copying = true;
        PassStats stats;
        result = copyLines(*input, *out, entryIndex, host, stats);
        copying = false;
        out->commit();
        host.fileDone(stats);
    } catch (const FileError& error) {
        if (copying) host.selectEntry(entryIndex, false);
        host.reportFailure(error.path(), error.what());
    }
    return result;
}

}  // namespace engine
