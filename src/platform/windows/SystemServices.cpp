#include "platform/SystemServices.h"

#include "core/Text.h"
#include "platform/windows/Executable.h"
#include "platform/windows/ModuleLoader.h"
#include "platform/windows/RigctlTransport.h"
#include "platform/windows/SerialDeviceFactory.h"
#include "platform/windows/ShellProcess.h"
#include "platform/windows/SystemClock.h"
#include "platform/windows/SystemLocale.h"
#include "platform/windows/Win32Registry.h"
#include "platform/windows/WinHttpDownloader.h"
#include "serial/DebugTrace.h"
#include "settings/RegistryVariables.h"

namespace kestrune {

struct TSystemServices::TParts {
    explicit TParts(std::optional<TDateTime> clockStart)
        : Clock(SystemClock, clockStart.value_or(SystemClock.UtcNow())), Devices(Clock) {}

    const TSystemClock SystemClock;
    const TShiftedClock Clock;
    const TSteadyClock Monotonic;
    TSystemSleeper Sleeper;
    const TLocaleInfo Locale = SystemLocaleInfo();
    TWin32Registry Registry;
    // The registry is read key by key when asked: there is no file that could not be read.
    const std::string RegistryProblem;
    TSerialDeviceFactory Devices;
    TStderrDebugTrace Trace;
    TShellLauncher Processes;
    TWinHttpDownloader Downloads;
    const std::filesystem::path ComponentPath = SatellitesModulePath();
};

TSystemServices::TSystemServices(std::optional<TDateTime> clockStart)
    : F(std::make_unique<TParts>(clockStart)) {}

TSystemServices::~TSystemServices() = default;

const IClock& TSystemServices::Clock() const {
    return F->Clock;
}

const IMonotonicClock& TSystemServices::Monotonic() const {
    return F->Monotonic;
}

ISleeper& TSystemServices::Sleeper() {
    return F->Sleeper;
}

const TLocaleInfo& TSystemServices::Locale() const {
    return F->Locale;
}

IRegistry& TSystemServices::Registry() {
    return F->Registry;
}

const std::string& TSystemServices::RegistryProblem() const {
    return F->RegistryProblem;
}

std::string TSystemServices::ExecutablePath() const {
    return Utf8FromPath(kestrune::ExecutablePath());
}

std::filesystem::path TSystemServices::TrackingFolder(const std::string&) const {
    // DDE services have a name and no place: the tracking server needs no folder here.
    return {};
}

TProgramEnvironment TSystemServices::Environment(const TSettingsContext& settings,
                                                 ITrackingServer& tracking,
                                                 IGuiDispatcher& dispatcher) {
    const std::filesystem::path module = F->ComponentPath;
    return {settings,
            F->Clock,
            F->Monotonic,
            F->Sleeper,
            F->Locale,
            tracking,
            F->Devices,
            dispatcher,
            F->Trace,
            F->Processes,
            RigctlTransport,
            F->Downloads,
            [module] { return ConnectSatellites(module); },
            module,
            ScheduleFilePath(),
            "HKEY_CURRENT_USER\\Software\\" + RegistryCompany + "\\" +
                ProgramSegment(settings.ExecutableName())};
}

} // namespace kestrune
