#include "core/PassSequencer.h"

#include "core/SatelliteList.h"
#include "core/Text.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace kestrune {

namespace {

std::string TwoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

std::string TimeOfDay(const TDateTimeParts& parts, char separator) {
    return TwoDigits(parts.Hour) + separator + TwoDigits(parts.Minute) + separator +
           TwoDigits(parts.Second);
}

} // namespace

int SatelliteChannelItem(const std::string& satellite) {
    if (satellite == "NOAA 15")
        return 5; // channel 4, 137.62 MHz
    if (satellite == "NOAA 18")
        return 6; // channel 5, 137.91 MHz
    if (satellite == "NOAA 19")
        return 2; // channel 1, 137.10 MHz
    return 0;
}

int SatelliteChannelItem(const std::string& satellite, const std::vector<TSatelliteRow>& rows) {
    for (const TSatelliteRow& row : rows) {
        if (SameTextAscii(row.Name, satellite) && row.Channel.size() == 1 &&
            row.Channel[0] >= '0' && row.Channel[0] <= '9')
            return row.Channel[0] - '0' + 1;
    }
    return SatelliteChannelItem(satellite);
}

TSatelliteDownlink SatelliteDownlink(const std::string& satellite,
                                     const std::vector<TSatelliteRow>& rows) {
    for (const TSatelliteRow& row : rows) {
        if (!SameTextAscii(row.Name, satellite))
            continue;
        if (auto tuning = SatelliteTuning(row.Channel))
            return {0, std::move(tuning)};
    }
    return {SatelliteChannelItem(satellite, rows), std::nullopt};
}

TPassSequencer::TPassSequencer(ISequencerView& view, TPassList& passList, TScheduleBuilder& builder,
                               TReceiverControl& receiver, IReceiverPort& port,
                               TTrackingOutput& tracking, const IClock& clock,
                               const TLocaleInfo& locale)
    : FView(view), FPassList(passList), FBuilder(builder), FReceiver(receiver), FPort(port),
      FTracking(tracking), FClock(clock), FLocale(locale) {}

void TPassSequencer::TimerTimer() {
    if (FBusy)
        return;
    FBusy = true;
    // The report is shown while the flag is still set: ticks that arrive meanwhile return at
    // once, so one failure opens one report, and ticking goes on once it is closed.
    try {
        Tick();
    } catch (const std::exception& error) {
        FView.ShowError(error.what());
    }
    FBusy = false;
    // Reported with the flag cleared: the count goes on while the report is open, and the
    // port, closed now, cannot fail again before it is reopened.
    if (!FPortFailure.empty())
        FView.ShowError(std::exchange(FPortFailure, std::string()));
}

void TPassSequencer::Tick() {
    const TDateTime now = FClock.UtcNow();
    FView.SetUtcLabel(FormatUtcLabel(now));
    switch (FState) {
    case TSequencerState::Initialise:
        FView.SetTimerEnabled(false);
        FReceiver.SelectChannelItem(0);
        FView.SetCaption("Kestrune initialising...");
        FView.SetTitle("Kestrune");
        FBuilder.BuildPassList();
        FState = TSequencerState::Idle;
        FView.SetLedColor(ClGreen);
        FView.SetTimerInterval(1000);
        FView.SetTimerEnabled(true);
        break;
    case TSequencerState::Idle:
        TickIdle(now);
        break;
    case TSequencerState::PrePass:
        if (CountDownPause()) {
            FState = TSequencerState::Receiving;
            FView.SetSkipEnabled(true);
        }
        break;
    case TSequencerState::Receiving:
        SetRts(true);
        FView.SetLedColor(ClLime);
        if (CountDownReception()) {
            NotifyReceptionEnded();
            FState = TSequencerState::PostPass;
            FPauseCounter = FView.PostPassGapS();
            FReceiver.SelectChannelItem(1);
            FView.SetSkipEnabled(false);
        }
        break;
    case TSequencerState::PostPass:
        SetRts(false);
        FView.SetLedColor(ClAqua);
        if (CountDownPause()) {
            FState = TSequencerState::Idle;
            FView.SetLedColor(ClGreen);
        }
        break;
    }
    FTracking.PublishTrackingString(FCurrentSatellite,
                                    static_cast<double>(FReceiver.ChannelFrequencyHz()));
}

void TPassSequencer::TickIdle(TDateTime now) {
    const int channel = FReceiver.ChannelIndex() - 1;
    if (channel >= 0 && channel <= 9)
        FView.SetCaption("RX channel " + std::to_string(channel));
    else
        FView.SetCaption(FView.ScanWhenIdle() ? "RX scanning..." : "RX standby");
    FView.SetTitle("Kestrune");
    const TDateTimeParts parts = DecodeDateTime(now);
    const int secondOfDay = (parts.Hour * 60 + parts.Minute) * 60 + parts.Second;
    FView.SetLedColor(secondOfDay % 2 == 1 ? ClLime : ClGreen);

    RemoveEndedPasses(now);
    if (StartPassIfDue(now + FView.PrePassGapS() * OneSecond)) {
        FState = TSequencerState::PrePass;
        FView.SetLedColor(ClAqua);
        // A port lost at an earlier pass, or missing at start, gets its chance before this one.
        if (!FPort.Connected())
            FPort.Reopen();
        FPauseCounter = FView.PrePassGapS();
        FReceiver.SelectChannelItem(1);
        FView.SetNextPassLabel("");
    }
}

void TPassSequencer::RemoveEndedPasses(TDateTime now) {
    // Passes that ended while nobody was ticking (the computer was suspended through them)
    // cannot be received any more; replaying them would make the station miss the real ones.
    bool removed = false;
    while (!FPassList.Empty()) {
        if (ToMilliseconds(FPassList.Pass(0).End()) > ToMilliseconds(now))
            break;
        FPassList.Delete(0);
        removed = true;
    }
    if (removed)
        ShowNextPass();
}

bool TPassSequencer::StartPassIfDue(TDateTime t) {
    if (ToMilliseconds(t) < ToMilliseconds(FNextStart) || FPassList.Empty())
        return false;
    FPassList.SetItemIndex(0);
    const TPassLine& pass = FPassList.Pass(0);
    if (!pass.Readable()) {
        RemoveUnreadableHead();
        return false;
    }
    FPass = pass;
    FPassLength = FSecondsLeft = *pass.LengthS;
    // A pass found late (the machine woke inside it) still ends when the satellite sets.
    FPassEnd = std::min(t, pass.Start) + FPassLength * OneSecond;
    // On time, the pause's count ends on the tick one second after t.
    FPauseEnd = t + OneSecond;
    FView.SetProgressRange(FPassLength);
    FView.SetProgressPosition(0);
    FCurrentSatellite = pass.Satellite;
    return true;
}

void TPassSequencer::SetRts(bool high) {
    if (!FPort.Connected())
        return;
    try {
        FPort.SetRTSLine(high);
    } catch (const std::exception& error) {
        // The pass goes on being counted without the port; it is reopened before the next one.
        FPortFailure = error.what();
        FPort.CloseAfterFailure();
    }
}

void TPassSequencer::NotifyReceptionStarted(bool tuned) {
    if (!FListener)
        return;
    TReception reception;
    reception.Satellite = FCurrentSatellite;
    if (tuned)
        reception.FrequencyHz = FReceiver.ChannelFrequencyHz();
    reception.Direction = FPass.Direction == 'S' ? 'S' : 'N';
    reception.LengthS = FPassLength;
    reception.Start = FPass.Start;
    reception.MaxElevationDeg = FPass.MaxElevationDeg;
    reception.MaxAzimuthDeg = FPass.MaxAzimuthDeg;
    FListener->ReceptionStarted(reception);
}

void TPassSequencer::NotifyReceptionEnded() {
    if (FListener)
        FListener->ReceptionEnded();
}

void TPassSequencer::RemoveUnreadableHead() {
    // A line that can never start would keep every later pass from starting.
    if (FPassList.Empty())
        return;
    FPassList.Delete(0);
    ShowNextPass();
}

bool TPassSequencer::CountDownPause() {
    const int left = --FPauseCounter;
    const bool prePassOverByClock =
        !FCurrentSatellite.empty() && ToMilliseconds(FClock.UtcNow()) >= ToMilliseconds(FPauseEnd);
    if (left < 0 || prePassOverByClock) {
        FReceiver.SetChannelIndex(0);
        const TSatelliteDownlink downlink = FChannelChoice(FCurrentSatellite);
        if (downlink.Tuning) {
            FReceiver.SelectSatelliteFrequency(*downlink.Tuning, FCurrentSatellite);
        } else {
            if (downlink.Item != 0)
                FReceiver.SetChannelIndex(downlink.Item);
            FReceiver.RadioGroupChannelClick();
        }
        if (!FCurrentSatellite.empty()) {
            FView.SetCaption(FCurrentSatellite + " pass");
            FView.SetTitle(FCurrentSatellite + " - pass");
            NotifyReceptionStarted(downlink.Item != 0 || downlink.Tuning.has_value());
        } else {
            FView.SetCaption("Kestrune active...");
            FView.SetTitle("Kestrune");
            FView.SetVersionLabelVisible(true);
            FView.SetProgressVisible(false);
        }
        FView.SetStatusText("");
        return true;
    }
    const std::string seconds = std::to_string(left);
    if (!FCurrentSatellite.empty()) {
        const std::string status = "  Pausing before signal " + seconds + "s";
        FView.SetStatusText(status);
        FView.SetCaption("Kestrune -" + status);
        FView.SetTitle("Kestrune " + seconds + "s  pre-pause");
        FView.SetVersionLabelVisible(false);
        FView.SetProgressVisible(true);
    } else {
        const std::string status = "  Pausing after signal " + seconds + "s";
        FView.SetStatusText(status);
        FView.SetCaption("Kestrune -" + status);
        FView.SetTitle("Kestrune " + seconds + "s post-pause");
    }
    return false;
}

bool TPassSequencer::CountDownReception() {
    const int left = --FSecondsLeft;
    if (left <= 0 || FClock.UtcNow() > FPassEnd) {
        FCurrentSatellite.clear();
        FView.SetStatusText("");
        const int selected = FPassList.ItemIndex();
        if (selected >= 0) {
            FPassList.BeginUpdate();
            for (int i = 0; i <= selected && !FPassList.Empty(); ++i)
                FPassList.Delete(0);
            FPassList.EndUpdate();
        }
        FPassList.SetItemIndex(-1);
        ShowNextPass();
        return true;
    }
    const std::string seconds = std::to_string(left);
    const char* directionWord = FPass.Direction == 'S' ? "southbound" : "northbound";
    FView.SetStatusText("  Receiving " + FCurrentSatellite + " " + directionWord + ",  " + seconds +
                        "s left");
    FView.SetTitle(FCurrentSatellite + " (" + seconds + "s)");
    try {
        FView.SetProgressPosition(FPassLength - left);
    } catch (const std::exception&) {
    }
    return false;
}

void TPassSequencer::ShowNextPass() {
    FNextStart = FarFuture;
    FView.SetNextPassLabel("");
    if (FPassList.Empty())
        return;
    try {
        FNextStart = FPassList.Pass(0).Start;
        FView.SetNextPassLabel(
            "Next pass: " + TimeOfDay(DecodeDateTime(FNextStart), FLocale.TimeSeparator) + " UTC");
    } catch (const std::exception&) {
        FNextStart = FarFuture;
    }
}

int TPassSequencer::SecondsLeft() const {
    switch (FState) {
    case TSequencerState::PrePass:
    case TSequencerState::PostPass:
        return std::max(FPauseCounter, 0);
    case TSequencerState::Receiving:
        return std::max(FSecondsLeft, 0);
    default:
        return 0;
    }
}

void TPassSequencer::ButtonRestartClick() {
    FView.SetTimerEnabled(false);
    if (FState == TSequencerState::PrePass || FState == TSequencerState::Receiving ||
        FState == TSequencerState::PostPass) {
        // A restart during a pass ends it: the recorder must not go on with RTS high through
        // the rebuild and the idle time after it.
        if (FState == TSequencerState::Receiving)
            NotifyReceptionEnded();
        SetRts(false);
        FCurrentSatellite.clear();
        FView.SetSkipEnabled(false);
        FView.SetStatusText("");
        FView.SetProgressVisible(false);
        FView.SetVersionLabelVisible(true);
    }
    FState = TSequencerState::Initialise;
    FView.SetLedColor(ClYellow);
    FView.SetTimerEnabled(true);
}

void TPassSequencer::ButtonExitClick() {
    FView.SetTimerEnabled(false);
    FView.CloseMainWindow();
}

std::string TPassSequencer::FormatUtcLabel(TDateTime now) const {
    const TDateTimeParts parts = DecodeDateTime(now);
    return FLocale.ShortMonthNames[static_cast<std::size_t>(parts.Month - 1)] + " " +
           TwoDigits(parts.Day) + ", " + TimeOfDay(parts, FLocale.TimeSeparator) + " UTC";
}

} // namespace kestrune
