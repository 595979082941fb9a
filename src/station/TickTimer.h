#pragma once
// The station's stand-in for the window timer. Like the Windows timer the program was designed
// on, it waits on a clock that follows no step of the wall clock, so that NTP setting the clock
// back at boot never freezes the ticking for the length of the step.

#include "core/DateTime.h"

#include <optional>

namespace kestrune {

class TTickTimer {
public:
    TTickTimer(const IClock& wallClock, const IMonotonicClock& monotonic);

    // Milliseconds until the next tick; -1 while the timer is off. The first tick comes after
    // an interval below a second, later ones at the wall clock's next whole second, so that
    // they do not drift.
    int WaitMs(bool enabled, int intervalMs);
    // Whether the planned tick is due; the next one is planned by the next WaitMs.
    bool TakeDue();
    // Forgets the planned tick (a restart plans anew).
    void Reset() { FDueMs.reset(); }

private:
    const IClock& FWallClock;
    const IMonotonicClock& FMonotonic;
    std::optional<long long> FDueMs;
    bool FFirstTick = true;
};

} // namespace kestrune
