#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "engine/source_mapping.h"

namespace engine::detail {
namespace {

// The mappings the handler may repair. A slot is free at begin 0 and being set up or taken
// down at 1; the handler only reads it, with lock-free atomics.
struct Slot {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> faulted{false};
};
constexpr int kSlots = 64;
Slot slots[kSlots];
std::uintptr_t pageSize = 4096;
struct sigaction previous;

void onBusError(int signal, siginfo_t* info, void* context) {
    const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Slot& slot : slots) {
        const std::uintptr_t begin = slot.begin.load();
        if (begin <= 1 || at < begin || at >= slot.end.load()) continue;
        void* page = reinterpret_cast<void*>(at & ~(pageSize - 1));
        if (::mmap(page, pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
            MAP_FAILED) {
            slot.faulted.store(true);
            return;
        }
    }
    // Not a mapped source's: as it would have been without this handler.
    if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
        previous.sa_sigaction(signal, info, context);
    } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
    } else {
        ::signal(SIGBUS, SIG_DFL);  // the faulting access runs again and ends the process
    }
}

bool handlerInstalled() {
    static const bool installed = [] {
        pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        return ::sigaction(SIGBUS, &action, &previous) == 0;
    }();
    return installed;
}

int takeSlot(const char* data, std::size_t size) {
    for (int i = 0; i < kSlots; ++i) {
        std::uintptr_t free = 0;
        if (!slots[i].begin.compare_exchange_strong(free, 1)) continue;
        slots[i].faulted.store(false);
        slots[i].end.store(reinterpret_cast<std::uintptr_t>(data) + size);
        slots[i].begin.store(reinterpret_cast<std::uintptr_t>(data));
        return i;
    }
    return -1;
}

}  // namespace

SourceMapping::SourceMapping(int fd, std::uint64_t size) {
    // Small files are read faster than mapped; and a mapping must fit the address space.
    if (size < (std::uint64_t{1} << 16) || size > SIZE_MAX / 2 || !handlerInstalled()) return;
    void* data = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED) return;
    slot_ = takeSlot(static_cast<const char*>(data), static_cast<std::size_t>(size));
    if (slot_ < 0) {
        ::munmap(data, static_cast<std::size_t>(size));
        return;
    }
    ::madvise(data, static_cast<std::size_t>(size), MADV_SEQUENTIAL);
    data_ = static_cast<const char*>(data);
    size_ = static_cast<std::size_t>(size);
}

SourceMapping::~SourceMapping() {
    if (data_ == nullptr) return;
    Slot& slot = slots[slot_];
    slot.begin.store(1);
    ::munmap(const_cast<char*>(data_), size_);
    slot.end.store(0);
    slot.begin.store(0);
}

bool SourceMapping::faulted() const {
    return data_ != nullptr && slots[slot_].faulted.load();
}

void SourceMapping::release(std::uint64_t from, std::uint64_t to) {
    const std::size_t begin = (static_cast<std::size_t>(from) + pageSize - 1) & ~(pageSize - 1);
    const std::size_t end = std::min(static_cast<std::size_t>(to), size_) & ~(pageSize - 1);
    if (data_ == nullptr || end <= begin) return;
    ::madvise(const_cast<char*>(data_) + begin, end - begin, MADV_DONTNEED);
}

}  // namespace engine::detail
