#include "support/FakeServices.h"

#include "serial/ComPort.h"

namespace kestrune::test {

TFakeServices::TFakeServices(TDateTime start) : Start(start) {}

TProgramEnvironment TFakeServices::Environment() {
    return {Settings,
            Clock,
            Monotonic,
            Sleeper,
            Locale,
            Tracking,
            Devices,
            Dispatcher,
            Trace,
            Processes,
            [this](const std::string& address) {
                RigAddress = address;
                auto transport = std::make_unique<TFakeRigTransport>();
                Rig = transport.get();
                return transport;
            },
            Downloads,
            [this] { return WrapFake(Component); },
            "/opt/kestrune/QmrSatLib.so",
            Dir.Path() / "Schedule.txt",
            "HKEY_CURRENT_USER\\Software\\Quillmere\\Kestrune"};
}

void TFakeServices::Store(const char* name, int value) {
    TRegistryInteger setting(Settings, name);
    setting.Value = value;
}

void TFakeServices::Store(const char* name, const std::string& value) {
    TRegistryString setting(Settings, name);
    setting.Value = value;
}

std::string TFakeServices::StoredString(const char* name) {
    return TRegistryString(Settings, name, "<none>").Value;
}

int TFakeServices::StoredInteger(const char* name) {
    return TRegistryInteger(Settings, name, -999).Value;
}

void TFakeServices::StorePort(const std::string& port) {
    TComPort comPort("ComPortControl", {Devices, Dispatcher, Trace, Registry});
    comPort.SetPort(port);
    comPort.StoreSettings(TStorageKind::Registry, PortSettingsPath);
}

} // namespace kestrune::test
