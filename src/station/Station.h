#pragma once
// The headless station: the program core as the window drives it, created, shown, ticked and
// ended the same way, from the window program's own settings, with a log for a window.

#include "app/Program.h"
#include "platform/SystemServices.h"
#include "serial/GuiDispatcher.h"
#include "settings/ReadOnlyRegistry.h"
#include "station/RebuildPlan.h"
#include "station/StationView.h"
#include "station/TickTimer.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <set>

namespace kestrune {

// The window program's settings key and tracking service, whatever this executable is called.
constexpr const char* WindowProgram = "Kestrune";

class TStation {
public:
    // Creates and starts the program core as the window would, on the system's services and the
    // tracking server given. Failures the window would show become log lines. `notify` tells the
    // service manager "READY=1" after the first build, "WATCHDOG=1" on every tick and the station's
    // status ("STATUS=...") when it changes.
    TStation(TSystemServices& services, ITrackingServer& tracking, TStationView::TSink log,
             std::function<void()> wakeUp, std::function<void(const std::string&)> notify);
    // Ends the program core as closing the window does (RTS lowered, port closed, component
    // released); the registry refuses every write, so no setting changes.
    ~TStation();
    TStation(const TStation&) = delete;
    TStation& operator=(const TStation&) = delete;

    // How long the loop may wait before Service is due: until the next tick, at most a second.
    int WaitMs();
    // Runs the tick when it is due, then rebuilds the pass list when the station should.
    void Service();
    // The Restart button: the next tick rebuilds the pass list.
    void Restart();

    TStationView& View() { return FView; }
    IGuiDispatcher& Dispatcher() { return FDispatcher; }
    const TComPort& Port() const { return FProgram->Port(); }

private:
    // Names without an element set and old sets, each said once.
    void CheckElementSets();

    const IClock& FClock;
    const IMonotonicClock& FMonotonic;
    std::function<void(const std::string&)> FNotify;
    TReadOnlyRegistry FRegistry;
    TStationView FView;
    TQueuedGuiDispatcher FDispatcher;
    std::unique_ptr<TProgram> FProgram;
    TTickTimer FTicks;
    TRebuildPlan FPlan;
    bool FReady = false;
    std::string FNotifiedStatus;
    // The element-set problems already reported.
    std::set<std::string> FElementProblems;
};

} // namespace kestrune
