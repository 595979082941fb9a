#pragma once
// The program core as a front-end drives it, over the shared fakes: a recording view, ticks at
// seconds after the start, and the port COM1 of the fake hardware seen through a spy, whose log
// gives every write and RTS change with its time.

#include "app/Program.h"
#include "support/FakeServices.h"
#include "support/RecordingView.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace kestrune::test {

class TProgramFixture : public ::testing::Test, protected TFakeServices {
protected:
    struct TPortEvent {
        long long AtMs;   // after the start
        std::string What; // "WRITE F0", "RTS 1"
        friend bool operator==(const TPortEvent&, const TPortEvent&) = default;
        friend void PrintTo(const TPortEvent& event, std::ostream* out) {
            *out << event.AtMs << " " << event.What;
        }
    };

    explicit TProgramFixture(TDateTime start = EncodeDateTime(2026, 12, 8, 10, 0, 0))
        : TFakeServices(start) {}

    // Creates and starts the program core on the port PortName, or COM1 behind the spy.
    void Open();
    void TickAt(double seconds);
    // Ticks at 0.2 s (the build) when `firstSecond` is 1, then every whole second up to
    // `lastSecond`.
    void RunUntil(int lastSecond, int firstSecond = 1);

    // The spied port's writes and RTS changes, from `fromMs` after the start on.
    std::vector<TPortEvent> PortEvents(long long fromMs = 0) const;
    // The bytes of every write, in order.
    std::vector<std::string> Writes() const;
    std::string PortLogPath() const;

    std::string PortName;
    TRecordingView View;
    std::unique_ptr<TProgram> Program;
};

} // namespace kestrune::test
