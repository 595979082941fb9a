#pragma once
// The headless station: everything the window does at start, on every timer tick and at the
// end, without a window, from the window program's own settings.

#include "ComPort.h"
#include "DebugTrace.h"
#include "GuiDispatcher.h"
#include "ReadOnlyRegistry.h"
#include "RegistryVariables.h"
#include "SerialDeviceFactory.h"
#include "StationView.h"
#include "TrackingSocketServer.h"

#include <filesystem>
#include <memory>

namespace kestrune {

// Where the station finds what it needs; the defaults are the window program's.
struct TStationPlaces {
    std::filesystem::path ProgramFolder;  // the component's module and the schedule file
    std::filesystem::path TrackingFolder; // the tracking server's socket folder
};

class TStation {
public:
    // Starts the tracking server (throws ETrackingServer when another copy serves it), reads
    // the settings, connects the component and opens the port, as the window does when it is
    // created and shown. Failures the window would show become log lines.
    TStation(IRegistry& registry, const IClock& clock, ISleeper& sleeper, const TLocaleInfo& locale,
             const TStationPlaces& places, TStationView::TSink out, TStationView::TSink err,
             std::function<void()> wakeUp);
    // Lowers RTS, closes the port, releases the component and stops the tracking server, as
    // closing the window does, but writes no setting.
    ~TStation();
    TStation(const TStation&) = delete;
    TStation& operator=(const TStation&) = delete;

    void Tick() { FSequencer->TimerTimer(); }
    // The Restart button: the next tick rebuilds the pass list.
    void Restart() { FSequencer->ButtonRestartClick(); }

    TStationView& View() { return *FView; }
    TTrackingSocketServer& Tracking() { return *FTracking; }
    IGuiDispatcher& Dispatcher() { return FDispatcher; }
    const TComPort& Port() const { return *FPort; }

private:
    class TPortAdapter;

    void ConnectComponent(const std::string& dataFolder);
    void OpenPort();
    void CheckData();

    TReadOnlyRegistry FRegistry;
    TSettingsContext FContext;
    const IClock& FClock;
    const TLocaleInfo& FLocale;
    TStationPlaces FPlaces;
    std::unique_ptr<TStationView> FView;
    std::unique_ptr<TTrackingSocketServer> FTracking;
    TQueuedGuiDispatcher FDispatcher;
    TSerialDeviceFactory FDevices;
    TStderrDebugTrace FTrace;
    std::unique_ptr<TComPort> FPort;
    std::unique_ptr<TPortAdapter> FPortAdapter;
    std::unique_ptr<TSatellites> FSatellites;
    TPassList FPassList;
    TScheduleList FScheduleList;
    std::unique_ptr<TReceiverControl> FReceiver;
    std::unique_ptr<TTrackingOutput> FTrackingOutput;
    std::unique_ptr<TScheduleBuilder> FBuilder;
    std::unique_ptr<TPassSequencer> FSequencer;
};

} // namespace kestrune
