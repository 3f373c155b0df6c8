#include "engine/MappedBytes.h"

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
constexpr size_t kSlots = 256;
struct Slot {
    std::atomic<uintptr_t> Begin{0};
    std::atomic<uintptr_t> End{0};
};
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
    const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    for (const Slot& slot : slots) {
        const uintptr_t begin = slot.Begin.load(std::memory_order_acquire);
        const uintptr_t end = slot.End.load(std::memory_order_acquire);
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
        if (slot.Begin.load(std::memory_order_relaxed) != 0)
            continue;
        slot.End.store(begin + length, std::memory_order_release);
        slot.Begin.store(begin, std::memory_order_release);
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
            if (slot.Begin.load(std::memory_order_relaxed) == begin) {
                slot.Begin.store(0, std::memory_order_release);
                slot.End.store(0, std::memory_order_release);
                break;
            }
    }
    ::munmap(const_cast<uint8_t*>(data), length);
}

uint64_t CutFaults() { return cutFaults.load(std::memory_order_relaxed); }

} // namespace mapped
