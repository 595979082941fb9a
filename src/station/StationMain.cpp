// kestrune-station: the station without a window. It runs the pass sequencer once a second
// from the window program's settings and logs what the window would show.

#include "EventWait.h"
#include "Executable.h"
#include "RegistryFile.h"
#include "Station.h"
#include "SystemClock.h"
#include "SystemLocale.h"

#include <algorithm>
#include <iostream>
#include <optional>
#include <signal.h>

using namespace kestrune;

namespace {

const char* const Help =
    R"(Usage: kestrune-station [--help | --version | --clock-start YYYYMMDDhhmmss]

Runs a Kestrune weather-satellite station without a window: the same pass
prediction, receiver commands, RTS line and tracking string as the Kestrune
window, from the window program's settings (read, never written):

  ${XDG_CONFIG_HOME:-~/.config}/Quillmere/HKEY_CURRENT_USER.reg
  key HKEY_CURRENT_USER\Software\Quillmere\Kestrune (and its ComPortControl key)

Every change the window would show (caption, title, status text, next pass,
LED colour, messages, each new pass list) is written as one line to standard
output, starting with the UTC time; errors go to standard error as well. The
tracking string is served on $XDG_RUNTIME_DIR/Kestrune/Tracking.sock.

Signals: SIGHUP restarts the sequencer (the pass list is rebuilt on the next
tick), as the Restart button does; SIGTERM and SIGINT stop the station as
closing the window does: RTS lowered, port closed. Exit status: 0 after a
signal, 1 when the station cannot start (for example when another copy runs).

The schedule file is written to
  ${XDG_STATE_HOME:-~/.local/state}/Quillmere/Kestrune/Schedule.txt

--clock-start runs the station's clock from the given UTC time on instead of
the system's (a demonstration on old element sets); never use it on a station.
)";

void Line(std::ostream& stream, const std::string& line) {
    stream << line << std::endl;
}

// Milliseconds from now until the next tick: the interval for the first one, then the next
// whole second of the clock, so that ticks do not drift.
int MillisecondsToTick(const TStationView& view, bool firstTick, TDateTime now) {
    if (firstTick && view.TimerInterval() < 1000)
        return view.TimerInterval();
    const long long nowMs = ToMilliseconds(now);
    return static_cast<int>(1000 - nowMs % 1000);
}

int Run(std::optional<TDateTime> clockStart) {
    TSignalWatch signals{SIGHUP, SIGTERM, SIGINT};
    TWakeUp wakeUp;
    const TSystemClock systemClock;
    const TShiftedClock clock(systemClock, clockStart.value_or(systemClock.UtcNow()));
    TSystemSleeper sleeper;
    const TLocaleInfo locale = SystemLocaleInfo();
    TFileRegistry registry(DefaultRegistryFolder());
    const TStationPlaces places{ExecutableDir(),
                                TTrackingSocketServer::DefaultSocketFolder("Kestrune"),
                                ScheduleFilePath()};
    TStation station(
        registry, clock, sleeper, locale, places, [](const std::string& l) { Line(std::cout, l); },
        [](const std::string& l) { Line(std::cerr, l); }, [&wakeUp] { wakeUp.Ring(); });

    bool firstTick = true;
    std::optional<TDateTime> due;
    for (;;) {
        const TDateTime now = clock.UtcNow();
        if (!station.View().TimerEnabled())
            due.reset();
        else if (!due)
            due = now + MillisecondsToTick(station.View(), firstTick, now) / 86'400'000.0;

        int timeoutMs = -1;
        if (due)
            timeoutMs = static_cast<int>(
                std::max<long long>(0, ToMilliseconds(*due) - ToMilliseconds(now)));
        std::vector<TFdWatch> watches{{signals.Fd()}, {wakeUp.Fd()}};
        for (const auto& watch : station.Tracking().Watches())
            watches.push_back({watch.Fd, watch.WantsWrite});
        WaitForEvents(watches, timeoutMs);

        for (int signal : signals.Take()) {
            if (signal != SIGHUP)
                return 0;
            station.Restart();
            due.reset();
        }
        wakeUp.Clear();
        station.Dispatcher().ServePending();
        station.Tracking().Service();
        if (due && ToMilliseconds(clock.UtcNow()) >= ToMilliseconds(*due)) {
            station.Tick();
            firstTick = false;
            due.reset();
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::string option = argc > 1 ? argv[1] : "";
    if (option == "--help" || option == "-h") {
        std::cout << Help;
        return 0;
    }
    if (option == "--version") {
        std::cout << "kestrune-station " << KESTRUNE_VERSION << '\n';
        return 0;
    }
    std::optional<TDateTime> clockStart;
    if (option == "--clock-start" && argc == 3) {
        const std::string text = argv[2];
        clockStart = ParseCompact(text);
        if (!clockStart) {
            std::cerr << "kestrune-station: --clock-start: '" << text
                      << "' is not a UTC time as YYYYMMDDhhmmss\n";
            return 2;
        }
    } else if (argc > 1) {
        std::cerr << "kestrune-station: unknown option '" << option << "' (see --help)\n";
        return 2;
    }
    try {
        return Run(clockStart);
    } catch (const std::exception& error) {
        std::cerr << "kestrune-station: " << error.what() << '\n';
        return 1;
    }
}
