#pragma once
// The composition root of the programs on this platform: the operating system's services that
// the program core runs on, made once and owned for the program's run, and the core's
// environment over them. Each platform implements this header in its own folder; the window and
// the station add what only they have (the tracking server, the dispatcher of their event
// loop, the settings as they may use them).

#include "app/Program.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace kestrune {

class TSystemServices {
public:
    // Runs the program's clock from clockStart on when it is given (a demonstration), else on
    // the system's clock.
    explicit TSystemServices(std::optional<TDateTime> clockStart = std::nullopt);
    ~TSystemServices();
    TSystemServices(const TSystemServices&) = delete;
    TSystemServices& operator=(const TSystemServices&) = delete;

    const IClock& Clock() const;
    const IMonotonicClock& Monotonic() const;
    ISleeper& Sleeper();
    const TLocaleInfo& Locale() const;
    // The user's settings, and what was wrong with them when they were read (empty when
    // nothing was).
    IRegistry& Registry();
    const std::string& RegistryProblem() const;
    // The running executable's full path: the settings key is named after it.
    std::string ExecutablePath() const;
    // Where the tracking server of the service `serviceName` listens.
    std::filesystem::path TrackingFolder(const std::string& serviceName) const;

    // The program core's environment over these services, with the front-end's own settings
    // access, tracking server and dispatcher.
    TProgramEnvironment Environment(const TSettingsContext& settings, ITrackingServer& tracking,
                                    IGuiDispatcher& dispatcher);

private:
    struct TParts;
    std::unique_ptr<TParts> F;
};

} // namespace kestrune
