#pragma once
// The program core that the window and the headless station both drive: the settings read
// into the controls' values, the orbit-prediction component, the serial port, the schedule
// builder, the pass sequencer, receiver control and the tracking output, created when the
// window is created, started when it is first shown and ended when it is destroyed, in that
// order. The front-ends only show what it asks them to show and pass on what the user does.

#include "core/ElementRefresh.h"
#include "core/PassHooks.h"
#include "core/PassSequencer.h"
#include "core/RigctlTuner.h"
#include "serial/ComPort.h"
#include "serial/ComSetup.h"
#include "settings/RegistryFormInfo.h"
#include "settings/RegistryVariables.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrune {

// The receiver-type selector's and the scan box's state in a new window, before their stored
// values are read.
constexpr int DefaultRxType = -1;
constexpr bool DefaultScanWhenIdle = true;

// Where the rig-control server is looked for when "RigctlAddress" is empty.
constexpr const char* DefaultRigctlAddress = "127.0.0.1:4532";

// The location the program falls back on when the sibling program has none.
constexpr double DefaultLatitudeDeg = 55.9;
constexpr double DefaultLongitudeDeg = -3.2;
constexpr double DefaultHeightM = 180;

// The port's settings key, whatever the executable is called.
constexpr const char* PortSettingsPath = "HKEY_CURRENT_USER\\Software\\Quillmere\\Kestrune";

// What the window's controls hold: the texts of the edits, the grid's rows and the receiver
// selections. The front-end keeps them up to date as the user changes its controls; the core
// reads them when it needs them and announces its own changes with ShowControlValues.
struct TControlValues {
    std::vector<TSatelliteRow> Rows;
    std::string DataPath;
    std::string Latitude, Longitude, Height;
    int ReceiverType = DefaultRxType;
    bool ScanWhenIdle = DefaultScanWhenIdle;
};

// The four settings of the pass settings tab (its spin edits).
enum class TPassSetting { PrePassGap, PostPassGap, MinElevation, DaysLookahead };
struct TSpinRange {
    int Min;
    int Max;
};
TSpinRange PassSettingRange(TPassSetting setting);

// What the station is doing: the sequencer's state, the pass under way, the receiver and the
// next pass. The station logs its changes and tells the service manager; a window can show it.
struct TStationStatus {
    TSequencerState State = TSequencerState::Initialise;
    // The pass under way, from the pre-pass pause to the end of its reception; empty otherwise.
    std::string Satellite;
    // Seconds left of the pause or the reception under way.
    int SecondsLeft = 0;
    // The channel the receiver is on; none while it scans or stands by.
    std::optional<int> Channel;
    // The frequency of the channel handled last (0 until one is), as the tracking string says.
    long long FrequencyHz = 0;
    // Whether that is the satellite's own frequency, for the pass under way.
    bool OwnFrequency = false;
    bool ScanWhenIdle = DefaultScanWhenIdle;
    // The next pass of the list: its satellite and start; FarFuture when the list is empty.
    std::string NextSatellite;
    TDateTime NextStart = FarFuture;
};

// One line for an operator: "Next pass: NOAA 19 at 2025-05-28T10:42:02Z", "Receiving NOAA 19,
// 300 s left" ...
std::string StationStatusText(const TStationStatus& status);

// Everything the core shows. A front-end overrides what it has a place for; the rest is
// dropped.
class IProgramView {
public:
    virtual ~IProgramView() = default;
    // The timer that drives the sequencer.
    virtual void SetTimerEnabled(bool enabled) = 0;
    virtual void SetTimerInterval(int milliseconds) = 0;
    // The program's own messages, and the application's error report. Both return when the
    // user has closed them.
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void ShowError(const std::string& text) = 0;
    virtual void CloseMainWindow() = 0;

    virtual void SetCaption(const std::string&) {}
    // The application's title (the text of the taskbar button).
    virtual void SetTitle(const std::string&) {}
    virtual void SetStatusText(const std::string&) {}
    virtual void SetLedColor(TColor) {}
    virtual void SetUtcLabel(const std::string&) {}
    virtual void SetNextPassLabel(const std::string&) {}
    virtual void SetVersionLabelVisible(bool) {}
    virtual void SetProgressVisible(bool) {}
    virtual void SetProgressRange(int) {}
    virtual void SetProgressPosition(int) {}
    virtual void SetSkipEnabled(bool) {}
    virtual void ShowBusyCursor() {}
    virtual void RestoreCursor() {}
    virtual void ShowSetupTab() {}
    virtual void ShowTimerTab() {}
    // The channel selector's index, item texts or hint changed.
    virtual void ChannelSelectorChanged() {}
    virtual void SetTrackingText(const std::string&) {}
    virtual void SetTrackingHint(const std::string&) {}
    // "DLL version: " + the component's version, the version label's hint.
    virtual void SetVersionHint(const std::string&) {}
    virtual void SetPortHint(const std::string&) {}
    // The core changed values of TControlValues or of the spin edits.
    virtual void ShowControlValues() {}
    // A build has filled the pass list with these passes.
    virtual void PassListBuilt(const std::vector<TPassLine>&) {}
    // The station's status after each tick.
    virtual void StatusChanged(const TStationStatus&) {}
    // Something the program did on its own (a lost port open again): a word for a log.
    virtual void Notice(const std::string&) {}
    // A mistake in the setup that would otherwise go unnoticed, with what to do about it; said
    // once, on standard error.
    virtual void Warn(const std::string& text);
    // A line that a pass command wrote; on standard error unless the front-end logs it.
    virtual void CommandOutput(const std::string& text);
    // Fresh element sets are in the element folder since `at`; the text ("element sets
    // refreshed at ...: files") says which.
    virtual void ElementSetsRefreshed(TDateTime /*at*/, const std::string&) {}
};

// "Error opening: " + port, the system's reason and, for a permission error, the remedy.
std::string PortOpenAdvice(const std::string& port, int systemError);

// What the core needs from its surroundings.
struct TProgramEnvironment {
    // The settings (the station's refuses every write) and the executable's name.
    TSettingsContext Settings;
    const IClock& Clock;
    // What waits are measured on: no step of the wall clock moves it.
    const IMonotonicClock& Monotonic;
    ISleeper& Sleeper;
    const TLocaleInfo& Locale;
    ITrackingServer& Tracking;
    ISerialDeviceFactory& Devices;
    IGuiDispatcher& Dispatcher;
    IDebugTrace& Trace;
    // Runs the pass start and end commands.
    IProcessLauncher& Processes;
    // The connection to the rig-control server at "host:port".
    std::function<std::unique_ptr<IRigTransport>(const std::string& address)> RigTransport;
    // Fetches fresh element sets.
    IDownloader& Downloads;
    // Connects the orbit-prediction component; throws when it cannot.
    std::function<std::unique_ptr<TSatellites>()> ConnectSatellites;
    // Where the component's module is looked for, for the message when it is missing.
    std::filesystem::path ComponentPath;
    std::filesystem::path SchedulePath;
    // Where the settings are kept, as an operator would look for them: a file or a registry key.
    std::string SettingsLocation;
};

class TProgram {
public:
    // The window's creation: reads the sibling program's location, creates the settings,
    // connects the component, loads the port's settings and fills the controls' values (which
    // the front-end shows afterwards: the view is not asked to while this runs). The placement
    // (null for no window) is kept in the window's seven placement settings.
    TProgram(const TProgramEnvironment& environment, IProgramView& view, IFormPlacement* placement);
    // The window's destruction: lowers RTS and closes the port, releases the component and
    // writes every setting in the window's order.
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    // The start, as the window's first showing: opens the port unless the receiver needs none,
    // restores the position, selects RX2 when no type is selected, and starts the timer when the
    // component has usable data.
    void Start();

    TControlValues& Controls() { return FControls; }
    int PassSetting(TPassSetting setting) const;
    TPassList& PassList() { return FPassList; }
    const TReceiverControl& Receiver() const { return *FReceiver; }
    const TPassSequencer& Sequencer() const { return *FSequencer; }
    TComPort& Port() { return *FPort; }
    bool ComponentConnected() const { return FSatellites != nullptr; }
    // What the station is doing now.
    TStationStatus Status() const;

    // One step of the sequencer (the timer's tick), the rig's tuning tried again if it failed, a
    // look at the pass commands, then the status to the view.
    void Tick();
    // Once a second, whether the timer runs or not (an empty element folder keeps it off until
    // the downloads have filled it): moves the element-set downloads on.
    void ServiceDownloads() { FRefresh->Service(); }
    // The next tick builds the pass list again.
    void Rebuild() { FSequencer->ButtonRestartClick(); }
    // Ends the reception under way at the next tick.
    void SkipPass() { FSequencer->ButtonSkipClick(); }
    // Stops the timer and closes the main window.
    void Exit() { FSequencer->ButtonExitClick(); }

    // Each location text's number (or the fallback) written back and stored, then a rebuild.
    void ApplyLocation();
    // The sibling program's location into the location texts.
    void UseSiblingLocation();
    // A new element folder (a separator is appended): stored, given to the component, rebuilt.
    void SetElementFolder(const std::string& folder);
    // The port setup dialog, with the settings stored whatever its outcome.
    void SetUpPort(IComSetupView& dialog);
    // A pass setting as the user typed it: stored at once (a text that is no number is the
    // lowest value).
    void SetPassSetting(TPassSetting setting, const std::string& text);
    // The user is done with the setting: a value outside its range becomes the nearer bound.
    void ClampPassSetting(TPassSetting setting);
    // The user picked a receiver type (an index of ReceiverTypes).
    void SetReceiverType(int index);
    // Whether the receiver scans while no pass is under way, else stands by.
    void SetScanWhenIdle(bool scan);
    // The user picked a channel item: 0 scan or standby, 1 to 10 channels 0 to 9.
    void SelectChannelItem(int item);
    // "SatList" and "SatChannels" follow the satellite rows of the controls' values.
    void StoreSatellites();
    // A satellite added to the list (both ways, the default shortest pass, its likely channel)
    // or a row removed; the stored list follows at once.
    void AddSatellite(const std::string& name);
    void RemoveSatellite(int row);
    // The element sets of the folder, as the component reads them; none when it is not
    // connected or fails.
    TElementSetIndex ElementSets() const;
    // What the operator should hear about the element sets of the list's satellites: names that
    // no set of the folder carries and sets older than two weeks, at the program's time now; and
    // the files of the folder that were not read whole, and why.
    std::vector<std::string> ElementSetProblems() const;
    // The program's clock (the demonstration's when it runs one).
    const IClock& Clock() const { return FEnvironment.Clock; }

    // Port name + " at " + baud rate + " baud".
    std::string PortHint() const;
    // The port for an operator: "ttyUSB0 open", "ttyUSB0 closed", "no port set up", or "port not
    // used" when the receiver type drives none.
    std::string PortState() const;
    // Whether the receiver type drives the port and a port is set up, but it is not open.
    bool PortWantedButClosed() const;
    // Opens the port when the receiver type drives one ("Error opening: " when it fails).
    void OpenPort();
    // What the station is doing and what the receiver really does, in one line: "Next pass:
    // NOAA 19 at ... | DDE: the tracking string only, no receiver driven".
    std::string StatusLine() const;

private:
    class TViewAdapter;
    class TPortAdapter;

    std::unique_ptr<TRegistryInteger>& Spin(TPassSetting setting);
    const std::unique_ptr<TRegistryInteger>& Spin(TPassSetting setting) const;
    // Puts the spin edit's value into its range; whether that changed it.
    bool ClampSpin(TPassSetting setting);
    void ConnectComponent();
    // Whether the receiver is driven through the serial port (every type but DDE and rigctl).
    bool PortWanted() const;
    // Opens a port that was lost or missing; a word in the log when it is back.
    void ReopenPort();
    void CheckData();
    void Restart();
    // The sibling program's location, or the defaults where it has none.
    void ReadSiblingLocation();

    const TProgramEnvironment FEnvironment;
    IProgramView& FView;
    std::unique_ptr<TViewAdapter> FAdapter;
    TControlValues FControls;
    double FLatitudeDeg = DefaultLatitudeDeg;
    double FLongitudeDeg = DefaultLongitudeDeg;
    double FHeightM = DefaultHeightM;
    std::string FConnectionError;

    std::unique_ptr<TRegistryString> FTleDataPath;
    std::unique_ptr<TRegistryString> FObsLatitude, FObsLongitude, FObsHeight;
    std::unique_ptr<TRegistryFormInfo> FFormInfo;
    std::unique_ptr<TRegistryInteger> FPrePassGap, FPostPassGap, FMinElevation, FDaysLookAhead;
    std::unique_ptr<TRegistryString> FSatList;
    // The satellites' own channels, beside "SatList" (which older programs read alone): as
    // stored at start, and as the grid has them now.
    std::string FSatChannelsStored, FSatChannels;
    // Settings set by hand that were not understood, said at the start.
    std::vector<std::string> FStartWarnings;

    std::unique_ptr<TSatellites> FSatellites;
    std::unique_ptr<TComPort> FPort;
    std::unique_ptr<TPortAdapter> FPortAdapter;
    TPassList FPassList;
    std::unique_ptr<TScheduleList> FScheduleList;
    std::unique_ptr<IRigTransport> FRigTransport;
    std::unique_ptr<TRigctlTuner> FRig;
    std::unique_ptr<TReceiverControl> FReceiver;
    std::unique_ptr<TTrackingOutput> FTrackingOutput;
    std::unique_ptr<TScheduleBuilder> FBuilder;
    std::unique_ptr<TPassSequencer> FSequencer;
    std::unique_ptr<TPassHooks> FHooks;
    std::unique_ptr<TElementRefresh> FRefresh;
};

} // namespace kestrune
