#include "platform/linux/SerialCommKey.h"

#include "platform/linux/RegistryFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace kestrune::test {
namespace {

namespace fs = std::filesystem;

class SerialComm : public ::testing::Test {
protected:
    SerialComm() {
        fs::create_directories(FDir.Path() / "devices" / "port");
        // name, has a device link, contents of its "type" file ("" for none)
        const std::tuple<const char*, bool, const char*> entries[] = {
            {"tty0", false, ""},    {"console", false, ""},  {"ttyS0", true, "4\n"},
            {"ttyS1", true, "0\n"}, {"ttyS10", true, "4\n"}, {"ttyS2", true, "4\n"},
            {"ttyUSB0", true, ""},  {"ttyACM0", true, ""},
        };
        for (const auto& [name, device, type] : entries) {
            const fs::path entry = Sysfs() / name;
            fs::create_directories(entry);
            if (device)
                fs::create_directory_symlink(FDir.Path() / "devices" / "port", entry / "device");
            if (*type != '\0')
                FDir.Write(std::string("sys/") + name + "/type", type);
        }
    }
    fs::path Sysfs() const { return FDir.Path() / "sys"; }

    TTempDir FDir;
};

TEST_F(SerialComm, PortsWithADeviceAndAUartAppearAsTextValues) {
    TFileRegistry registry(FDir.Path() / "config", Sysfs());
    std::unique_ptr<IRegistryKey> key;
    ASSERT_EQ(
        registry.OpenKey(TRootKey::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM", KeyRead, key),
        ErrorSuccess);
    std::vector<std::pair<std::string, std::string>> values;
    std::string name;
    TRegType type = RegNone;
    std::vector<std::uint8_t> data;
    for (std::uint32_t index = 0; key->EnumValue(index, 256, 256, name, type, data) == ErrorSuccess;
         ++index) {
        EXPECT_EQ(type, RegSz);
        values.emplace_back(name, TextFromUtf16Bytes(data));
    }
    EXPECT_EQ(values, (std::vector<std::pair<std::string, std::string>>{
                          {"\\Device\\ttyACM0", "ttyACM0"},
                          {"\\Device\\ttyS0", "ttyS0"},
                          {"\\Device\\ttyS2", "ttyS2"},
                          {"\\Device\\ttyS10", "ttyS10"},
                          {"\\Device\\ttyUSB0", "ttyUSB0"},
                          {"\\Device\\loop", "loop://"},
                      }));
}

TEST_F(SerialComm, AdaptersAlsoAppearUnderTheirStableNames) {
    const fs::path byId = FDir.Path() / "by-id";
    fs::create_directories(byId);
    fs::create_symlink("../../ttyUSB0", byId / "usb-FTDI_FT232R_A1B2-if00-port0");
    fs::create_symlink("../../ttyUSB7", byId / "usb-Prolific_gone-port0"); // not plugged in
    const TRegistryTree tree = SerialCommTree(Sysfs(), byId);
    const TRegKeyData* key = tree.FindKey("HARDWARE\\DEVICEMAP\\SERIALCOMM");
    ASSERT_NE(key, nullptr);
    std::vector<std::string> ports;
    for (const TRegValue& value : key->Values)
        ports.push_back(TextFromUtf16Bytes(value.Data));
    EXPECT_EQ(ports, (std::vector<std::string>{"ttyACM0", "ttyS0", "ttyS2", "ttyS10", "ttyUSB0",
                                               (byId / "usb-FTDI_FT232R_A1B2-if00-port0").string(),
                                               "loop://"}));
}

TEST_F(SerialComm, KeyIsReadOnlyAndReadAfreshAtEachOpen) {
    TFileRegistry registry(FDir.Path() / "config", Sysfs());
    std::unique_ptr<IRegistryKey> key;
    EXPECT_EQ(registry.OpenKey(TRootKey::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM",
                               KeyAllAccess, key),
              ErrorAccessDenied);
    EXPECT_EQ(registry.CreateKey(TRootKey::LocalMachine, "SOFTWARE\\Kestrune", KeyAllAccess, key),
              ErrorAccessDenied);
    ASSERT_EQ(
        registry.OpenKey(TRootKey::LocalMachine, "hardware\\devicemap\\serialcomm", KeyRead, key),
        ErrorSuccess);
    EXPECT_EQ(key->SetValue("x", RegSz, Utf16Bytes("y")), ErrorAccessDenied);

    fs::remove(Sysfs() / "ttyUSB0" / "device");
    ASSERT_EQ(
        registry.OpenKey(TRootKey::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM", KeyRead, key),
        ErrorSuccess);
    std::uint32_t size = 0;
    EXPECT_EQ(key->QueryValue("\\Device\\ttyUSB0", nullptr, nullptr, &size), ErrorFileNotFound);
    EXPECT_FALSE(fs::exists(FDir.Path() / "config")); // nothing of the user's was touched
}

TEST_F(SerialComm, NoSysfsMeansNoKey) {
    TFileRegistry registry(FDir.Path() / "config", FDir.Path() / "missing");
    std::unique_ptr<IRegistryKey> key;
    EXPECT_EQ(
        registry.OpenKey(TRootKey::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM", KeyRead, key),
        ErrorFileNotFound);
}

} // namespace
} // namespace kestrune::test
