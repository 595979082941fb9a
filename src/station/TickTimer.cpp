#include "station/TickTimer.h"

#include <algorithm>

namespace kestrune {

TTickTimer::TTickTimer(const IClock& wallClock, const IMonotonicClock& monotonic)
    : FWallClock(wallClock), FMonotonic(monotonic) {}

int TTickTimer::WaitMs(bool enabled, int intervalMs) {
    if (!enabled) {
        FDueMs.reset();
        return -1;
    }
    const long long nowMs = FMonotonic.Milliseconds();
    if (!FDueMs) {
        const long long delayMs = FFirstTick && intervalMs < 1000
                                      ? intervalMs
                                      : 1000 - ToMilliseconds(FWallClock.UtcNow()) % 1000;
        FDueMs = nowMs + delayMs;
    }
    return static_cast<int>(std::max<long long>(0, *FDueMs - nowMs));
}

bool TTickTimer::TakeDue() {
    if (!FDueMs || FMonotonic.Milliseconds() < *FDueMs)
        return false;
    FDueMs.reset();
    FFirstTick = false;
    return true;
}

} // namespace kestrune
