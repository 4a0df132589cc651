// Interrupts on POSIX: one handler for SIGINT, SIGTERM and SIGHUP, a self-pipe for event loops,
// and the registry of temporary names that a second signal removes. The handler only uses
// lock-free atomics and async-signal-safe calls.
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/interrupts.h"

namespace engine {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
// Outputs open at once beyond this many go unregistered: far more than a run has threads.
constexpr int kSlots = 1024;

// Each slot holds a registered name, nothing, or kTaken once the handler has claimed its name.
static_assert(std::atomic<const char*>::is_always_lock_free);
std::atomic<const char*> slots[kSlots];
const char kTakenMark = 0;
const char* const kTaken = &kTakenMark;

std::atomic<bool> ending{false};
std::atomic<int> interrupts{0};
std::atomic<int> first{0};
std::atomic<std::atomic<bool>*> stopFlag{nullptr};
int wakeRead = -1;
int wakeWrite = -1;

void removeTemporaries() {
    for (std::atomic<const char*>& slot : slots) {
        const char* path = slot.load();
        // Claimed before use: its owner may neither free nor reuse the name from now on.
        if (path != nullptr && path != kTaken && slot.compare_exchange_strong(path, kTaken)) {
            ::unlink(path);
        }
    }
}

extern "C" void onProcessInterrupt(int number) {
    const int savedErrno = errno;
    if (interrupts.fetch_add(1) == 0) {
        first.store(number);
        if (std::atomic<bool>* stop = stopFlag.load()) stop->store(true);
        if (wakeWrite >= 0 && ::write(wakeWrite, "!", 1) < 0) {
            // Full: the loop has a byte to read already.
        }
        errno = savedErrno;
        return;
    }
    // Set first: a thread that creates a file from now on removes it itself (created()).
    ending.store(true);
    removeTemporaries();
    // Ended by the signal itself, so that the parent sees what ended the program.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(number, &fallback, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, number);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(number);
    ::_exit(128 + number);
}

}  // namespace

void catchInterrupts(std::atomic<bool>* stop) {
    stopFlag.store(stop);
    first.store(0);
    interrupts.store(0);
    int ends[2];
    if (wakeRead < 0 && ::pipe(ends) == 0) {
        for (const int end : ends) {
            ::fcntl(end, F_SETFD, FD_CLOEXEC);
            ::fcntl(end, F_SETFL, O_NONBLOCK);
        }
        wakeRead = ends[0];
        wakeWrite = ends[1];
    }
    struct sigaction action {};
    action.sa_handler = onProcessInterrupt;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int number : kSignals) sigaddset(&action.sa_mask, number);
    for (const int number : kSignals) {
        struct sigaction old {};
        // A signal ignored from the start (nohup, a background job) stays ignored.
        if (::sigaction(number, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        ::sigaction(number, &action, nullptr);
    }
}

int interruptDescriptor() {
    return wakeRead;
}

int firstInterrupt() {
    return first.load();
}

namespace detail {

TemporaryName::TemporaryName(const std::filesystem::path& path) {
    const std::string& text = path.native();
    char* copy = new char[text.size() + 1];
    std::memcpy(copy, text.c_str(), text.size() + 1);
    path_ = copy;
    for (int i = 0; i < kSlots; ++i) {
        const char* empty = nullptr;
        if (slots[i].compare_exchange_strong(empty, path_)) {
            slot_ = i;
            return;
        }
    }
}

TemporaryName::~TemporaryName() {
    const char* mine = path_;
    // When the handler holds the name, it keeps it to the end of the process.
    if (slot_ < 0 || slots[slot_].compare_exchange_strong(mine, nullptr)) delete[] path_;
}

bool TemporaryName::created() {
    if (!ending.load()) return true;
    ::unlink(path_);
    return false;
}

}  // namespace detail
}  // namespace engine
