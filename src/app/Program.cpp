#include "app/Program.h"

#include "core/CommaText.h"
#include "core/SatelliteList.h"
#include "core/Text.h"
#include "settings/ReadOnlyRegistry.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <iostream>
#include <system_error>

namespace kestrune {

namespace {

struct TPassSettingInfo {
    const char* ValueName;
    int Default;
    TSpinRange Range;
};

constexpr std::array<TPassSettingInfo, 4> SpinEdits{{
    {"PrePassGap", 10, {2, 15}},
    {"PostPassGap", 10, {2, 15}},
    {"MinElevation", 2, {0, 15}},
    {"DaysLookAhead", 21, {1, 28}},
}};

const TPassSettingInfo& Info(TPassSetting setting) {
    return SpinEdits[static_cast<std::size_t>(setting)];
}

// Where the location's Restart falls back for an edit that holds no number.
constexpr double RestartLatitudeDeg = 55.905;
constexpr double RestartLongitudeDeg = -3.2;
constexpr double RestartHeightM = 150;

// A block whose failure the program expects now and then: it is dropped without a word and
// the rest of the block is skipped.
template <typename TBlock> void Guarded(TBlock block) {
    try {
        block();
    } catch (const std::exception&) {
    }
}

} // namespace

void IProgramView::Warn(const std::string& text) {
    std::cerr << text << std::endl;
}

void IProgramView::CommandOutput(const std::string& text) {
    std::cerr << text << std::endl;
}

std::string PortOpenAdvice(const std::string& port, int systemError) {
    std::string text = "Error opening: " + port;
    if (systemError <= 0)
        return text;
    // The platform's own error numbers: errno on Linux, Win32 codes on Windows.
    text += ": " + std::system_category().message(systemError);
    if (systemError == EACCES)
        text += "; the user must be in the device's group (dialout on Debian: sudo adduser $USER "
                "dialout, then log in again)";
    return text;
}

TSpinRange PassSettingRange(TPassSetting setting) {
    return Info(setting).Range;
}

// The core's objects see the controls' values and the front-end through this one adapter.
class TProgram::TViewAdapter final : public IScheduleView,
                                     public ISequencerView,
                                     public IReceiverView,
                                     public ITrackingView {
public:
    TViewAdapter(TProgram& program, IProgramView& view) : FProgram(program), FView(view) {}

    // Inputs: the controls' values.
    std::vector<TSatelliteRow> SatelliteRows() const override { return Controls().Rows; }
    std::string LatitudeText() const override { return Controls().Latitude; }
    std::string LongitudeText() const override { return Controls().Longitude; }
    std::string HeightText() const override { return Controls().Height; }
    double MinElevationDeg() const override {
        return FProgram.PassSetting(TPassSetting::MinElevation);
    }
    int DaysLookahead() const override { return FProgram.PassSetting(TPassSetting::DaysLookahead); }
    int PrePassGapS() const override { return FProgram.PassSetting(TPassSetting::PrePassGap); }
    int PostPassGapS() const override { return FProgram.PassSetting(TPassSetting::PostPassGap); }
    bool ScanWhenIdle() const override { return Controls().ScanWhenIdle; }
    int ReceiverType() const override { return Controls().ReceiverType; }

    // Effects: the front-end's.
    void SetStatusText(const std::string& text) override { FView.SetStatusText(text); }
    void ShowBusyCursor() override { FView.ShowBusyCursor(); }
    void RestoreCursor() override { FView.RestoreCursor(); }
    void ShowTimerTab() override { FView.ShowTimerTab(); }
    void EnableTimer() override { FView.SetTimerEnabled(true); }
    void SetCaption(const std::string& caption) override { FView.SetCaption(caption); }
    void SetTitle(const std::string& title) override { FView.SetTitle(title); }
    void SetLedColor(TColor color) override { FView.SetLedColor(color); }
    void SetUtcLabel(const std::string& text) override { FView.SetUtcLabel(text); }
    void SetNextPassLabel(const std::string& text) override { FView.SetNextPassLabel(text); }
    void SetVersionLabelVisible(bool visible) override { FView.SetVersionLabelVisible(visible); }
    void SetProgressVisible(bool visible) override { FView.SetProgressVisible(visible); }
    void SetProgressRange(int maximum) override { FView.SetProgressRange(maximum); }
    void SetProgressPosition(int position) override { FView.SetProgressPosition(position); }
    void SetSkipEnabled(bool enabled) override { FView.SetSkipEnabled(enabled); }
    void SetTimerEnabled(bool enabled) override { FView.SetTimerEnabled(enabled); }
    void SetTimerInterval(int milliseconds) override { FView.SetTimerInterval(milliseconds); }
    void ShowError(const std::string& text) override { FView.ShowError(text); }
    void CloseMainWindow() override { FView.CloseMainWindow(); }
    void ChannelSelectorChanged() override { FView.ChannelSelectorChanged(); }
    void ShowMessage(const std::string& text) override { FView.ShowMessage(text); }
    void Warn(const std::string& text) override { FView.Warn(text); }
    void SetTrackingText(const std::string& text) override { FView.SetTrackingText(text); }
    void SetTrackingHint(const std::string& hint) override { FView.SetTrackingHint(hint); }

private:
    const TControlValues& Controls() const { return FProgram.FControls; }

    TProgram& FProgram;
    IProgramView& FView;
};

// Receiver control's and the sequencer's view of the serial port.
class TProgram::TPortAdapter final : public IReceiverPort {
public:
    explicit TPortAdapter(TProgram& program) : FProgram(program) {}
    bool Connected() const override { return Port().Connected(); }
    void WriteStr(const std::string& bytes) override {
        // A write cut short by the port's time-out failed: the receiver did not get the command.
        if (static_cast<std::size_t>(Port().WriteStr(bytes)) < bytes.size())
            throw EComPort(comerr::WriteFailed, Port().Port(), ETIMEDOUT);
    }
    void SetRTSLine(bool high) override { Port().SetRTSLine(high); }
    void CloseAfterFailure() override {
        Guarded([&] { Port().SetRTSLine(false); });
        Port().CloseAfterFailure();
    }
    void Reopen() override { FProgram.ReopenPort(); }

private:
    TComPort& Port() const { return *FProgram.FPort; }

    TProgram& FProgram;
};

TProgram::TProgram(const TProgramEnvironment& environment, IProgramView& view,
                   IFormPlacement* placement)
    : FEnvironment(environment), FView(view),
      FAdapter(std::make_unique<TViewAdapter>(*this, view)) {
    const TSettingsContext& settings = FEnvironment.Settings;
    const TLocaleInfo& locale = FEnvironment.Locale;

    ReadSiblingLocation();
    FScheduleList = std::make_unique<TScheduleList>();
    FTleDataPath = std::make_unique<TRegistryString>(
        settings, "TleDataPath", ReadZenolithSetting(settings.Registry, "TwoLineDataPath"));
    FControls.DataPath = FTleDataPath->Value;
    FObsLatitude = std::make_unique<TRegistryString>(settings, "ObsLatitude",
                                                     FloatToStr(FLatitudeDeg, locale));
    FObsLongitude = std::make_unique<TRegistryString>(settings, "ObsLongitude",
                                                      FloatToStr(FLongitudeDeg, locale));
    FObsHeight =
        std::make_unique<TRegistryString>(settings, "ObsHeight", FloatToStr(FHeightM, locale));
    // Stored under another locale (the window's decimal comma, the service's C locale), a
    // number still reads.
    FControls.Latitude = LocaleNumberText(FObsLatitude->Value, locale);
    FControls.Longitude = LocaleNumberText(FObsLongitude->Value, locale);
    FControls.Height = LocaleNumberText(FObsHeight->Value, locale);
    ConnectComponent();
    FView.SetTitle("Kestrune");
    if (placement)
        FFormInfo = std::make_unique<TRegistryFormInfo>(settings, *placement);

    FPort = std::make_unique<TComPort>(
        "ComPortControl", TComPortEnvironment{FEnvironment.Devices, FEnvironment.Dispatcher,
                                              FEnvironment.Trace, settings.Registry});
    FPortAdapter = std::make_unique<TPortAdapter>(*this);
    FPort->SetBaudRate(TBaudRate::br1200); // the receivers' rate, until settings are stored
    try {
        FPort->LoadSettings(TStorageKind::Registry, PortSettingsPath);
    } catch (const std::exception& error) {
        // Unreadable port settings must not stop the start-up: the user can set the port up.
        FView.ShowError(error.what());
    }
    FView.SetPortHint(PortHint());

    for (std::size_t i = 0; i < SpinEdits.size(); ++i) {
        const auto setting = static_cast<TPassSetting>(i);
        Spin(setting) = std::make_unique<TRegistryInteger>(settings, Info(setting).ValueName,
                                                           Info(setting).Default);
        ClampSpin(setting);
    }

    FReceiver =
        std::make_unique<TReceiverControl>(*FAdapter, *FPortAdapter, FEnvironment.Sleeper, locale);
    // Set by hand in the settings file, never written.
    const std::string program = ProgramSegment(settings.ExecutableName());
    const std::string rigctlAddress =
        ReadProgramSetting(settings.Registry, program, "RigctlAddress");
    FRigTransport =
        FEnvironment.RigTransport(rigctlAddress.empty() ? DefaultRigctlAddress : rigctlAddress);
    FRig = std::make_unique<TRigctlTuner>(
        *FRigTransport, FEnvironment.Monotonic,
        [this](const std::string& text) { FView.Warn(text); },
        [this](const std::string& text) { FView.Notice(text); });
    FReceiver->SetRig(FRig.get());
    FTrackingOutput = std::make_unique<TTrackingOutput>(FEnvironment.Tracking, *FAdapter);
    FBuilder =
        std::make_unique<TScheduleBuilder>(*FAdapter, FPassList, *FScheduleList, FEnvironment.Clock,
                                           locale, FEnvironment.SchedulePath, [this] {
                                               FView.PassListBuilt(FPassList.Passes());
                                               FSequencer->ShowNextPass();
                                           });
    FBuilder->SetSatellites(FSatellites.get());
    FBuilder->SetExports(
        {[this](const std::string& satellite) -> long long {
             const TSatelliteDownlink downlink = SatelliteDownlink(satellite, FControls.Rows);
             if (downlink.Tuning)
                 return downlink.Tuning->FrequencyHz;
             return downlink.Item > 0
                        ? Channels[static_cast<std::size_t>(downlink.Item) - 1].FrequencyHz
                        : 0;
         },
         [this](const std::string& text) { FView.Warn(text); }});
    // Set by hand in the settings file, as a number or a text; never written.
    const std::string priorityText = ReadProgramSetting(settings.Registry, program, "PassPriority");
    TReadOnlyRegistry priorityRegistry(settings.Registry);
    const int priority =
        priorityText.empty()
            ? TRegistryInteger(TSettingsContext{priorityRegistry, settings.ExecutableName},
                               "PassPriority", 0)
                  .Value
            : ParseInt(Trim(priorityText)).value_or(-1);
    if (priority == 1)
        FBuilder->SetPassPriority(TPassPriority::HigherElevation);
    else if (priority != 0)
        FStartWarnings.push_back("\"PassPriority\" is neither 0 (the satellite higher in the "
                                 "list wins an overlap) nor 1 (the higher pass wins): 0 is used");
    FSequencer =
        std::make_unique<TPassSequencer>(*FAdapter, FPassList, *FBuilder, *FReceiver, *FPortAdapter,
                                         *FTrackingOutput, FEnvironment.Clock, locale);
    FView.SetLedColor(ClYellow);

    // The receiver type and the scan box keep their own settings, which a window's controls
    // write: the core only reads them.
    TReadOnlyRegistry readOnly(settings.Registry);
    const TSettingsContext reading{readOnly, settings.ExecutableName};
    const int rxType = TRegistryInteger(reading, "RxType", DefaultRxType).Value;
    FControls.ReceiverType =
        rxType >= 0 && rxType < static_cast<int>(ReceiverTypes.size()) ? rxType : DefaultRxType;
    FControls.ScanWhenIdle = TRegistryBoolean(reading, "ScanWhenIdle", DefaultScanWhenIdle).Value;

    FSatList = std::make_unique<TRegistryString>(settings, "SatList", DefaultSatList());
    FSatList->Value = ConvertOldSatList(FSatList->Value);
    FControls.Rows = SatelliteRowsFromSatList(FSatList->Value);
    FSatChannelsStored = ReadProgramSetting(settings.Registry, program, "SatChannels");
    FSatChannels = FSatChannelsStored;
    for (const std::string& item : ApplySatChannels(FControls.Rows, FSatChannels))
        FStartWarnings.push_back(
            "the \"SatChannels\" item \"" + item +
            "\" is ignored: it is not a satellite's name followed by a channel digit or by a "
            "frequency in Hz with an optional mode and passband (\"METEOR-M2_3,137900000,FM,"
            "120000\")");
    FSequencer->SetChannelChoice([this](const std::string& satellite) {
        return SatelliteDownlink(satellite, FControls.Rows);
    });

    FHooks = std::make_unique<TPassHooks>(
        TPassCommands{ReadProgramSetting(settings.Registry, program, "PassStartCommand"),
                      ReadProgramSetting(settings.Registry, program, "PassEndCommand")},
        FEnvironment.Processes, FEnvironment.Monotonic,
        [this](const std::string& text) { FView.CommandOutput(text); },
        [this](const std::string& text) { FView.Warn(text); });
    FSequencer->SetReceptionListener(FHooks.get());

    const int refreshHours =
        ParseInt(ReadProgramSetting(settings.Registry, program, "TleRefreshHours"))
            .value_or(DefaultRefreshHours);
    FRefresh = std::make_unique<TElementRefresh>(
        ReadCommaText(ReadProgramSetting(settings.Registry, program, "TleUrls")),
        std::max(refreshHours, 1), FEnvironment.Downloads, FEnvironment.Clock,
        [this] { return FControls.DataPath; },
        // The component reads the element files, and so judges a download.
        [this](const std::string& text) {
            return FSatellites ? FSatellites->CheckElementText(text)
                               : std::string("the orbit-prediction component is not connected");
        },
        [this](const std::string& text) { FView.Warn(text); },
        [this](const std::string& text) {
            FView.ElementSetsRefreshed(FRefresh->LastRefreshed().value_or(0), text);
        });
}

TProgram::~TProgram() {
    if (FPort->Connected()) {
        Guarded([&] {
            FPort->SetRTSLine(false);
            FPort->Close();
        });
    }
    if (FSatellites)
        Guarded([&] { FSatellites->SetDataPath(""); });
    // The sequencer and the builder refer to the component: they go first. Pass commands still
    // running are ended.
    FSequencer.reset();
    FHooks.reset();
    FBuilder.reset();
    FSatellites.reset();

    // Each setting is written as it goes, in this order.
    FObsLatitude.reset();
    FObsLongitude.reset();
    FObsHeight.reset();
    FPrePassGap.reset();
    FPostPassGap.reset();
    FMinElevation.reset();
    FDaysLookAhead.reset();
    FTleDataPath.reset();
    FFormInfo.reset();
    FScheduleList.reset();
    FSatList.reset();
    // Written only for a user who has channels (or had them), so that a settings file of the
    // window's own values keeps exactly those.
    if (!FSatChannels.empty() || !FSatChannelsStored.empty()) {
        TRegistryString setting(FEnvironment.Settings, "SatChannels");
        setting.Value = FSatChannels;
    }
}

void TProgram::Tick() {
    FSequencer->TimerTimer();
    FRig->Service();
    FHooks->Service();
    FView.StatusChanged(Status());
}

TStationStatus TProgram::Status() const {
    TStationStatus status;
    status.State = FSequencer->State();
    status.Satellite = FSequencer->CurrentSatellite();
    status.SecondsLeft = FSequencer->SecondsLeft();
    if (const int item = FReceiver->ChannelIndex(); item >= 1)
        status.Channel = item - 1;
    status.FrequencyHz = FReceiver->ChannelFrequencyHz();
    status.OwnFrequency = FReceiver->OwnFrequency();
    status.ScanWhenIdle = FControls.ScanWhenIdle;
    status.NextStart = FSequencer->NextStart();
    if (status.NextStart < FarFuture && !FPassList.Empty())
        status.NextSatellite = FPassList.Pass(0).Satellite;
    return status;
}

std::string StationStatusText(const TStationStatus& status) {
    const std::string left = std::to_string(status.SecondsLeft) + " s";
    switch (status.State) {
    case TSequencerState::Initialise:
        return "Building the pass list";
    case TSequencerState::Idle:
        return status.NextStart < FarFuture ? "Next pass: " + status.NextSatellite + " at " +
                                                  FormatIsoUtc(status.NextStart, false)
                                            : "No pass in the list";
    case TSequencerState::PrePass:
        return "Pausing before " + status.Satellite + ", " + left;
    case TSequencerState::Receiving:
        return "Receiving " + status.Satellite + ", " + left + " left";
    case TSequencerState::PostPass:
        return "Pausing after the pass, " + left;
    }
    return {};
}

void TProgram::Start() {
    for (const std::string& text : FStartWarnings)
        FView.Warn(text);
    OpenPort();
    if (FFormInfo)
        FFormInfo->RestorePosition();
    FView.ShowSetupTab();
    if (FControls.ReceiverType == -1) {
        FControls.ReceiverType = RxRx2;
        FView.ShowControlValues();
    }
    CheckData();
}

std::unique_ptr<TRegistryInteger>& TProgram::Spin(TPassSetting setting) {
    switch (setting) {
    case TPassSetting::PrePassGap:
        return FPrePassGap;
    case TPassSetting::PostPassGap:
        return FPostPassGap;
    case TPassSetting::MinElevation:
        return FMinElevation;
    case TPassSetting::DaysLookahead:
        break;
    }
    return FDaysLookAhead;
}

const std::unique_ptr<TRegistryInteger>& TProgram::Spin(TPassSetting setting) const {
    return const_cast<TProgram*>(this)->Spin(setting);
}

int TProgram::PassSetting(TPassSetting setting) const {
    return Spin(setting)->Value;
}

void TProgram::SetPassSetting(TPassSetting setting, const std::string& text) {
    Spin(setting)->Value = ParseInt(Trim(text)).value_or(Info(setting).Range.Min);
}

bool TProgram::ClampSpin(TPassSetting setting) {
    const TSpinRange range = Info(setting).Range;
    std::int32_t& value = Spin(setting)->Value;
    const std::int32_t clamped = std::clamp<std::int32_t>(value, range.Min, range.Max);
    const bool changed = clamped != value;
    value = clamped;
    return changed;
}

void TProgram::ClampPassSetting(TPassSetting setting) {
    if (ClampSpin(setting))
        FView.ShowControlValues();
}

void TProgram::ConnectComponent() {
    try {
        FSatellites = FEnvironment.ConnectSatellites();
        FSatellites->SetDataPath(FControls.DataPath);
    } catch (const std::exception& error) {
        if (!FSatellites)
            FConnectionError = error.what();
    }
}

bool TProgram::PortWanted() const {
    const TReceiverTypeInfo* type = FindReceiverType(FControls.ReceiverType);
    return type == nullptr || type->SerialPort;
}

void TProgram::OpenPort() {
    if (!PortWanted())
        return;
    try {
        FPort->Open();
        if (FPort->Connected())
            FPort->SetRTSLine(false);
    } catch (const std::exception& error) {
        FView.ShowMessage("Error opening: " + FPort->Port());
        const auto* portError = dynamic_cast<const EComPort*>(&error);
        FView.Warn(PortOpenAdvice(FPort->Port(), portError ? portError->SystemError() : 0));
    }
}

void TProgram::ReopenPort() {
    if (!PortWanted() || FPort->Connected())
        return;
    Guarded([&] {
        FPort->Open();
        Guarded([&] { FPort->SetRTSLine(false); });
        FView.Notice("the port " + FPort->Port() + " is open again");
    });
}

void TProgram::CheckData() {
    if (!FSatellites) {
        FView.ShowMessage(
            SatellitesConnectionMessage(FEnvironment.ComponentPath, FConnectionError));
        return;
    }
    try {
        FView.SetVersionHint("DLL version: " + FSatellites->GetLibraryVersion());
        if (FSatellites->GetDataValid()) {
            FView.SetTimerEnabled(true);
            FView.ShowTimerTab();
        } else {
            FView.ShowMessage("Please select a path for the 2-line orbital data");
        }
    } catch (const std::exception& error) {
        FView.ShowError(error.what());
    }
}

void TProgram::ApplyLocation() {
    const TLocaleInfo& locale = FEnvironment.Locale;
    auto update = [&](std::string& text, double fallback, TRegistryString& setting) {
        double value = fallback;
        try {
            value = StrToFloat(text, locale);
        } catch (const EConvertError&) {
        }
        text = FloatToStr(value, locale);
        setting.Value = text;
    };
    update(FControls.Latitude, RestartLatitudeDeg, *FObsLatitude);
    update(FControls.Longitude, RestartLongitudeDeg, *FObsLongitude);
    update(FControls.Height, RestartHeightM, *FObsHeight);
    FView.ShowControlValues();
    Rebuild();
}

void TProgram::ReadSiblingLocation() {
    IRegistry& registry = FEnvironment.Settings.Registry;
    const TLocaleInfo& locale = FEnvironment.Locale;
    FLatitudeDeg =
        ParseFloatLenient(ReadZenolithSetting(registry, "CurrentLat"), DefaultLatitudeDeg, locale);
    FLongitudeDeg =
        ParseFloatLenient(ReadZenolithSetting(registry, "CurrentLon"), DefaultLongitudeDeg, locale);
    FHeightM =
        ParseFloatLenient(ReadZenolithSetting(registry, "CurrentHeight"), DefaultHeightM, locale);
}

void TProgram::UseSiblingLocation() {
    ReadSiblingLocation();
    const TLocaleInfo& locale = FEnvironment.Locale;
    FControls.Latitude = FloatToStr(FLatitudeDeg, locale);
    FControls.Longitude = FloatToStr(FLongitudeDeg, locale);
    FControls.Height = FloatToStr(FHeightM, locale);
    FView.ShowControlValues();
}

void TProgram::SetElementFolder(const std::string& folder) {
    FControls.DataPath = folder;
    if (!EndsWithPathSeparator(folder))
        FControls.DataPath += static_cast<char>(std::filesystem::path::preferred_separator);
    FTleDataPath->Value = FControls.DataPath;
    FView.ShowControlValues();
    Guarded([&] {
        if (!FSatellites)
            throw ESatellites("The orbit-prediction component is not connected");
        FSatellites->SetDataPath(FControls.DataPath);
        Rebuild();
    });
}

void TProgram::SetUpPort(IComSetupView& dialog) {
    const bool wasOpen = FPort->Connected();
    FPort->Close();
    FPort->RunSetupDialog(dialog);
    FPort->StoreSettings(TStorageKind::Registry, PortSettingsPath);
    FView.SetPortHint(PortHint());
    if (wasOpen)
        FPort->Open();
}

void TProgram::SetReceiverType(int index) {
    FControls.ReceiverType = index;
    FReceiver->ComboBoxRxTypeChange();
}

void TProgram::SetScanWhenIdle(bool checked) {
    FControls.ScanWhenIdle = checked;
    FReceiver->RadioGroupChannelClick();
}

void TProgram::SelectChannelItem(int index) {
    FReceiver->SetChannelIndex(index);
}

void TProgram::StoreSatellites() {
    FSatList->Value = SatListFromRows(FControls.Rows);
    FSatChannels = SatChannelsFromRows(FControls.Rows);
}

TElementSetIndex TProgram::ElementSets() const {
    TElementSetIndex sets;
    if (FSatellites)
        Guarded([&] { sets = FSatellites->ElementSets(); });
    return sets;
}

std::vector<std::string> TProgram::ElementSetProblems() const {
    if (!FSatellites)
        return {};
    std::vector<std::string> names;
    for (const TSatelliteRow& row : FControls.Rows) {
        if (row.Direction == "N" || row.Direction == "S" || row.Direction == "B")
            names.push_back(row.Name);
    }
    std::vector<std::string> problems =
        CheckElementSets(ElementSets(), names, FControls.DataPath, FEnvironment.Clock.UtcNow());
    Guarded([&] {
        for (const std::string& file : FSatellites->FileProblems())
            problems.push_back("element file " + FControls.DataPath + file);
    });
    return problems;
}

void TProgram::AddSatellite(const std::string& name) {
    FControls.Rows.push_back(
        {name, "B", std::to_string(DefaultMinPassLengthS), LikelyChannel(name)});
    StoreSatellites();
}

void TProgram::RemoveSatellite(int row) {
    if (row < 0 || row >= static_cast<int>(FControls.Rows.size()))
        return;
    FControls.Rows.erase(FControls.Rows.begin() + row);
    StoreSatellites();
}

std::string TProgram::PortHint() const {
    return FPort->Port() + " at " + BaudRateText(FPort->BaudRate()) + " baud";
}

std::string TProgram::PortState() const {
    if (!PortWanted())
        return "port not used";
    if (FPort->Port().empty())
        return "no port set up";
    return FPort->Port() + (FPort->Connected() ? " open" : " closed");
}

bool TProgram::PortWantedButClosed() const {
    return PortWanted() && !FPort->Port().empty() && !FPort->Connected();
}

std::string TProgram::StatusLine() const {
    const TStationStatus status = Status();
    const TReceiverTypeInfo* type = FindReceiverType(FControls.ReceiverType);
    std::string receiver;
    if (type == nullptr)
        receiver = "no receiver type chosen";
    else if (type->Channel == TChannelDriver::None)
        receiver = std::string(type->Name) + ": the tracking string only, no receiver driven";
    else if (type->SerialPort && !FPort->Connected())
        receiver = std::string(type->Name) + ": " + PortState() + ", no receiver driven";
    else if (status.Channel)
        receiver = std::string(type->Name) + ": channel " + std::to_string(*status.Channel);
    else if (status.OwnFrequency)
        receiver = std::string(type->Name) + ": " + MegahertzText(status.FrequencyHz, 3) + " MHz";
    else
        receiver = std::string(type->Name) + (status.ScanWhenIdle ? ": scanning" : ": standby");
    return StationStatusText(status) + " | " + receiver;
}

} // namespace kestrune
