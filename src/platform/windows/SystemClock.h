#pragma once
// The system's clock, and sleeping on the calling thread.

#include "core/DateTime.h"
#include "core/ReceiverControl.h"

namespace kestrune {

// GetSystemTime: the UTC date-time to the millisecond.
class TSystemClock final : public IClock {
public:
    TDateTime UtcNow() const override;
};

// GetTickCount64: milliseconds since the machine started, unmoved by clock corrections.
class TSteadyClock final : public IMonotonicClock {
public:
    long long Milliseconds() const override;
};

class TSystemSleeper final : public ISleeper {
public:
    void Sleep(int milliseconds) override;
};

} // namespace kestrune
