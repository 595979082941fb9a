// kestrune-station.exe: the headless station on Windows, in a console or as a scheduled task.

#include "app/ProgramOptions.h"
#include "platform/windows/ConsoleProgram.h"
#include "platform/windows/DdeTrackingServer.h"
#include "platform/windows/InstanceLock.h"
#include "platform/windows/UniqueHandle.h"
#include "station/Station.h"
#include "station/StationLog.h"

#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <windows.h>

using namespace kestrune;

namespace {

const char* const Help =
    R"(Usage: kestrune-station [--help | --version | --clock-start YYYYMMDDhhmmss]

Runs a Kestrune weather-satellite station without a window: the same pass
prediction, receiver commands, RTS line and tracking string as the Kestrune
window, from the window program's settings (read, never written):

  HKEY_CURRENT_USER\Software\Quillmere\Kestrune (and its ComPortControl key)

What an operator follows (each new pass list, the next pass, each pass's
pause, reception and end, the receiver's channel, the port lost and back,
fresh element sets, messages) is written as one line to standard output,
starting with the UTC time; errors and warnings go to standard error as
well. The tracking string is served over DDE: service Kestrune, topic
"Tracking", item "Data".

On its own the station ticks on a clock that no change of the system clock
moves; closes a port that fails in a pass and opens it again before the next
one; tries a failed build again after a minute, then every ten minutes; and
rebuilds the pass list when it is empty, when the element files change and
once a day, never during a pass or its pauses.

Ctrl-C, Ctrl-Break, closing the console window, logging off and shutting
down stop the station as closing the window does: RTS lowered, port closed.
Exit status: 0 after such a stop, 1 when the station cannot start (for
example when another copy, or the Kestrune window, runs).

The schedule file Schedule.txt is written beside kestrune-station.exe, or in
%LOCALAPPDATA%\Quillmere\Kestrune when that folder cannot be written.

--clock-start runs the station's clock from the given UTC time on instead of
the system's (a demonstration on old element sets); never use it on a station.
)";

// Set by the console's control handler; the station's loop ends on it.
HANDLE StopEvent = nullptr;
// Set once the station has ended: the handler of a closing console waits for it, because
// Windows ends the process when the handler returns.
HANDLE EndedEvent = nullptr;

BOOL WINAPI OnConsoleControl(DWORD control) {
    ::SetEvent(StopEvent);
    if (control == CTRL_CLOSE_EVENT || control == CTRL_LOGOFF_EVENT ||
        control == CTRL_SHUTDOWN_EVENT)
        ::WaitForSingleObject(EndedEvent, 4500); // Windows allows 5 s
    return TRUE;
}

void WriteLine(std::FILE* stream, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

int Run(std::optional<TDateTime> clockStart) {
    const TInstanceLock instance(InstanceLockName, "kestrune-station, process " +
                                                       std::to_string(::GetCurrentProcessId()));
    const TUniqueHandle wakeUp(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    TSystemServices services(clockStart);
    TStationLog log(
        services.Clock(), false, [](const std::string& l) { WriteLine(stdout, l); },
        [](const std::string& l) { WriteLine(stderr, l); });
    // Another program serving the tracking string stops this one here.
    TDdeTrackingServer tracking(WindowProgram, services.Locale());
    TStation station(
        services, tracking,
        [&log](TLogLevel level, const std::string& text) { log.Write(level, text); },
        [&wakeUp] { ::SetEvent(wakeUp.get()); }, [](const std::string&) {});
    const HANDLE events[] = {StopEvent, wakeUp.get()};
    for (;;) {
        const DWORD woken =
            ::WaitForMultipleObjects(2, events, FALSE, static_cast<DWORD>(station.WaitMs()));
        if (woken == WAIT_OBJECT_0)
            return 0;
        station.Dispatcher().ServePending();
        station.Service();
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    SetUpConsoleStreams();
    TConsoleArguments arguments(argc, argv);
    TProgramOptions options;
    if (const auto status =
            AnswerProgramOptions(arguments.Count(), arguments.Values(), "kestrune-station", Help,
                                 KESTRUNE_VERSION, options))
        return *status;
    StopEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EndedEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    int status = 1;
    try {
        status = Run(options.ClockStart);
    } catch (const std::exception& error) {
        std::cerr << "kestrune-station: " << error.what() << '\n';
    }
    ::SetEvent(EndedEvent);
    return status;
}
