#pragma once
// A whole station without a window: the core's objects wired to fakes that record everything
// the window, the serial port and the tracking server are asked to do.

#include "core/PassSequencer.h"
#include "support/FakeClock.h"
#include "support/FakeSatellites.h"
#include "support/FakeTrackingServer.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestrune::test {

class TFakeWindow final : public IScheduleView,
                          public ISequencerView,
                          public IReceiverView,
                          public ITrackingView {
public:
    // Inputs.
    std::vector<TSatelliteRow> Rows;
    int RxType = RxRx2;
    bool Scan = true;
    int PreGap = 10, PostGap = 10;

    // What is shown now, and every message and error in order.
    std::string Caption, Title, Status, UtcLabel, NextPassLabel, TrackingText, TrackingHint;
    TColor Led = 0;
    bool VersionVisible = true, ProgressVisible = false, SkipEnabled = false;
    int ProgressMax = 0, ProgressPosition = 0;
    bool TimerEnabled = false;
    int TimerInterval = 200;
    int SelectorChanges = 0;
    std::vector<std::string> Messages, Errors;
    bool Closed = false;

    std::vector<TSatelliteRow> SatelliteRows() const override { return Rows; }
    std::string LatitudeText() const override { return "55.9"; }
    std::string LongitudeText() const override { return "-3.2"; }
    std::string HeightText() const override { return "180"; }
    double MinElevationDeg() const override { return 2; }
    int DaysLookahead() const override { return 1; }
    void ShowBusyCursor() override {}
    void RestoreCursor() override {}
    void ShowTimerTab() override {}
    void EnableTimer() override { TimerEnabled = true; }

    int PrePassGapS() const override { return PreGap; }
    int PostPassGapS() const override { return PostGap; }
    bool ScanWhenIdle() const override { return Scan; }
    void SetCaption(const std::string& caption) override { Caption = caption; }
    void SetTitle(const std::string& title) override { Title = title; }
    void SetStatusText(const std::string& text) override { Status = text; }
    void SetLedColor(TColor color) override { Led = color; }
    void SetUtcLabel(const std::string& text) override { UtcLabel = text; }
    void SetNextPassLabel(const std::string& text) override { NextPassLabel = text; }
    void SetVersionLabelVisible(bool visible) override { VersionVisible = visible; }
    void SetProgressVisible(bool visible) override { ProgressVisible = visible; }
    void SetProgressRange(int maximum) override { ProgressMax = maximum; }
    void SetProgressPosition(int position) override { ProgressPosition = position; }
    void SetSkipEnabled(bool enabled) override { SkipEnabled = enabled; }
    void SetTimerEnabled(bool enabled) override { TimerEnabled = enabled; }
    void SetTimerInterval(int milliseconds) override { TimerInterval = milliseconds; }
    // Runs while an error report is open, as a modal message loop would deliver ticks.
    std::function<void()> WhileErrorShown;
    void ShowError(const std::string& text) override {
        Errors.push_back(text);
        if (WhileErrorShown)
            WhileErrorShown();
    }
    void CloseMainWindow() override { Closed = true; }

    int ReceiverType() const override { return RxType; }
    void ChannelSelectorChanged() override { ++SelectorChanges; }
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }

    void SetTrackingText(const std::string& text) override { TrackingText = text; }
    void SetTrackingHint(const std::string& hint) override { TrackingHint = hint; }
};

// Every write and RTS call, stamped with the fake clock's time in milliseconds since the
// station's start.
class TFakePort final : public IReceiverPort {
public:
    struct TEvent {
        long long AtMs;
        std::string What; // "WRITE F0", "RTS 1"
        bool operator==(const TEvent&) const = default;
    };

    TFakePort(const TFakeClock& clock, TDateTime origin) : FClock(clock), FOrigin(origin) {}

    bool Open = true;
    int FailWritesFrom = -1; // the write with this number (from 0) and later ones fail
    int FailRts = 0;         // how many RTS calls fail from now on
    std::vector<TEvent> Events;
    int WriteCount = 0;

    bool Present = true; // whether a reopen finds the device
    bool Connected() const override { return Open; }
    void WriteStr(const std::string& bytes) override;
    void SetRTSLine(bool high) override;
    // Recorded as "CLOSE" and "REOPEN" (with " failed" when the device is not present).
    void CloseAfterFailure() override;
    void Reopen() override;
    std::vector<std::string> Writes() const;
    long long NowMs() const;

private:
    const TFakeClock& FClock;
    TDateTime FOrigin;
};

struct TFakeStation {
    explicit TFakeStation(TDateTime start);

    TFakeClock Clock;
    TDateTime Origin;
    TFakeWindow Window;
    TFakePort Port;
    TFakeSleeper Sleeper;
    TFakeTrackingServer Server;
    TFakeSatellites Component;
    std::unique_ptr<TSatellites> Satellites;
    TLocaleInfo Locale;
    TPassList PassList;
    TScheduleList ScheduleList;
    TReceiverControl Receiver;
    TTrackingOutput Tracking;
    TScheduleBuilder Builder;
    TPassSequencer Sequencer;

    // Sets the clock to `secondsFromOrigin` after the origin and ticks once.
    void TickAt(double secondsFromOrigin);
};

} // namespace kestrune::test
