#include "format/MappedBytes.h"

#include <array>
#include <atomic>
#include <csignal>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace mapped {

namespace {

// The live mappings, in a fixed table the signal handler reads without locks. A slot holds its
// mapping's start and end; a start of 0 marks it free. Writers (map, unmap) take the mutex.
//
// Start and end are two loads, and between them another thread may unmap the slot's mapping and map a
// new one into it (often at the same start, as the system hands out the same addresses again): a
// start of one mapping with the end of the other would lay zeros over bytes that belong to neither.
// So each slot has a sequence count, odd while a writer changes it: the handler takes the pair only
// when the count was even before it and unchanged after it, and reads again otherwise. A writer holds
// the slot odd for a few stores on another thread (the fault is in this thread's own read of a mapping,
// never inside Map or Unmap), so the handler waits at most that long. Every access is sequentially
// consistent, so a count seen unchanged means no store of a change came between the two reads.
constexpr size_t kSlots = 256;
struct Slot {
    std::atomic<uint64_t> Sequence{0};
    std::atomic<uintptr_t> Begin{0};
    std::atomic<uintptr_t> End{0};
};

struct Range {
    uintptr_t Begin = 0, End = 0;
};

// Only under slotsMutex.
void Store(Slot& slot, Range range) {
    const uint64_t sequence = slot.Sequence.load();
    slot.Sequence.store(sequence + 1);
    slot.Begin.store(range.Begin);
    slot.End.store(range.End);
    slot.Sequence.store(sequence + 2);
}

// A start and end that belonged together in the slot at one moment.
Range Load(const Slot& slot) {
    for (;;) {
        const uint64_t before = slot.Sequence.load();
        if (before % 2 != 0)
            continue;
        const Range range{slot.Begin.load(), slot.End.load()};
        if (slot.Sequence.load() == before)
            return range;
    }
}

std::array<Slot, kSlots> slots;
std::mutex slotsMutex;
std::atomic<uint64_t> cutFaults{0};

struct sigaction previous {};
std::once_flag handlerOnce;

void PassOn(int signal, siginfo_t* info, void* context) {
    if (previous.sa_flags & SA_SIGINFO) {
        if (previous.sa_sigaction) {
            previous.sa_sigaction(signal, info, context);
            return;
        }
    } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
        return;
    }
    // The default action: end the process with the signal.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void OnBusError(int signal, siginfo_t* info, void* context) {
    // A bus error sent by a program (kill) names no faulting read, and could land while this thread
    // changes a slot.
    if (info->si_code <= 0) {
        PassOn(signal, info, context);
        return;
    }
    const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    for (const Slot& slot : slots) {
        const auto [begin, end] = Load(slot);
        if (begin == 0 || address < begin || address >= end)
            continue;
        // The file ends before this page: zeros from here to the end of the mapping. Pages before it
        // keep the file's bytes.
        const uintptr_t from = address & ~(page - 1);
        void* zeros = ::mmap(reinterpret_cast<void*>(from), end - from, PROT_READ,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros != MAP_FAILED) {
            cutFaults.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        break;
    }
    PassOn(signal, info, context);
}

void InstallHandler() {
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &previous);
}

} // namespace

const uint8_t* Map(int fd, size_t length) {
    if (length == 0)
        return nullptr;
    std::call_once(handlerOnce, InstallHandler);
    void* data = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
    if (data == MAP_FAILED)
        return nullptr;
    const auto begin = reinterpret_cast<uintptr_t>(data);
    std::lock_guard lock(slotsMutex);
    for (Slot& slot : slots) {
        if (slot.Begin.load() != 0)
            continue;
        Store(slot, {begin, begin + length});
        return static_cast<const uint8_t*>(data);
    }
    // Every slot is taken: without a guard the mapping is not safe to use.
    ::munmap(data, length);
    return nullptr;
}

void Unmap(const uint8_t* data, size_t length) {
    if (!data)
        return;
    const auto begin = reinterpret_cast<uintptr_t>(data);
    {
        std::lock_guard lock(slotsMutex);
        for (Slot& slot : slots)
            if (slot.Begin.load() == begin) {
                Store(slot, {});
                break;
            }
    }
    ::munmap(const_cast<uint8_t*>(data), length);
}

uint64_t CutFaults() {
    return cutFaults.load(std::memory_order_relaxed);
}

} // namespace mapped
