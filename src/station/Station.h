#pragma once
// The headless station: the program core as the window drives it, created, shown, ticked and
// ended the same way, from the window program's own settings, with a log for a window.

#include "DebugTrace.h"
#include "GuiDispatcher.h"
#include "Program.h"
#include "ReadOnlyRegistry.h"
#include "SerialDeviceFactory.h"
#include "StationView.h"
#include "TrackingSocketServer.h"

#include <filesystem>
#include <memory>

namespace kestrune {

// Where the station finds and puts what it needs.
struct TStationPlaces {
    std::filesystem::path ComponentFolder; // the component's module
    std::filesystem::path TrackingFolder;  // the tracking server's socket folder
    std::filesystem::path SchedulePath;
};

class TStation {
public:
    // Starts the tracking server (throws ETrackingServer when another copy serves it), then
    // creates and shows the program core as the window would. Failures the window would show
    // become log lines.
    TStation(IRegistry& registry, const IClock& clock, ISleeper& sleeper, const TLocaleInfo& locale,
             const TStationPlaces& places, TStationView::TSink out, TStationView::TSink err,
             std::function<void()> wakeUp);
    // Ends the program core as closing the window does (RTS lowered, port closed, component
    // released); the registry refuses every write, so no setting changes.
    ~TStation();
    TStation(const TStation&) = delete;
    TStation& operator=(const TStation&) = delete;

    void Tick() { FProgram->TimerTimer(); }
    // The Restart button: the next tick rebuilds the pass list.
    void Restart() { FProgram->ButtonRestartClick(); }

    TStationView& View() { return FView; }
    TTrackingSocketServer& Tracking() { return *FTracking; }
    IGuiDispatcher& Dispatcher() { return FDispatcher; }
    const TComPort& Port() const { return FProgram->Port(); }

private:
    TReadOnlyRegistry FRegistry;
    TStationView FView;
    std::unique_ptr<TTrackingSocketServer> FTracking;
    TQueuedGuiDispatcher FDispatcher;
    TSerialDeviceFactory FDevices;
    TStderrDebugTrace FTrace;
    std::unique_ptr<TProgram> FProgram;
};

} // namespace kestrune
