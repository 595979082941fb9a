#pragma once

#include "DateTime.h"

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

} // namespace kestrune::test
