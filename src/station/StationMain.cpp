// kestrune-station: the station without a window. It runs the pass sequencer once a second
// from the window program's settings and logs what an operator follows.

#include "app/ProgramOptions.h"
#include "platform/linux/EventWait.h"
#include "platform/linux/InstanceLock.h"
#include "platform/linux/LogStream.h"
#include "platform/linux/RegistryFile.h"
#include "platform/linux/ServiceNotify.h"
#include "platform/linux/TrackingSocketServer.h"
#include "station/SettingsAdvice.h"
#include "station/Station.h"
#include "station/StationLog.h"

#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <signal.h>
#include <unistd.h>

using namespace kestrune;

namespace {

const char* const Help =
    R"(Usage: kestrune-station [--help | --version | --clock-start YYYYMMDDhhmmss]

Runs a Kestrune weather-satellite station without a window: the same pass
prediction, receiver commands, RTS line and tracking string as the Kestrune
window, from the window program's settings (read, never written):

  ${XDG_CONFIG_HOME:-~/.config}/Quillmere/HKEY_CURRENT_USER.reg
  key HKEY_CURRENT_USER\Software\Quillmere\Kestrune (and its ComPortControl key)

What an operator follows (each new pass list, the next pass, each pass's
pause, reception and end, the receiver's channel, the port lost and back,
fresh element sets, messages) is written as one line to standard output,
starting with the UTC time; errors and warnings go to standard error as
well. Under systemd, `systemctl --user status` shows the next pass or the
pass under way. Under systemd (JOURNAL_STREAM names standard error) every line goes
to the journal once, with its priority and no time of its own. A line that
cannot be written at once is dropped and counted, never waited for. The
tracking string is served on $XDG_RUNTIME_DIR/Kestrune/Tracking.sock.

On its own the station ticks on a clock that no step of the system clock
moves; closes a port that fails in a pass and opens it again before the next
one; tries a failed build again after a minute, then every ten minutes; and
rebuilds the pass list when it is empty, when the element files change and
once a day, never during a pass or its pauses.

Signals: SIGHUP reads the settings again: the station is ended (a pass under
way ends, RTS lowered, port closed) and started afresh from the settings file;
SIGTERM and SIGINT stop the station as closing the window does: RTS lowered,
port closed. Exit status: 0 after a signal, 1 when the station cannot start
(for example when another copy runs: it holds
$XDG_RUNTIME_DIR/kestrune-station.lock). Without XDG_RUNTIME_DIR, the lock
and the socket are in ${XDG_STATE_HOME:-~/.local/state}/Quillmere/runtime.

The schedule file is written to
  ${XDG_STATE_HOME:-~/.local/state}/Quillmere/Kestrune/Schedule.txt

--clock-start runs the station's clock from the given UTC time on instead of
the system's (a demonstration on old element sets); never use it on a station.
)";

int Run(std::optional<TDateTime> clockStart) {
    // A reader that goes away (kestrune-station | head) must not end the station in a pass.
    signal(SIGPIPE, SIG_IGN);
    TSignalWatch signals{SIGHUP, SIGTERM, SIGINT};
    const TInstanceLock instance(RuntimeLockPath(InstanceLockName),
                                 "kestrune-station, process " + std::to_string(getpid()));
    TWakeUp wakeUp;
    TSystemServices services(clockStart);
    TLogStream out(STDOUT_FILENO), err(STDERR_FILENO);
    TStationLog log(
        services.Clock(), IsJournalStream(STDERR_FILENO),
        [&out](const std::string& l) { out.WriteLine(l); },
        [&err](const std::string& l) { err.WriteLine(l); });
    // Another copy serving the tracking string stops this one here.
    TTrackingSocketServer tracking(WindowProgram, services.Locale(),
                                   services.TrackingFolder(WindowProgram));
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime == nullptr || *runtime != '/')
        log.Write(TLogLevel::Warning,
                  "warning: XDG_RUNTIME_DIR is not set: the tracking socket is " +
                      tracking.SocketPath().string());

    // The settings are read when the station is made (the registry reads its file again when it
    // has changed); SIGHUP ends the station and makes it again, as a restart of the service
    // would, with the tracking server and its clients kept.
    const std::filesystem::path hive = DefaultRegistryFolder() / HiveFileName;
    std::unique_ptr<TStation> station;
    const auto start = [&] {
        station.reset();
        station = std::make_unique<TStation>(
            services, tracking,
            [&log](TLogLevel level, const std::string& text) { log.Write(level, text); },
            [&wakeUp] { wakeUp.Ring(); }, NotifyServiceManager);
        if (!services.RegistryProblem().empty())
            station->View().Warn(services.RegistryProblem());
        if (const std::string missing = MissingSettingsWarning(services.Registry(), hive);
            !missing.empty())
            station->View().Warn(missing);
    };
    start();

    for (;;) {
        std::vector<TFdWatch> watches{{signals.Fd()}, {wakeUp.Fd()}};
        for (const auto& watch : tracking.Watches())
            watches.push_back({watch.Fd, watch.WantsWrite});
        WaitForEvents(watches, station->WaitMs());

        for (int signal : signals.Take()) {
            if (signal != SIGHUP)
                return 0;
            station->View().Notice("SIGHUP: reading the settings again from " + hive.string());
            start();
        }
        wakeUp.Clear();
        station->Dispatcher().ServePending();
        tracking.Service();
        station->Service();
    }
}

} // namespace

int main(int argc, char** argv) {
    OpenStandardDescriptors();
    TProgramOptions options;
    if (const auto status =
            AnswerProgramOptions(argc, argv, "kestrune-station", Help, KESTRUNE_VERSION, options))
        return *status;
    try {
        return Run(options.ClockStart);
    } catch (const std::exception& error) {
        std::cerr << "kestrune-station: " << error.what() << '\n';
        return 1;
    }
}
