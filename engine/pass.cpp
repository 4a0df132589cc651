#include <cstdio>
#include <memory>
#include <new>
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

PassResult pass(const fs::path& source, const fs::path& outputBase, int entryIndex,
                PassHost& host) {
    return pass(source, outputBase, entryIndex, host, systemFiles());
}

PassResult pass(const fs::path& source, const fs::path& outputBase, int entryIndex, PassHost& host,
                FileLayer& files) {
    return pass(source, outputBase, entryIndex, host, files, ChosenFiles({source}));
}

PassResult pass(const fs::path& source, const fs::path& outputBase, int entryIndex, PassHost& host,
                FileLayer& files, const ChosenFiles& chosen) {
    const fs::path output = outputPath(outputBase);
    if (chosen.contains(output)) {
        host.reportFailure(source, overwriteReason(output));
        return PassResult::completed;
    }
    PassResult result = PassResult::completed;
    bool copying = false;  // a failure while copying deselects the entry the copy selected
    // Whatever fails in the work on the file is this file's failure: its temporary output is
    // gone with `out`, and the run goes on. What the host itself throws ends the run.
    const auto failed = [&](const fs::path& file, const std::string& reason) {
        if (copying) host.selectEntry(entryIndex, false);
        result = PassResult::completed;
        host.reportFailure(file, reason);
    };
    try {
        // The source is opened first, so a source that cannot be read leaves nothing behind.
        const std::unique_ptr<InputFile> input = files.openInput(source);
        const std::unique_ptr<OutputFile> out = files.createOutput(output, *input);
        copying = true;
        PassStats stats;
        result = detail::FilePass(*input, *out, host).run(entryIndex, stats);
        copying = false;
        out->commit();
        host.fileDone(stats);
    } catch (const FileError& error) {
        failed(error.path(), error.what());
    } catch (const detail::OutOfMemory& error) {
        failed(source, std::string("Not enough memory for a line of ") +
                           (error.whole() ? "" : "more than ") + sizeInWords(error.line()));
    } catch (const std::bad_alloc&) {
        failed(source, "Not enough memory");
    } catch (const std::length_error&) {
        failed(source, "Not enough memory");
    } catch (const std::system_error& error) {
        failed(source, readableReason(error.code().message()));
    }
    return result;
}

}  // namespace engine
