#include "platform/linux/SystemClock.h"

#include <chrono>
#include <thread>

namespace kestrune {

TDateTime TSystemClock::UtcNow() const {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::system_clock::now().time_since_epoch())
                        .count();
    return FromUnixSeconds(static_cast<double>(ms) / 1000.0);
}

long long TSteadyClock::Milliseconds() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void TSystemSleeper::Sleep(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace kestrune
