#include "support/FakeReceiver.h"

#include <cmath>
#include <stdexcept>

namespace kestrune::test {

long long TFakePort::NowMs() const {
    return std::llround((FClock.UtcNow() - FOrigin) * SecondsPerDay * 1000);
}

void TFakePort::WriteStr(const std::string& bytes) {
    if (FailWritesFrom >= 0 && WriteCount >= FailWritesFrom)
        throw std::runtime_error("Write error");
    ++WriteCount;
    Events.push_back({NowMs(), "WRITE " + bytes});
}

void TFakePort::SetRTSLine(bool high) {
    Events.push_back({NowMs(), high ? "RTS 1" : "RTS 0"});
}

std::vector<std::string> TFakePort::Writes() const {
    std::vector<std::string> writes;
    for (const TEvent& event : Events)
        if (event.What.rfind("WRITE ", 0) == 0)
            writes.push_back(event.What.substr(6));
    return writes;
}

} // namespace kestrune::test
