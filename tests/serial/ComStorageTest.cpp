#include "serial/ComPortFixture.h"
#include "settings/Registry.h"
#include "settings/RegistryTree.h"

#include <map>

namespace kestrune::test {
namespace {

constexpr const char* ProgramPath = "HKEY_CURRENT_USER\\Software\\Quillmere\\Kestrune";
constexpr const char* PortKey = "Software\\Quillmere\\Kestrune\\ComPortControl";

// Fails the write of one named value (the value stays in memory, as the registry promises).
class TFailingRegistry final : public TMemoryRegistry {
public:
    std::string FailingValue;

protected:
    TRegResult Persist(TRootKey, const TRegistryChange& change) override {
        return change.Kind == TRegistryChange::TKind::SetValue && change.Value.Name == FailingValue
                   ? ErrorAccessDenied
                   : ErrorSuccess;
    }
};

class ComStorageTest : public ComPortFixture {
protected:
    void SetUp() override { Port.SetBaudRate(TBaudRate::br1200); }

    // Every value of the port's key, as type and bytes.
    std::map<std::string, std::pair<TRegType, std::vector<std::uint8_t>>>
    StoredValues(IRegistry& registry, const std::string& path = PortKey) {
        std::unique_ptr<IRegistryKey> key;
        EXPECT_EQ(registry.OpenKey(TRootKey::CurrentUser, path, KeyRead, key), ErrorSuccess);
        std::map<std::string, std::pair<TRegType, std::vector<std::uint8_t>>> values;
        for (std::uint32_t i = 0; key; ++i) {
            std::string name;
            TRegType type = RegNone;
            std::vector<std::uint8_t> data;
            if (key->EnumValue(i, RegNoLimit, RegNoLimit, name, type, data) != ErrorSuccess) {
                break;
            }
            values[name] = {type, data};
        }
        return values;
    }

    void Put(const std::string& name, const std::string& text, TRegType type = RegSz) {
        std::unique_ptr<IRegistryKey> key;
        ASSERT_EQ(Registry.CreateKey(TRootKey::CurrentUser, PortKey, KeyAllAccess, key),
                  ErrorSuccess);
        ASSERT_EQ(key->SetValue(name, type, Utf16Bytes(text)), ErrorSuccess);
    }

    void PutDword(const std::string& name, std::uint32_t value) {
        std::unique_ptr<IRegistryKey> key;
        ASSERT_EQ(Registry.CreateKey(TRootKey::CurrentUser, PortKey, KeyAllAccess, key),
                  ErrorSuccess);
        ASSERT_EQ(key->SetValue(name, RegDword, DwordBytes(value)), ErrorSuccess);
    }
};

TEST_F(ComStorageTest, TheDefaultsStoreExactlyTheBasicTexts) {
    Port.StoreSettings(TStorageKind::Registry, ProgramPath);
    const auto values = StoredValues(Registry);
    const std::map<std::string, std::string> expected{{"Port", "COM1"},   {"BaudRate", "1200"},
                                                      {"StopBits", "1"},  {"DataBits", "8"},
                                                      {"Parity", "None"}, {"FlowControl", "None"}};
    ASSERT_EQ(values.size(), expected.size());
    for (const auto& [name, text] : expected) {
        ASSERT_EQ(values.count(name), 1u) << name;
        EXPECT_EQ(values.at(name).first, RegSz);
        EXPECT_EQ(values.at(name).second, Utf16Bytes(text)) << name;
        EXPECT_EQ(values.at(name).second.size(), text.size() * 2 + 2);
    }
}

TEST_F(ComStorageTest, EveryGroupRoundTrips) {
    Port.SetStoredGroups({TStoredGroup::Basic, TStoredGroup::FlowControl, TStoredGroup::Buffer,
                          TStoredGroup::Timeouts, TStoredGroup::Parity, TStoredGroup::Others});
    Port.SetPort("ttyUSB1");
    Port.SetBaudRate(TBaudRate::brCustom);
    Port.SetCustomBaudRate(31250);
    Port.SetStopBits(TStopBits::sbTwoStopBits);
    Port.SetDataBits(TDataBits::dbSeven);
    Port.SetEventChar(' ');
    Port.SetDiscardNull(true);
    Port.Parity().SetBits(TParityBits::prSpace);
    Port.Parity().SetCheck(true);
    Port.Parity().SetReplaceChar(200);
    Port.Buffer().SetInputSize(4096);
    Port.Buffer().SetOutputSize(512);
    Port.Timeouts().SetReadTotalConstant(7);
    Port.Timeouts().SetWriteTotalMultiplier(-2);
    Port.FlowControl().SetControlRTS(TRTSFlowControl::rtsToggle);
    Port.FlowControl().SetControlDTR(TDTRFlowControl::dtrHandshake);
    Port.FlowControl().SetOutDSRFlow(true);
    Port.FlowControl().SetXonXoffIn(true);
    Port.FlowControl().SetXonChar('A');
    Port.StoreSettings(TStorageKind::Registry, ProgramPath);

    const auto values = StoredValues(Registry);
    EXPECT_EQ(values.size(), 29u);
    EXPECT_EQ(values.at("CustomBaudRate").first, RegDword);
    EXPECT_EQ(values.at("Timeouts.ReadInterval").second, DwordBytes(0xFFFFFFFF));
    EXPECT_EQ(values.at("EventChar").second, Utf16Bytes("#32"));
    EXPECT_EQ(values.at("Parity.ReplaceChar").second, Utf16Bytes("#200"));
    EXPECT_EQ(values.at("FlowControl.XoffChar").second, Utf16Bytes("#19"));
    EXPECT_EQ(values.at("FlowControl").second, Utf16Bytes("Custom"));

    TComPort other("ComPortControl", {Hardware, Dispatcher, Trace, Registry});
    other.SetStoredGroups(Port.StoredGroups());
    other.LoadSettings(TStorageKind::Registry, ProgramPath);
    EXPECT_EQ(other.Port(), "ttyUSB1");
    EXPECT_EQ(other.BaudRate(), TBaudRate::brCustom);
    EXPECT_EQ(other.CustomBaudRate(), 31250);
    EXPECT_EQ(other.StopBits(), TStopBits::sbTwoStopBits);
    EXPECT_EQ(other.DataBits(), TDataBits::dbSeven);
    EXPECT_EQ(other.EventChar(), ' ');
    EXPECT_TRUE(other.DiscardNull());
    EXPECT_EQ(other.Parity().Bits(), TParityBits::prSpace);
    EXPECT_TRUE(other.Parity().Check());
    EXPECT_FALSE(other.Parity().Replace());
    EXPECT_EQ(other.Parity().ReplaceChar(), 200);
    EXPECT_EQ(other.Buffer().InputSize(), 4096);
    EXPECT_EQ(other.Buffer().OutputSize(), 512);
    EXPECT_EQ(other.Timeouts().ReadInterval(), -1);
    EXPECT_EQ(other.Timeouts().ReadTotalConstant(), 7);
    EXPECT_EQ(other.Timeouts().WriteTotalMultiplier(), -2);
    EXPECT_EQ(other.Timeouts().WriteTotalConstant(), 1000);
    EXPECT_EQ(other.FlowControl().ControlRTS(), TRTSFlowControl::rtsToggle);
    EXPECT_EQ(other.FlowControl().ControlDTR(), TDTRFlowControl::dtrHandshake);
    EXPECT_TRUE(other.FlowControl().OutDSRFlow());
    EXPECT_TRUE(other.FlowControl().XonXoffIn());
    EXPECT_FALSE(other.FlowControl().XonXoffOut());
    EXPECT_EQ(other.FlowControl().XonChar(), 'A');
    EXPECT_EQ(other.FlowControl().XoffChar(), 19);
}

TEST_F(ComStorageTest, StoreFailures) {
    // No "\" in the path: no key, so the first write fails.
    const EComPort noKey =
        CaughtError([&] { Port.StoreSettings(TStorageKind::Registry, "Software"); });
    EXPECT_STREQ(noKey.what(), "COM Port Error: Failed to store settings");
    EXPECT_EQ(noKey.ErrorCode(), 16);
    EXPECT_EQ(noKey.SystemError(), -1);

    Registry.SetReadOnly(TRootKey::LocalMachine, true);
    EXPECT_EQ(CaughtError([&] {
                  Port.StoreSettings(TStorageKind::Registry, "HKEY_LOCAL_MACHINE\\Software");
              }).ErrorCode(),
              16);
    EXPECT_EQ(
        CaughtError([&] { Port.StoreSettings(TStorageKind::IniFile, "port.ini"); }).ErrorCode(),
        16);

    // Values written before a failed write stay written; none after it is.
    TFailingRegistry failing;
    failing.FailingValue = "DataBits";
    TComPort port("ComPortControl", {Hardware, Dispatcher, Trace, failing});
    EXPECT_EQ(
        CaughtError([&] { port.StoreSettings(TStorageKind::Registry, ProgramPath); }).ErrorCode(),
        16);
    const auto values = StoredValues(failing);
    EXPECT_EQ(values.count("StopBits"), 1u);
    EXPECT_EQ(values.count("Parity"), 0u);
}

TEST_F(ComStorageTest, TheKeyIsFormedFromThePathsRootAndTheComponentName) {
    Port.StoreSettings(TStorageKind::Registry, "hkey_local_machine\\Software\\Test\\");
    std::unique_ptr<IRegistryKey> key;
    EXPECT_EQ(
        Registry.OpenKey(TRootKey::LocalMachine, "Software\\Test\\ComPortControl", KeyRead, key),
        ErrorSuccess);
    // An unknown root name means the current user.
    Port.StoreSettings(TStorageKind::Registry, "HKEY_USERS\\Other");
    EXPECT_EQ(StoredValues(Registry, "Other\\ComPortControl").size(), 6u);
}

TEST_F(ComStorageTest, AFirstRunReadsEmptyTextsAndCreatesTheKey) {
    // Nothing stored yet: every text reads as empty, so the port has no name (the window then
    // says "Error opening: " and the user sets the port up once) and the conversions' fallbacks
    // apply; the flow settings are not text-driven and stay as they were.
    Port.SetPort("ttyUSB0");
    Port.SetStopBits(TStopBits::sbTwoStopBits);
    Port.FlowControl().SetFlowControl(TFlowControl::fcHardware);
    Port.LoadSettings(TStorageKind::Registry, ProgramPath);
    EXPECT_TRUE(KeyExists(Registry, TRootKey::CurrentUser, PortKey));
    EXPECT_EQ(Port.Port(), "");
    EXPECT_EQ(Port.BaudRate(), TBaudRate::br9600);
    EXPECT_EQ(Port.StopBits(), TStopBits::sbOneStopBit);
    EXPECT_EQ(Port.DataBits(), TDataBits::dbEight);
    EXPECT_EQ(Port.Parity().Bits(), TParityBits::prNone);
    EXPECT_EQ(Port.FlowControl().FlowControl(), TFlowControl::fcHardware);

    // A path without "\" finds nothing either.
    Port.SetPort("ttyUSB0");
    Port.LoadSettings(TStorageKind::Registry, "Software");
    EXPECT_EQ(Port.Port(), "");
}

TEST_F(ComStorageTest, TextsLoadThroughTheirConversions) {
    Put("Port", "com3");
    Put("BaudRate", "115200");
    Put("StopBits", "1.5");
    Put("DataBits", "");
    Put("Parity", "even");
    Put("FlowControl", "SOFTWARE");
    Port.SetDataBits(TDataBits::dbSix);
    Port.LoadSettings(TStorageKind::Registry, ProgramPath);
    EXPECT_EQ(Port.Port(), "com3");
    EXPECT_EQ(Port.BaudRate(), TBaudRate::br115200);
    EXPECT_EQ(Port.StopBits(), TStopBits::sbOne5StopBits);
    EXPECT_EQ(Port.DataBits(), TDataBits::dbEight) << "an empty text takes the fallback";
    EXPECT_EQ(Port.Parity().Bits(), TParityBits::prEven);
    EXPECT_EQ(Port.FlowControl().FlowControl(), TFlowControl::fcSoftware);

    Put("BaudRate", "12345");
    Port.LoadSettings(TStorageKind::Registry, ProgramPath);
    EXPECT_EQ(Port.BaudRate(), TBaudRate::br9600);

    Put("BaudRate", "custom");
    PutDword("CustomBaudRate", 250000);
    Put("FlowControl", "Custom");
    Port.LoadSettings(TStorageKind::Registry, ProgramPath);
    EXPECT_EQ(Port.BaudRate(), TBaudRate::brCustom);
    EXPECT_EQ(Port.CustomBaudRate(), 250000);
    EXPECT_EQ(Port.FlowControl().FlowControl(), TFlowControl::fcSoftware);

    // Expandable text is text too, and text stops at its first NUL.
    Put("Port", std::string("ttyS0\0junk", 10), RegExpandSz);
    Port.LoadSettings(TStorageKind::Registry, ProgramPath);
    EXPECT_EQ(Port.Port(), "ttyS0");
}

TEST_F(ComStorageTest, ALoadFailureKeepsWhatWasAssignedBeforeIt) {
    Put("Port", "COM4");
    Put("BaudRate", "Custom");
    Put("StopBits", "2");
    const EComPort e = CaughtError([&] { Port.LoadSettings(TStorageKind::Registry, ProgramPath); });
    EXPECT_STREQ(e.what(), "COM Port Error: Failed to load settings");
    EXPECT_EQ(e.ErrorCode(), 17);
    EXPECT_EQ(e.SystemError(), -1);
    EXPECT_EQ(Port.Port(), "COM4");
    EXPECT_EQ(Port.BaudRate(), TBaudRate::brCustom);
    EXPECT_EQ(Port.StopBits(), TStopBits::sbOneStopBit);

    // A value of the wrong type fails too.
    Put("BaudRate", "9600");
    PutDword("DataBits", 7);
    EXPECT_EQ(
        CaughtError([&] { Port.LoadSettings(TStorageKind::Registry, ProgramPath); }).ErrorCode(),
        17);
    EXPECT_EQ(Port.StopBits(), TStopBits::sbTwoStopBits);
    Put("DataBits", "7");
    Port.SetStoredGroups({TStoredGroup::Buffer});
    Put("Buffer.OutputSize", "2048");
    EXPECT_EQ(
        CaughtError([&] { Port.LoadSettings(TStorageKind::Registry, ProgramPath); }).ErrorCode(),
        17);
    EXPECT_EQ(
        CaughtError([&] { Port.LoadSettings(TStorageKind::IniFile, "port.ini"); }).ErrorCode(), 17);
}

TEST_F(ComStorageTest, LoadingIntoAnOpenPortProgramsItOnceAtTheEnd) {
    Put("Port", "COM2");
    Put("BaudRate", "57600");
    Put("Parity", "Odd");
    Put("DataBits", "7");
    Port.Open();
    Hardware.ClearCalls();
    Port.LoadSettings(TStorageKind::Registry, ProgramPath);
    EXPECT_THAT(Hardware.Calls(),
                ::testing::ElementsAre("PurgeComm 3", "SetCommMask 0x0", "PurgeComm 12", "Close",
                                       "Open COM2", "SetCommMask 0x5FF", "GetCommModemStatus",
                                       "SetupComm 1024 1024", "SetCommState", "SetCommTimeouts"));
    const TDeviceControlBlock dcb = Hardware.States().back();
    EXPECT_EQ(dcb.BaudRate, 57600u);
    EXPECT_EQ(dcb.Parity, 1);
    EXPECT_EQ(dcb.ByteSize, 7);
    Port.Close();
}

} // namespace
} // namespace kestrune::test
