#include "platform/SystemServices.h"

#include "core/Text.h"
#include "platform/linux/CurlDownloader.h"
#include "platform/linux/Executable.h"
#include "platform/linux/ModuleLoader.h"
#include "platform/linux/RegistryFile.h"
#include "platform/linux/RigctlTransport.h"
#include "platform/linux/SerialDeviceFactory.h"
#include "platform/linux/ShellProcess.h"
#include "platform/linux/SystemClock.h"
#include "platform/linux/SystemLocale.h"
#include "platform/linux/TrackingSocketServer.h"
#include "serial/DebugTrace.h"

namespace kestrune {

struct TSystemServices::TParts {
    explicit TParts(std::optional<TDateTime> clockStart)
        : Clock(SystemClock, clockStart.value_or(SystemClock.UtcNow())), Devices(Clock) {}

    const TSystemClock SystemClock;
    const TShiftedClock Clock;
    const TSteadyClock Monotonic;
    TSystemSleeper Sleeper;
    const TLocaleInfo Locale = SystemLocaleInfo();
    TFileRegistry Registry{DefaultRegistryFolder()};
    TSerialDeviceFactory Devices;
    TStderrDebugTrace Trace;
    TShellLauncher Processes;
    TCurlDownloader Downloads;
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
    return F->Registry.ReadProblem();
}

std::string TSystemServices::ExecutablePath() const {
    return kestrune::ExecutablePath().string();
}

std::filesystem::path TSystemServices::TrackingFolder(const std::string& serviceName) const {
    return TTrackingSocketServer::DefaultSocketFolder(serviceName);
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
            Utf8FromPath(F->Registry.HivePath())};
}

} // namespace kestrune
