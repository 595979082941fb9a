#pragma once
// The program core's surroundings in a test, as the system's services are for the programs: an
// in-memory registry, a clock the test moves, a fake orbit component, tracking server, pass-
// command launcher, downloads and rig connection, and ports opened by name: the program's own
// devices (loop:// and spy://) and the fake hardware's ports ("COM1", "COM2").

#include "app/Program.h"
#include "serial/DebugTrace.h"
#include "serial/DeviceFactory.h"
#include "serial/GuiDispatcher.h"
#include "settings/MemoryRegistry.h"
#include "support/FakeClock.h"
#include "support/FakeDownloader.h"
#include "support/FakeProcesses.h"
#include "support/FakeRigTransport.h"
#include "support/FakeSatellites.h"
#include "support/FakeSerialDevice.h"
#include "support/FakeTrackingServer.h"
#include "support/TempDir.h"

#include <string>

namespace kestrune::test {

class TFakeServices {
public:
    // The program's clock starts at `start`.
    explicit TFakeServices(TDateTime start = EncodeDateTime(2026, 12, 8, 10, 0, 0));

    // The core's environment over these fakes; the schedule file goes to the temporary folder.
    TProgramEnvironment Environment();

    // Settings of the program's key, written and read back as the user or another program would.
    void Store(const char* name, int value);
    void Store(const char* name, const std::string& value);
    std::string StoredString(const char* name);
    int StoredInteger(const char* name);
    // The serial port's stored name.
    void StorePort(const std::string& port);

    const TDateTime Start;
    TFakeClock Clock{Start};
    TFakeMonotonicClock Monotonic{Clock};
    TFakeSleeper Sleeper{Clock};
    TLocaleInfo Locale;
    TMemoryRegistry Registry;
    TSettingsContext Settings{Registry, [] { return std::string("/opt/kestrune/Kestrune"); }};
    TFakeSatellites Component;
    TFakeTrackingServer Tracking;
    TFakeSerialHardware Hardware;
    TDeviceFactory Devices{Clock,
                           [this](const std::string& port, std::unique_ptr<ISerialDevice>& device) {
                               return Hardware.Open(port, device);
                           }};
    TQueuedGuiDispatcher Dispatcher;
    TStderrDebugTrace Trace;
    TFakeLauncher Processes;
    // The address the core connected the rig to, and its connection once it has one.
    std::string RigAddress;
    TFakeRigTransport* Rig = nullptr;
    TFakeDownloader Downloads;
    TTempDir Dir;
};

} // namespace kestrune::test
