#include <vector>

#include "engine/engine.h"
#include "engine/file_layer.h"

namespace fs = std::filesystem;

namespace engine {
namespace {

// Puts the buttons and the stop flag back however the run ends.
class FinishStep {
public:
    explicit FinishStep(RunHost& host) : host_(host) {}
    ~FinishStep() {
        host_.setReplaceCaption("Replace");
        host_.setReplaceEnabled(host_.hasChosenFiles());
        host_.setStopEnabled(false);
        host_.setStopFlag(false);
        host_.setProgressValue(0);
    }
    FinishStep(const FinishStep&) = delete;
    FinishStep& operator=(const FinishStep&) = delete;

private:
    RunHost& host_;
};

// The folder text, the platform's separator and the bare name, joined as text: a drive root
// such as "C:\" keeps its own separator and gets a second one.
fs::path joinedSource(const fs::path& folder, const fs::path& name) {
    fs::path::string_type text = folder.native();
    text += fs::path::preferred_separator;
    text += name.native();
    return fs::path(std::move(text));
}

struct Entry {
    fs::path source;
    fs::path outputBase;
};

Entry entryAt(RunHost& host, int count, int index) {
    if (count <= 1) {
        const fs::path path = host.entryText(0);
        return {path, path};
    }
    const fs::path source = joinedSource(host.directoryText(), host.entryText(index));
    return {source, source};  // outputs land beside their sources
}

}  // namespace

void run(RunHost& host) {
    run(host, systemFiles());
}

void run(RunHost& host, FileLayer& files) {
    host.setReplaceCaption("Waiting ...");
    host.setReplaceEnabled(false);
    host.setStopEnabled(true);
    host.setStopFlag(false);
    const FinishStep finish(host);

    if (!host.hasChosenFiles()) return;
    const int count = host.entryCount();
    const int passes = count <= 1 ? 1 : count;

    // The list is taken once: every chosen file, so that no output can replace one of them.
    std::vector<Entry> entries;
    entries.reserve(static_cast<std::size_t>(passes));
    ChosenFiles chosen;
    for (int i = 0; i < passes; ++i) {
        entries.push_back(entryAt(host, count, i));
        chosen.add(entries.back().source);
    }

    for (int i = 0; i < passes; ++i) {
        const Entry& entry = entries[static_cast<std::size_t>(i)];
        if (pass(entry.source, entry.outputBase, i, host, files, chosen) == PassResult::stopped) {
            break;
        }
    }
}

}  // namespace engine
