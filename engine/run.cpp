#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/engine.h"
#include "engine/file_layer.h"

namespace fs = std::filesystem;

namespace engine {
namespace {

// The folder text, the platform's separator and the bare name, joined as text: a drive root
// such as "C:\" keeps its own separator and gets a second one.
fs::path joinedSource(const fs::path& folder, const fs::path& name) {
    fs::path::string_type text = folder.native();
    text += fs::path::preferred_separator;
    text += name.native();
    return fs::path(std::move(text));
}

// What the workers share with the calling thread, which reports.
struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::optional<FileReport>> reports;
    std::size_t next = 0;        // the next file to start; the count once no further file may start
    unsigned running = 0;        // workers not yet finished
    std::size_t unreported = 0;  // files done since the calling thread last took the reports
};

// The calling thread is woken for a batch of files done, and otherwise looks every few
// milliseconds: a wake-up for every small file would cost more than the file.
constexpr std::size_t kReportBatch = 32;
constexpr auto kReportLatency = std::chrono::milliseconds(10);

void work(const RunPlan& plan, RunObserver& observer, FileLayer& files, Shared& shared,
          unsigned worker) {
    const std::size_t count = plan.jobs.size();
    for (;;) {
        std::size_t index = 0;
        Observer* pass = nullptr;
        {
            // Files start in list order, so the files started are always the first ones.
            const std::lock_guard lock(shared.mutex);
            if (shared.next >= count) break;
            index = shared.next;
            pass = observer.fileStarting(index, worker);
            shared.next = pass != nullptr ? index + 1 : count;
            if (pass == nullptr) break;
        }
        FileReport report;
        try {
            report = passFile(plan.jobs[index], *pass, files, &plan.chosen);
        } catch (const std::exception& error) {  // out of memory, say: this file fails
            report.outcome = FileReport::Outcome::failed;
            report.failedFile = plan.jobs[index].source;
            report.reason = error.what();
        }
        const std::lock_guard lock(shared.mutex);
        if (report.outcome == FileReport::Outcome::stopped) shared.next = count;
        shared.reports[index] = std::move(report);
        if (++shared.unreported >= kReportBatch) shared.changed.notify_one();
    }
    const std::lock_guard lock(shared.mutex);
    --shared.running;
    shared.changed.notify_one();
}

std::vector<FileReport> runOnWorkers(const RunPlan& plan, RunObserver& observer, unsigned workers,
                                     FileLayer& files) {
    const std::size_t count = plan.jobs.size();
    Shared shared;
    shared.reports.resize(count);
    workers = std::max(1u, static_cast<unsigned>(std::min<std::size_t>(workers, count)));
    shared.running = workers;
    std::vector<FileReport> reports;
    std::vector<std::jthread> threads;
    unsigned started = 0;
    try {
        for (; started < workers; ++started) {
            threads.emplace_back([&, i = started] { work(plan, observer, files, shared, i); });
        }
    } catch (const std::system_error&) {
        // The system gives no more threads: the run goes on with those it has, or on this one.
        const std::lock_guard lock(shared.mutex);
        shared.running -= workers - started;
    }
    if (started == 0) {
        shared.running = 1;
        work(plan, observer, files, shared, 0);
    }
    // This thread reports the files in list order as they are done.
    std::unique_lock lock(shared.mutex);
    const auto ready = [&] { return reports.size() < count && shared.reports[reports.size()]; };
    while (ready() || (shared.running > 0 && reports.size() < count)) {
        const std::size_t first = reports.size();
        while (ready()) reports.push_back(std::move(*shared.reports[reports.size()]));
        shared.unreported = 0;
        lock.unlock();
        for (std::size_t i = first; i < reports.size(); ++i) observer.fileDone(i, reports[i]);
        const bool wait = reports.size() < count && observer.waiting();
        lock.lock();
        if (wait) {
            shared.changed.wait_for(lock, kReportLatency,
                                    [&] { return ready() || shared.running == 0; });
        }
    }
    return reports;
}

}  // namespace

RunPlan::RunPlan(const std::vector<fs::path>& sources) : chosen(sources) {
    jobs.reserve(sources.size());
    for (const fs::path& source : sources) jobs.push_back({source, outputPath(source)});
}

RunPlan planRun(const std::vector<fs::path>& names, const fs::path& folder) {
    if (names.size() <= 1) return RunPlan(names);
    std::vector<fs::path> sources;
    sources.reserve(names.size());
    for (const fs::path& name : names) sources.push_back(joinedSource(folder, name));
    return RunPlan(sources);
}

std::vector<FileReport> run(const RunPlan& plan, RunObserver& observer, unsigned workers,
                            FileLayer& files) {
    if (workers > 0) return runOnWorkers(plan, observer, workers, files);
    std::vector<FileReport> reports;
    for (std::size_t i = 0; i < plan.jobs.size(); ++i) {
        Observer* pass = observer.fileStarting(i, 0);
        if (pass == nullptr) break;
        reports.push_back(passFile(plan.jobs[i], *pass, files, &plan.chosen));
        observer.fileDone(i, reports.back());
        if (reports.back().outcome == FileReport::Outcome::stopped) break;
    }
    return reports;
}

}  // namespace engine
