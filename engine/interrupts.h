// What the process does when it is told to end (SIGINT, SIGTERM, SIGHUP), for the command line
// and the window alike, and the temporary outputs that must not outlive it. POSIX only: the
// Windows programs handle their console and session events themselves.
#pragma once

#include <atomic>
#include <filesystem>

namespace engine {

// From now on the first SIGINT, SIGTERM or SIGHUP sets `stop` (when given) and makes
// interruptDescriptor() readable, so that a run stops between two lines as with Stop; any later
// one removes the temporary outputs still open and ends the process at once, by that signal.
void catchInterrupts(std::atomic<bool>* stop);

// The read end of a pipe that gets a byte at the first interrupt, for an event loop to watch;
// -1 before catchInterrupts().
int interruptDescriptor();

// The first interrupt's signal number, or 0.
int firstInterrupt();

namespace detail {

// A temporary output's name, which an ending process removes while it is registered: register
// it before a file is created under it, and call created() right after. Lock-free, for any
// number of threads; the signal handler only reads what registration published.
class TemporaryName {
public:
    explicit TemporaryName(const std::filesystem::path& path);
    ~TemporaryName();
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;

    // Whether the file just created may stay: false when the process is ending, in which case
    // it has been removed again (the handler may already have looked for it).
    bool created();

private:
    int slot_ = -1;
    const char* path_ = nullptr;
};

}  // namespace detail
}  // namespace engine
