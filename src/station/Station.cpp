#include "Station.h"

#include "ModuleLoader.h"

namespace kestrune {

namespace {

// The window program's key, whatever this executable is called.
constexpr const char* WindowProgram = "Kestrune";

} // namespace

TStation::TStation(IRegistry& registry, const IClock& clock, ISleeper& sleeper,
                   const TLocaleInfo& locale, const TStationPlaces& places, TStationView::TSink out,
                   TStationView::TSink err, std::function<void()> wakeUp)
    : FRegistry(registry), FView(clock, locale, std::move(out), std::move(err)),
      FTracking(
          std::make_unique<TTrackingSocketServer>(WindowProgram, locale, places.TrackingFolder)),
      FDispatcher(std::move(wakeUp)), FDevices(clock) {
    const TSettingsContext settings{FRegistry, [] { return std::string(WindowProgram); }};
    const std::filesystem::path module = places.ComponentFolder / SatellitesModuleName;
    const TProgramEnvironment environment{settings,
                                          clock,
                                          sleeper,
                                          locale,
                                          *FTracking,
                                          FDevices,
                                          FDispatcher,
                                          FTrace,
                                          [module] { return ConnectSatellites(module); },
                                          places.ComponentFolder.string(),
                                          places.SchedulePath};
    FProgram = std::make_unique<TProgram>(environment, FView, nullptr);

    // The window's receiver-type list and scan box keep their own settings; a stored type
    // outside the list leaves the list without a selection.
    const int rxType = TRegistryInteger(settings, "RxType", DefaultRxType).Value;
    TControlValues& controls = FProgram->Controls();
    controls.ReceiverType = rxType >= RxDde && rxType <= RxRx2 ? rxType : -1;
    controls.ScanWhenIdle = TRegistryBoolean(settings, "ScanWhenIdle", DefaultScanWhenIdle).Value;
    FProgram->Show();
}

TStation::~TStation() {
    FView.SetTimerEnabled(false);
    FProgram.reset();
}

} // namespace kestrune
