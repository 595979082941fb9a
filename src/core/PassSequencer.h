#pragma once
// The pass sequencer: the unattended main loop. A timer ticks once a second and steps a state
// machine: build the pass list, wait idle for the next pass, pause before it with the receiver
// in standby, receive it on the satellite's channel with RTS high, pause after it, wait again.

#include "core/DateTime.h"
#include "core/LocaleInfo.h"
#include "core/PassLine.h"
#include "core/PassList.h"
#include "core/ReceiverControl.h"
#include "core/ScheduleBuilder.h"
#include "core/TrackingString.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrune {

// Colours as 0x00BBGGRR.
using TColor = std::uint32_t;
constexpr TColor ClYellow = 0x00FFFF;
constexpr TColor ClGreen = 0x008000;
constexpr TColor ClLime = 0x00FF00;
constexpr TColor ClAqua = 0xFFFF00;

// What the sequencer reads from and shows in the window.
class ISequencerView {
public:
    virtual ~ISequencerView() = default;
    virtual int PrePassGapS() const = 0;
    virtual int PostPassGapS() const = 0;
    virtual bool ScanWhenIdle() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // The application's title (the text of the taskbar button).
    virtual void SetTitle(const std::string& title) = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void SetLedColor(TColor color) = 0;
    virtual void SetUtcLabel(const std::string& text) = 0;
    virtual void SetNextPassLabel(const std::string& text) = 0;
    virtual void SetVersionLabelVisible(bool visible) = 0;
    virtual void SetProgressVisible(bool visible) = 0;
    virtual void SetProgressRange(int maximum) = 0;
    virtual void SetProgressPosition(int position) = 0;
    virtual void SetSkipEnabled(bool enabled) = 0;
    virtual void SetTimerEnabled(bool enabled) = 0;
    virtual void SetTimerInterval(int milliseconds) = 0;
    // The application's error report; returns when the user has closed it.
    virtual void ShowError(const std::string& text) = 0;
    virtual void CloseMainWindow() = 0;
};

enum class TSequencerState : int {
    Initialise = 0,
    Idle = 1,
    PrePass = 2,
    Receiving = 3,
    PostPass = 4
};

// The pass being received, as the commands run at its start and end are told of it.
struct TReception {
    std::string Satellite;
    // The satellite's channel; 0 when it has none and the receiver scans.
    long long FrequencyHz = 0;
    char Direction = 'N';
    int LengthS = 0;
    // The pass's start; its end is the start plus the length.
    TDateTime Start = 0;
    // The highest elevation and its azimuth, when the pass line has them as whole numbers.
    std::optional<int> MaxElevationDeg, MaxAzimuthDeg;
};

// Told when reception of a pass begins (the pre-pass pause is over) and when it ends (its
// length counted down, Skip, or a restart during it).
class IReceptionListener {
public:
    virtual ~IReceptionListener() = default;
    virtual void ReceptionStarted(const TReception& reception) = 0;
    virtual void ReceptionEnded() = 0;
};

// The selector item of the channel a satellite is received on by the built-in table (the
// NOAA satellites); 0 (scan or standby) for a satellite without one.
int SatelliteChannelItem(const std::string& satellite);
// The item for a satellite of the list: its own channel when its row has one (the row's name
// compared without regard to case, as the pass carries the name in capitals), else the
// built-in table's.
int SatelliteChannelItem(const std::string& satellite, const std::vector<TSatelliteRow>& rows);

// How a satellite's passes are received: on a channel item (0: scan or standby), or on its own
// frequency.
struct TSatelliteDownlink {
    int Item = 0;
    std::optional<TTuning> Tuning;
};
// The satellite's own frequency when its row has one, else SatelliteChannelItem's item.
TSatelliteDownlink SatelliteDownlink(const std::string& satellite,
                                     const std::vector<TSatelliteRow>& rows);

class TPassSequencer {
public:
    TPassSequencer(ISequencerView& view, TPassList& passList, TScheduleBuilder& builder,
                   TReceiverControl& receiver, IReceiverPort& port, TTrackingOutput& tracking,
                   const IClock& clock, const TLocaleInfo& locale);

    // The timer's tick: one step of the state machine, then the tracking string.
    void TimerTimer();
    // Whether a pass begins now; t is the tick's time plus the pre-pass gap.
    bool StartPassIfDue(TDateTime t);
    // Whether the current pause (before or after a pass) is over.
    bool CountDownPause();
    // Whether reception of the current pass is over.
    bool CountDownReception();
    // Next start and the next-pass label from line 0 of the pass list.
    void ShowNextPass();

    // Where the channel of the satellite whose pass begins comes from; the built-in table until
    // the program says otherwise.
    void SetChannelChoice(
        std::function<TSatelliteDownlink(const std::string& satellite)> channelChoice) {
        FChannelChoice = std::move(channelChoice);
    }

    // Who is told of each reception; nobody until the program says.
    void SetReceptionListener(IReceptionListener* listener) { FListener = listener; }

    void ButtonRestartClick();
    void ButtonSkipClick() { FSecondsLeft = -1; }
    void ButtonExitClick();

    TSequencerState State() const { return FState; }
    // Seconds left of the pause or the reception under way; 0 in the other states.
    int SecondsLeft() const;
    TDateTime NextStart() const { return FNextStart; }
    const std::string& CurrentSatellite() const { return FCurrentSatellite; }

private:
    void Tick();
    void TickIdle(TDateTime now);
    void RemoveEndedPasses(TDateTime now);
    void RemoveUnreadableHead();
    void SetRts(bool high);
    void NotifyReceptionStarted(bool tuned);
    void NotifyReceptionEnded();
    std::string FormatUtcLabel(TDateTime now) const;

    ISequencerView& FView;
    TPassList& FPassList;
    TScheduleBuilder& FBuilder;
    TReceiverControl& FReceiver;
    IReceiverPort& FPort;
    TTrackingOutput& FTracking;
    const IClock& FClock;
    const TLocaleInfo& FLocale;

    TSequencerState FState = TSequencerState::Initialise;
    bool FBusy = false;
    int FPauseCounter = 0;
    // When the pre-pass pause is over by the clock: a tick that blocked (a slow receiver's
    // standby command) must not push the pass's start back by the ticks it swallowed.
    TDateTime FPauseEnd = 0;
    TDateTime FNextStart = FarFuture;
    int FPassLength = 0;
    int FSecondsLeft = 0;
    TDateTime FPassEnd = 0;
    std::string FCurrentSatellite;
    // The pass under way.
    TPassLine FPass;
    IReceptionListener* FListener = nullptr;
    std::function<TSatelliteDownlink(const std::string&)> FChannelChoice =
        [](const std::string& satellite) {
            return TSatelliteDownlink{SatelliteChannelItem(satellite), std::nullopt};
        };
    // A port failure of this tick, reported once the tick has ended.
    std::string FPortFailure;
};

} // namespace kestrune
