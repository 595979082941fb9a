#pragma once
// The headless station's stand-in for the window: it holds the values the window's controls
// would hold and turns everything the window would show into log lines, one per change, each
// starting with the UTC time to the millisecond.

#include "PassSequencer.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrune {

// The values of the window's controls, as the settings give them.
struct TStationControls {
    std::vector<TSatelliteRow> Rows;
    std::string Latitude, Longitude, Height;
    int PrePassGapS = 10, PostPassGapS = 10;
    int MinElevationDeg = 2, DaysLookahead = 21;
    int ReceiverType = RxRx2;
    bool ScanWhenIdle = true;
};

class TStationView final : public IScheduleView,
                           public ISequencerView,
                           public IReceiverView,
                           public ITrackingView {
public:
    using TSink = std::function<void(const std::string& line)>;

    // `out` takes every log line, `err` the error lines as well.
    TStationView(TStationControls controls, const IClock& clock, const TLocaleInfo& locale,
                 TSink out, TSink err);

    TStationControls& Controls() { return FControls; }
    bool TimerEnabled() const { return FTimerEnabled; }
    int TimerInterval() const { return FTimerInterval; }
    bool CloseRequested() const { return FCloseRequested; }

    // One line for the build's pass list and one for each pass, drawn as the pass list draws it.
    void LogPassList(const std::vector<std::string>& lines);
    void Log(const std::string& what, const std::string& text);

    // IScheduleView
    std::vector<TSatelliteRow> SatelliteRows() const override { return FControls.Rows; }
    std::string LatitudeText() const override { return FControls.Latitude; }
    std::string LongitudeText() const override { return FControls.Longitude; }
    std::string HeightText() const override { return FControls.Height; }
    double MinElevationDeg() const override { return FControls.MinElevationDeg; }
    int DaysLookahead() const override { return FControls.DaysLookahead; }
    void SetStatusText(const std::string& text) override;
    void ShowBusyCursor() override {}
    void RestoreCursor() override {}
    void ShowTimerTab() override {}
    void EnableTimer() override { FTimerEnabled = true; }

    // ISequencerView
    int PrePassGapS() const override { return FControls.PrePassGapS; }
    int PostPassGapS() const override { return FControls.PostPassGapS; }
    bool ScanWhenIdle() const override { return FControls.ScanWhenIdle; }
    void SetCaption(const std::string& caption) override;
    void SetTitle(const std::string& title) override;
    void SetLedColor(TColor color) override;
    void SetUtcLabel(const std::string&) override {}
    void SetNextPassLabel(const std::string& text) override;
    void SetVersionLabelVisible(bool) override {}
    void SetProgressVisible(bool) override {}
    void SetProgressRange(int) override {}
    void SetProgressPosition(int) override {}
    void SetSkipEnabled(bool) override {}
    void SetTimerEnabled(bool enabled) override { FTimerEnabled = enabled; }
    void SetTimerInterval(int milliseconds) override { FTimerInterval = milliseconds; }
    void ShowError(const std::string& text) override;
    void CloseMainWindow() override { FCloseRequested = true; }

    // IReceiverView
    int ReceiverType() const override { return FControls.ReceiverType; }
    void ChannelSelectorChanged() override {}
    void ShowMessage(const std::string& text) override { Log("message", text); }

    // ITrackingView: the string goes to the tracking server; no line for it.
    void SetTrackingText(const std::string&) override {}
    void SetTrackingHint(const std::string&) override {}

private:
    // Logs the text under its name when it differs from what was logged last under that name.
    void Changed(std::optional<std::string>& last, const std::string& what,
                 const std::string& text);

    TStationControls FControls;
    const IClock& FClock;
    const TLocaleInfo& FLocale;
    TSink FOut, FErr;
    std::optional<std::string> FCaption, FTitle, FStatus, FNextPass;
    std::optional<TColor> FLed;
    bool FTimerEnabled = false;
    int FTimerInterval = 200;
    bool FCloseRequested = false;
};

// "yellow", "green", "lime", "aqua", or the value in hexadecimal.
std::string ColorName(TColor color);

} // namespace kestrune
