#pragma once
// The system's clock, and sleeping on the calling thread.

#include "core/DateTime.h"
#include "core/ReceiverControl.h"

namespace kestrune {

class TSystemClock final : public IClock {
public:
    TDateTime UtcNow() const override;
};

class TSteadyClock final : public IMonotonicClock {
public:
    long long Milliseconds() const override;
};

class TSystemSleeper final : public ISleeper {
public:
    void Sleep(int milliseconds) override;
};

} // namespace kestrune
