#pragma once

#include "core/DateTime.h"
#include "core/ReceiverControl.h"

namespace kestrune::test {

// A clock that stands still until the test moves it.
class TFakeClock final : public IClock {
public:
    explicit TFakeClock(TDateTime now = 0) : FNow(now) {}
    TDateTime UtcNow() const override { return FNow; }
    void Set(TDateTime now) { FNow = now; }
    void AdvanceSeconds(double seconds) { FNow += seconds / SecondsPerDay; }

private:
    TDateTime FNow;
};

// A monotonic clock that stands still until the test moves it, or that follows a fake wall clock
// (which the test then never sets back), moved on further by what the test adds.
class TFakeMonotonicClock final : public IMonotonicClock {
public:
    TFakeMonotonicClock() = default;
    explicit TFakeMonotonicClock(const TFakeClock& wallClock) : FWallClock(&wallClock) {}

    long long Ms = 0;
    long long Milliseconds() const override {
        return (FWallClock ? ToMilliseconds(FWallClock->UtcNow()) : 0) + Ms;
    }
    void AdvanceSeconds(double seconds) { Ms += static_cast<long long>(seconds * 1000); }

private:
    const TFakeClock* FWallClock = nullptr;
};

// Sleeping moves the fake clock on.
class TFakeSleeper final : public ISleeper {
public:
    explicit TFakeSleeper(TFakeClock& clock) : FClock(clock) {}
    void Sleep(int milliseconds) override { FClock.AdvanceSeconds(milliseconds / 1000.0); }

private:
    TFakeClock& FClock;
};

} // namespace kestrune::test
