#include "report/ThreadStart.h"

#include <atomic>
#include <system_error>

namespace {

std::atomic<int> startsLeft{-1}; // negative: no limit

// Whether the test limit allows one more start; counts it when it does.
bool TakeStart() {
    int left = startsLeft.load();
    while (left >= 0) {
        if (left == 0)
            return false;
        if (startsLeft.compare_exchange_weak(left, left - 1))
            return true;
    }
    return true;
}

} // namespace

std::jthread TryStartThread(std::function<void()> work) {
    if (!TakeStart())
        return {};
    try {
        return std::jthread(std::move(work));
    } catch (const std::system_error&) {
        return {};
    }
}

void LimitThreadStarts(int starts) {
    startsLeft.store(starts);
}
