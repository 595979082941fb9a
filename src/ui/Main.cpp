// Kestrune: the window. The tracking server starts first and stops last; the window owns the
// rest for the whole run.

#include "app/ProgramOptions.h"
#include "platform/SystemServices.h"
#include "platform/linux/EventWait.h"
#include "platform/linux/InstanceLock.h"
#include "platform/linux/LogStream.h"
#include "platform/linux/TrackingSocketServer.h"
#include "serial/GuiDispatcher.h"
#include "ui/FormMain.h"
#include "ui/TrackingDriver.h"

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <csignal>
#include <iostream>
#include <optional>
#include <unistd.h>

using namespace kestrune;

namespace {

const char* const Help = R"(Usage: Kestrune [--help | --version | --clock-start YYYYMMDDhhmmss]

The Kestrune weather-satellite station window. Settings are kept in
  ${XDG_CONFIG_HOME:-~/.config}/Quillmere/HKEY_CURRENT_USER.reg
the schedule file in
  ${XDG_STATE_HOME:-~/.local/state}/Quillmere/Kestrune/Schedule.txt
and the tracking string is served on $XDG_RUNTIME_DIR/Kestrune/Tracking.sock.
SIGTERM, SIGINT and SIGHUP close the window as its Exit button does.

--clock-start runs the program's clock from the given UTC time on instead of
the system's (a demonstration on old element sets); never use it on a station.
)";

} // namespace

int main(int argc, char** argv) {
    OpenStandardDescriptors();
    TProgramOptions options;
    if (const auto status =
            AnswerProgramOptions(argc, argv, "Kestrune", Help, KESTRUNE_VERSION, options))
        return *status;
    const std::optional<TDateTime> clockStart = options.ClockStart;

    // Before any thread starts, so that every thread leaves the signals to the descriptor.
    TSignalWatch stopSignals{SIGHUP, SIGTERM, SIGINT};
    QApplication application(argc, argv);
    application.setApplicationName("Kestrune");
    TSystemServices services(clockStart);

    // The window and the station both drive the receiver: only one of them runs.
    std::unique_ptr<TInstanceLock> instance;
    std::unique_ptr<TTrackingSocketServer> server;
    try {
        instance = std::make_unique<TInstanceLock>(RuntimeLockPath(InstanceLockName),
                                                   "Kestrune, process " + std::to_string(getpid()));
        server = std::make_unique<TTrackingSocketServer>("Kestrune", services.Locale(),
                                                         services.TrackingFolder("Kestrune"));
    } catch (const std::exception& error) {
        std::cerr << "Kestrune: " << error.what() << '\n';
        QMessageBox::critical(nullptr, "Kestrune", QString::fromStdString(error.what()));
        return 1;
    }
    TTrackingDriver tracking(*server);
    TQueuedGuiDispatcher dispatcher([&] {
        QMetaObject::invokeMethod(
            &application, [&dispatcher] { dispatcher.ServePending(); }, Qt::QueuedConnection);
    });
    const TProgramEnvironment environment = services.Environment(
        {services.Registry(), [&services] { return services.ExecutablePath(); }}, tracking,
        dispatcher);

    int status = 0;
    {
        TFormMain form(environment);
        QSocketNotifier signalNotifier(stopSignals.Fd(), QSocketNotifier::Read);
        QObject::connect(&signalNotifier, &QSocketNotifier::activated, &form, [&] {
            if (!stopSignals.Take().empty())
                form.close();
        });
        form.show();
        status = application.exec();
    }
    return status;
}
