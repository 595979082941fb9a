#include "platform/windows/SystemClock.h"

#include <windows.h>

namespace kestrune {

TDateTime TSystemClock::UtcNow() const {
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    return EncodeDateTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                          now.wMilliseconds);
}

long long TSteadyClock::Milliseconds() const {
    return static_cast<long long>(::GetTickCount64());
}

void TSystemSleeper::Sleep(int milliseconds) {
    ::Sleep(milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0);
}

} // namespace kestrune
