#include "cli/run_files.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#include "cli/escape.h"
#include "cli/file_host.h"
#include "cli/platform.h"

namespace fs = std::filesystem;

namespace cli {
namespace {

using namespace std::chrono_literals;

// Each worker's bytes done in its current file, on a cache line of its own.
struct alignas(64) ProgressSlot {
    std::atomic<std::int64_t> bytes{0};
};

FileResult passFile(const RunSettings& settings, const engine::ChosenFiles& chosen,
                    std::size_t index, const std::atomic<bool>& stop,
                    std::atomic<std::int64_t>* progress) {
    const fs::path& source = settings.files[index];
    const fs::path output = engine::outputPath(source);
    FileResult result;
    result.source = textFromPath(source);
    result.output = textFromPath(output);
    const auto fail = [&](const fs::path& file, const std::string& reason) {
        result.status = FileResult::Status::failed;
        result.failedFile = textFromPath(file);
        result.reason = reason;
        return result;
    };

    FileHost host(settings.texts, stop, progress);
    if (settings.diffContext >= 0) host.keepDiff(settings.diffContext, settings.utf8Terminal);
    engine::PassResult passed = engine::PassResult::completed;
    try {
        passed = engine::pass(source, source, static_cast<int>(index), host, *settings.fileLayer,
                              chosen);
    } catch (const std::exception& error) {  // out of memory, say: this file fails, not the run
        host.reportFailure(source, error.what());
    }
    if (host.failure()) return fail(host.failure()->first, host.failure()->second);
    result.status = passed == engine::PassResult::stopped ? FileResult::Status::stopped
                                                          : FileResult::Status::done;
    if (host.stats()) result.stats = *host.stats();
    if (std::string hunks = host.takeDiff(); !hunks.empty()) {
        std::string headers = "--- ";
        appendForTerminal(headers, result.source, settings.utf8Terminal);
        headers += "\n+++ ";
        appendForTerminal(headers, result.output, settings.utf8Terminal);
        result.diff = headers + "\n" + hunks;
    }
    return result;
}

// What the workers share with the reporting thread.
struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::optional<FileResult>> results;
    std::size_t next = 0;  // the next file to start
    unsigned running = 0;  // workers not yet finished
    std::atomic<std::int64_t> bytesDone{0};
};

void work(const RunSettings& settings, const engine::ChosenFiles& chosen, Shared& shared,
          ProgressSlot& slot, const std::atomic<bool>& stop) {
    std::atomic<std::int64_t>* progress = settings.progress != nullptr ? &slot.bytes : nullptr;
    for (;;) {
        std::size_t index = 0;
        {
            const std::lock_guard lock(shared.mutex);
            if (stop.load() || shared.next >= settings.files.size()) break;
            index = shared.next++;
        }
        FileResult result = passFile(settings, chosen, index, stop, progress);
        shared.bytesDone += slot.bytes.exchange(0);
        const std::lock_guard lock(shared.mutex);
        shared.results[index] = std::move(result);
        shared.changed.notify_one();
    }
    const std::lock_guard lock(shared.mutex);
    --shared.running;
    shared.changed.notify_one();
}

}  // namespace

Totals runFiles(const RunSettings& settings, Report& report, const std::atomic<bool>& stop) {
    const std::size_t count = settings.files.size();
    // Every listed file is chosen: no output may replace any of them.
    const engine::ChosenFiles chosen(settings.files);
    Shared shared;
    shared.results.resize(count);
    const unsigned jobs =
        std::max(1u, std::min<unsigned>(settings.jobs, static_cast<unsigned>(count)));
    std::vector<ProgressSlot> slots(jobs);
    shared.running = jobs;
    std::vector<std::jthread> workers;
    for (unsigned i = 0; i < jobs; ++i) {
        workers.emplace_back([&, i] { work(settings, chosen, shared, slots[i], stop); });
    }

    // This thread reports the files in list order as they are done.
    Totals totals;
    std::size_t reported = 0;
    std::unique_lock lock(shared.mutex);
    while (reported < count) {
        std::vector<FileResult> ready;
        while (reported < count && (shared.results[reported] || shared.running == 0)) {
            if (shared.results[reported]) {
                ready.push_back(std::move(*shared.results[reported]));
            } else {
                ++totals.files;  // never started: the run was stopped before it
                ++totals.notStarted;
            }
            ++reported;
        }
        lock.unlock();
        if (settings.progress != nullptr && !ready.empty()) settings.progress->clear();
        for (const FileResult& result : ready) {
            totals.add(result);
            report.file(result);
        }
        if (settings.progress != nullptr) {
            std::int64_t bytes = shared.bytesDone.load();
            for (const ProgressSlot& slot : slots) bytes += slot.bytes.load();
            settings.progress->update(static_cast<std::int64_t>(reported), bytes);
            // With a progress line, this thread wakes ten times a second and no more often.
            if (reported < count) std::this_thread::sleep_for(100ms);
            lock.lock();
            continue;
        }
        lock.lock();
        shared.changed.wait(lock, [&] {
            return reported == count || shared.results[reported] || shared.running == 0;
        });
    }
    lock.unlock();
    if (settings.progress != nullptr) settings.progress->clear();
    return totals;
}

}  // namespace cli
