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

// Sleeping moves the fake clock on.
class TFakeSleeper final : public ISleeper {
public:
    explicit TFakeSleeper(TFakeClock& clock) : FClock(clock) {}
    void Sleep(int milliseconds) override { FClock.AdvanceSeconds(milliseconds / 1000.0); }

private:
    TFakeClock& FClock;
};

} // namespace kestrune::test
