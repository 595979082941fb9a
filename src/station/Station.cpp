#include "Station.h"

#include "ModuleLoader.h"
#include "SatelliteList.h"

#include <algorithm>

namespace kestrune {

namespace {

// The window program's key, whatever this executable is called.
constexpr const char* WindowProgram = "Kestrune";
constexpr const char* PortSettingsPath = "HKEY_CURRENT_USER\\Software\\Quillmere\\Kestrune";

// The controls' values as the window's creation fills them from the settings.
TStationControls ReadControls(const TSettingsContext& context, const TLocaleInfo& locale) {
    IRegistry& registry = context.Registry;
    const double latitude =
        ParseFloatLenient(ReadZenolithSetting(registry, "CurrentLat"), 55.9, locale);
    const double longitude =
        ParseFloatLenient(ReadZenolithSetting(registry, "CurrentLon"), -3.2, locale);
    const double height =
        ParseFloatLenient(ReadZenolithSetting(registry, "CurrentHeight"), 180, locale);

    TStationControls controls;
    controls.Latitude = TRegistryString(context, "ObsLatitude", FloatToStr(latitude, locale)).Value;
    controls.Longitude =
        TRegistryString(context, "ObsLongitude", FloatToStr(longitude, locale)).Value;
    controls.Height = TRegistryString(context, "ObsHeight", FloatToStr(height, locale)).Value;
    // The spin boxes' ranges.
    auto integer = [&](const char* name, int defaultValue, int low, int high) {
        return std::clamp<int>(TRegistryInteger(context, name, defaultValue).Value, low, high);
    };
    controls.PrePassGapS = integer("PrePassGap", 10, 2, 15);
    controls.PostPassGapS = integer("PostPassGap", 10, 2, 15);
    controls.MinElevationDeg = integer("MinElevation", 2, 0, 15);
    controls.DaysLookahead = integer("DaysLookAhead", 21, 1, 28);
    controls.Rows = SatelliteRowsFromSatList(
        ConvertOldSatList(TRegistryString(context, "SatList", DefaultSatList()).Value));
    // No stored receiver type (or one outside the list) means RX2, as the window selects it.
    // The window tries to open the port before it selects RX2, so "none" counts as serial.
    controls.ReceiverType = TRegistryInteger(context, "RxType", -1).Value;
    controls.ScanWhenIdle = TRegistryBoolean(context, "ScanWhenIdle", true).Value;
    return controls;
}

} // namespace

// Receiver control's and the sequencer's view of the serial port.
class TStation::TPortAdapter final : public IReceiverPort {
public:
    explicit TPortAdapter(TComPort& port) : FPort(port) {}
    bool Connected() const override { return FPort.Connected(); }
    void WriteStr(const std::string& bytes) override { FPort.WriteStr(bytes); }
    void SetRTSLine(bool high) override { FPort.SetRTSLine(high); }

private:
    TComPort& FPort;
};

TStation::TStation(IRegistry& registry, const IClock& clock, ISleeper& sleeper,
                   const TLocaleInfo& locale, const TStationPlaces& places, TStationView::TSink out,
                   TStationView::TSink err, std::function<void()> wakeUp)
    : FRegistry(registry), FContext{FRegistry, [] { return std::string(WindowProgram); }},
      FClock(clock), FLocale(locale), FPlaces(places),
      FView(std::make_unique<TStationView>(ReadControls(FContext, locale), clock, locale,
                                           std::move(out), std::move(err))),
      FTracking(
          std::make_unique<TTrackingSocketServer>(WindowProgram, locale, places.TrackingFolder)),
      FDispatcher(std::move(wakeUp)), FDevices(clock) {
    const std::string dataFolder =
        TRegistryString(FContext, "TleDataPath", ReadZenolithSetting(FRegistry, "TwoLineDataPath"))
            .Value;
    ConnectComponent(dataFolder);

    FPort = std::make_unique<TComPort>(
        "ComPortControl", TComPortEnvironment{FDevices, FDispatcher, FTrace, FRegistry});
    FPortAdapter = std::make_unique<TPortAdapter>(*FPort);
    FPort->SetBaudRate(TBaudRate::br1200); // the program's port starts at the receivers' rate
    try {
        FPort->LoadSettings(TStorageKind::Registry, PortSettingsPath);
    } catch (const std::exception& error) {
        FView->ShowError(error.what());
    }

    FReceiver = std::make_unique<TReceiverControl>(*FView, *FPortAdapter, sleeper, locale);
    FTrackingOutput = std::make_unique<TTrackingOutput>(*FTracking, *FView);
    FBuilder = std::make_unique<TScheduleBuilder>(*FView, FPassList, FScheduleList, clock, locale,
                                                  places.ProgramFolder / "Schedule.txt", [this] {
                                                      FView->LogPassList(FPassList.Lines());
                                                      FSequencer->ShowNextPass();
                                                  });
    FBuilder->SetSatellites(FSatellites.get());
    FSequencer = std::make_unique<TPassSequencer>(*FView, FPassList, *FBuilder, *FReceiver,
                                                  *FPortAdapter, *FTrackingOutput, clock, locale);
    FView->SetLedColor(ClYellow);

    OpenPort();
    TStationControls& controls = FView->Controls();
    if (controls.ReceiverType < RxDde || controls.ReceiverType > RxRx2)
        controls.ReceiverType = RxRx2;
    CheckData();
}

TStation::~TStation() {
    FView->SetTimerEnabled(false);
    if (FPort->Connected()) {
        try {
            FPort->SetRTSLine(false);
            FPort->Close();
        } catch (const std::exception&) {
        }
    }
    if (FSatellites) {
        try {
            FSatellites->SetDataPath("");
        } catch (const std::exception&) {
        }
    }
    // The sequencer and the builder refer to the component: they go first.
    FSequencer.reset();
    FBuilder.reset();
    FSatellites.reset();
}

void TStation::ConnectComponent(const std::string& dataFolder) {
    const std::filesystem::path module = FPlaces.ProgramFolder / SatellitesModuleName;
    try {
        FSatellites = ConnectSatellites(module);
        FSatellites->SetDataPath(dataFolder);
    } catch (const std::exception& error) {
        if (!FSatellites) {
            FView->ShowMessage(
                SatellitesConnectionMessage(FPlaces.ProgramFolder.string(), error.what()));
        }
    }
}

void TStation::OpenPort() {
    if ((FView->ReceiverType() & 0xFF) == RxDde)
        return;
    try {
        FPort->Open();
        if (FPort->Connected())
            FPort->SetRTSLine(false);
    } catch (const std::exception&) {
        FView->ShowMessage("Error opening: " + FPort->Port());
    }
}

void TStation::CheckData() {
    if (!FSatellites)
        return;
    try {
        FView->Log("component", "DLL version: " + FSatellites->GetLibraryVersion());
        if (FSatellites->GetDataValid())
            FView->SetTimerEnabled(true);
        else
            FView->ShowMessage("Please select a path for the 2-line orbital data");
    } catch (const std::exception& error) {
        FView->ShowError(error.what());
    }
}

} // namespace kestrune
