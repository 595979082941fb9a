// Kestrune.exe: the window on Windows. The single-instance lock and the tracking server come
// first and go last; the window owns the rest for the whole run.

#include "app/ProgramOptions.h"
#include "platform/SystemServices.h"
#include "platform/windows/ConsoleProgram.h"
#include "platform/windows/DdeTrackingServer.h"
#include "platform/windows/InstanceLock.h"
#include "platform/windows/WideText.h"
#include "serial/GuiDispatcher.h"
#include "station/Station.h"
#include "winui/FormMain.h"

#include <atomic>
#include <memory>
#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

using namespace kestrune;

namespace {

const char* const Help = R"(Usage: Kestrune [--help | --version | --clock-start YYYYMMDDhhmmss]

The Kestrune weather-satellite station window. Settings are kept in
  HKEY_CURRENT_USER\Software\Quillmere\Kestrune
the schedule file Schedule.txt beside Kestrune.exe (or in
%LOCALAPPDATA%\Quillmere\Kestrune when that folder cannot be written), and
the tracking string is served over DDE: service Kestrune, topic "Tracking",
item "Data".

--clock-start runs the program's clock from the given UTC time on instead of
the system's (a demonstration on old element sets); never use it on a station.
)";

void Report(const std::string& text) {
    ::MessageBoxW(nullptr, WideFromUtf8(text).c_str(), L"Kestrune", MB_OK | MB_ICONERROR);
}

int Run(const TProgramOptions& options, int showCommand) {
    TSystemServices services(options.ClockStart);
    // The window and the station both drive the receiver: only one of them runs.
    const TInstanceLock instance(InstanceLockName,
                                 "Kestrune, process " + std::to_string(::GetCurrentProcessId()));
    TDdeTrackingServer tracking(WindowProgram, services.Locale());
    // The serial port's thread hands its work over through the window's message loop.
    std::atomic<HWND> window{nullptr};
    TQueuedGuiDispatcher dispatcher([&window] {
        if (HWND target = window.load())
            ::PostMessageW(target, TFormMain::ServePendingMessage, 0, 0);
    });
    const TProgramEnvironment environment = services.Environment(
        {services.Registry(), [&services] { return services.ExecutablePath(); }}, tracking,
        dispatcher);
    TFormMain form(environment);
    window = form.Handle();
    form.Show(showCommand);
    // Hand-overs that came before the window had a handle.
    dispatcher.ServePending();
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab and the arrow keys move between the controls; Escape presses Exit.
        if (::IsDialogMessageW(form.Handle(), &message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    window = nullptr;
    return static_cast<int>(message.wParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    int count = 0;
    wchar_t** values = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    TConsoleArguments arguments(count, values);
    ::LocalFree(values);
    TProgramOptions options;
    if (const auto status = AnswerProgramOptions(arguments.Count(), arguments.Values(), "Kestrune",
                                                 Help, KESTRUNE_VERSION, options))
        return *status;
    // The folder dialog and the orbit-prediction component are COM objects.
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int status = 1;
    try {
        status = Run(options, showCommand);
    } catch (const std::exception& error) {
        Report(error.what());
    }
    ::CoUninitialize();
    return status;
}
