#include "core/FakeStation.h"

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
    if (FailRts > 0) {
        --FailRts;
        throw std::runtime_error("Error setting RTS");
    }
    Events.push_back({NowMs(), high ? "RTS 1" : "RTS 0"});
}

void TFakePort::CloseAfterFailure() {
    Open = false;
    Events.push_back({NowMs(), "CLOSE"});
}

void TFakePort::Reopen() {
    Open = Present;
    Events.push_back({NowMs(), Present ? "REOPEN" : "REOPEN failed"});
}

std::vector<std::string> TFakePort::Writes() const {
    std::vector<std::string> writes;
    for (const TEvent& event : Events)
        if (event.What.rfind("WRITE ", 0) == 0)
            writes.push_back(event.What.substr(6));
    return writes;
}

TFakeStation::TFakeStation(TDateTime start)
    : Clock(start), Origin(start), Port(Clock, start), Sleeper(Clock),
      Satellites(WrapFake(Component)), Receiver(Window, Port, Sleeper, Locale),
      Tracking(Server, Window), Builder(Window, PassList, ScheduleList, Clock, Locale, "",
                                        [this] { Sequencer.ShowNextPass(); }),
      Sequencer(Window, PassList, Builder, Receiver, Port, Tracking, Clock, Locale) {
    Builder.SetSatellites(Satellites.get());
}

void TFakeStation::TickAt(double secondsFromOrigin) {
    Clock.Set(Origin + secondsFromOrigin / SecondsPerDay);
    Sequencer.TimerTimer();
}

} // namespace kestrune::test
