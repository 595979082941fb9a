#include "serial/ComSetup.h"

#include "serial/ComPortFixture.h"
#include "settings/Registry.h"

#include <functional>

namespace kestrune::test {
namespace {

using ::testing::ElementsAre;

constexpr const char* SerialComm = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

// Plays the user: looks at the lists, picks items, answers OK or Cancel.
class TScriptedSetupView final : public IComSetupView {
public:
    bool ShowModal(TComSetupForm& form) override {
        ++Shown;
        for (TComComboBox* combo : form.Combos()) {
            Seen.push_back(combo->Text());
        }
        if (Pick) {
            Pick(form);
        }
        return Ok;
    }

    bool Ok = true;
    std::function<void(TComSetupForm&)> Pick;
    std::vector<std::string> Seen;
    int Shown = 0;
};

class ComSetupTest : public ComPortFixture {
protected:
    void SetPorts(const std::vector<std::string>& ports) {
        std::unique_ptr<IRegistryKey> key;
        ASSERT_EQ(Registry.CreateKey(TRootKey::LocalMachine, SerialComm, KeyAllAccess, key),
                  ErrorSuccess);
        int index = 0;
        for (const std::string& port : ports) {
            const std::string name = "\\Device\\Serial" + std::to_string(index++);
            ASSERT_EQ(key->SetValue(name, RegSz, Utf16Bytes(port)), ErrorSuccess);
        }
    }

    static void Pick(TComComboBox& combo, const std::string& text) {
        const auto& items = combo.Items();
        const auto found = std::find(items.begin(), items.end(), text);
        ASSERT_NE(found, items.end()) << text;
        combo.Change(static_cast<int>(found - items.begin()));
    }

    TScriptedSetupView View;
};

TEST_F(ComSetupTest, PortsAreListedSortedWithoutRegardToCase) {
    SetPorts({"COM2", "ttyUSB0", "COM10", "com3", "COM1", "ttyS0"});
    EXPECT_THAT(EnumComPorts(Registry),
                ElementsAre("COM1", "COM10", "COM2", "com3", "ttyS0", "ttyUSB0"));
}

TEST_F(ComSetupTest, AMissingOrUnreadablePortListIsARegistryError) {
    const EComPort missing = CaughtError([&] { EnumComPorts(Registry); });
    EXPECT_STREQ(missing.what(), "COM Port Error: Registry error on registry read");
    EXPECT_EQ(missing.ErrorCode(), 23);
    EXPECT_EQ(missing.SystemError(), ErrorFileNotFound);

    // A port name longer than the 256 bytes offered for the data.
    SetPorts({"COM1", std::string(200, 'x')});
    EXPECT_EQ(CaughtError([&] { EnumComPorts(Registry); }).SystemError(), ErrorMoreData);
}

TEST_F(ComSetupTest, AFailedPortListShowsNoDialogAndChangesNothing) {
    EXPECT_EQ(CaughtError([&] { Port.RunSetupDialog(View); }).ErrorCode(), 23);
    EXPECT_EQ(View.Shown, 0);
}

TEST_F(ComSetupTest, TheListsShowTheCurrentValues) {
    SetPorts({"COM1", "COM2"});
    Port.SetPort("com2");
    Port.SetBaudRate(TBaudRate::brCustom);
    Port.SetStopBits(TStopBits::sbOne5StopBits);
    Port.Parity().SetBits(TParityBits::prMark);
    Port.FlowControl().SetControlRTS(TRTSFlowControl::rtsEnable);
    View.Ok = false;
    Port.RunSetupDialog(View);
    EXPECT_THAT(View.Seen, ElementsAre("COM2", "Custom", "8", "1.5", "Mark", "Custom"));
}

TEST_F(ComSetupTest, CancelLeavesEverythingAsItWas) {
    SetPorts({"COM1", "COM2"});
    Port.Open();
    Hardware.ClearCalls();
    View.Ok = false;
    View.Pick = [](TComSetupForm& form) {
        Pick(form.Combo1, "COM2");
        Pick(form.Combo2, "300");
    };
    Port.RunSetupDialog(View);
    EXPECT_EQ(Port.Port(), "COM1");
    EXPECT_EQ(Port.BaudRate(), TBaudRate::br9600);
    EXPECT_TRUE(Hardware.Calls().empty());
}

TEST_F(ComSetupTest, OkWithoutPicksKeepsTheValuesButTakesTheListedPortName) {
    SetPorts({"COM1", "COM2"});
    Port.SetPort("com1");
    Port.SetBaudRate(TBaudRate::brCustom);
    Port.SetCustomBaudRate(31250);
    Port.FlowControl().SetControlRTS(TRTSFlowControl::rtsToggle);
    Port.FlowControl().SetXonXoffIn(true);
    Port.RunSetupDialog(View);
    EXPECT_EQ(Port.Port(), "COM1");
    EXPECT_EQ(Port.BaudRate(), TBaudRate::brCustom);
    EXPECT_EQ(Port.CustomBaudRate(), 31250);
    EXPECT_EQ(Port.FlowControl().ControlRTS(), TRTSFlowControl::rtsToggle);
    EXPECT_TRUE(Port.FlowControl().XonXoffIn());
}

TEST_F(ComSetupTest, APortNameMissingFromTheListIsKept) {
    SetPorts({"COM2"});
    Port.SetPort("ttyUSB0");
    Port.RunSetupDialog(View);
    EXPECT_EQ(View.Seen[0], "");
    EXPECT_EQ(Port.Port(), "ttyUSB0");
}

TEST_F(ComSetupTest, PicksReachAnOpenPortInOneGo) {
    SetPorts({"COM1", "COM2"});
    Port.Open();
    Hardware.ClearCalls();
    View.Pick = [](TComSetupForm& form) {
        Pick(form.Combo2, "4800");
        Pick(form.Combo3, "7");
        Pick(form.Combo4, "2");
        Pick(form.Combo5, "Even");
        Pick(form.Combo6, "Hardware");
    };
    Port.RunSetupDialog(View);
    EXPECT_THAT(Hardware.Calls(),
                ElementsAre("SetupComm 1024 1024", "SetCommState", "SetCommTimeouts"));
    const TDeviceControlBlock dcb = Hardware.States().back();
    EXPECT_EQ(dcb.BaudRate, 4800u);
    EXPECT_EQ(dcb.ByteSize, 7);
    EXPECT_EQ(dcb.StopBits, 2);
    EXPECT_EQ(dcb.Parity, 2);
    EXPECT_TRUE(dcb.fOutxCtsFlow);
    EXPECT_EQ(dcb.fRtsControl, 2);
}

TEST_F(ComSetupTest, AFailedReopenStillClosesTheUpdateBatch) {
    SetPorts({"COM1", "COM3"});
    Port.Open();
    View.Pick = [](TComSetupForm& form) {
        Pick(form.Combo1, "COM3");
        Pick(form.Combo2, "2400");
    };
    EXPECT_EQ(CaughtError([&] { Port.RunSetupDialog(View); }).ErrorCode(), 1);
    EXPECT_EQ(Port.Port(), "COM3");
    EXPECT_EQ(Port.BaudRate(), TBaudRate::br9600) << "the rest was not applied";
    // The batch is closed: a change on an open port goes straight to the device.
    Port.SetPort("COM1");
    Port.Open();
    Hardware.ClearCalls();
    Port.SetBaudRate(TBaudRate::br2400);
    EXPECT_EQ(Hardware.CountOf("SetCommState"), 1);
}

TEST_F(ComSetupTest, AComboBoxOnItsOwn) {
    TComComboBox combo(Registry);
    combo.SetComProperty(TComProperty::cpParity);
    EXPECT_THAT(combo.Items(), ElementsAre("None", "Odd", "Even", "Mark", "Space"));
    EXPECT_EQ(combo.Text(), "None") << "without a port the first item is selected";
    combo.SetText("space");
    EXPECT_EQ(combo.Text(), "Space");
    combo.SetText("Stripes");
    EXPECT_EQ(combo.Text(), "Space");

    combo.SetComPort(&Port);
    EXPECT_EQ(combo.Text(), "None");
    combo.SetAutoApply(true);
    combo.Change(2);
    EXPECT_EQ(Port.Parity().Bits(), TParityBits::prEven);
    EXPECT_EQ(combo.Select().Parity(), TParityBits::prEven);

    combo.SetComProperty(TComProperty::cpNone);
    EXPECT_TRUE(combo.Items().empty());
    EXPECT_EQ(combo.Text(), "");

    combo.SetComProperty(TComProperty::cpBaudRate);
    EXPECT_EQ(combo.Items().size(), 16u);
    EXPECT_EQ(combo.Items().front(), "Custom");
    EXPECT_EQ(combo.Text(), "9600");
}

TEST_F(ComSetupTest, AListForgetsAPortThatIsDestroyed) {
    TComComboBox combo(Registry);
    combo.SetComProperty(TComProperty::cpDataBits);
    {
        TComPort port("Other", {Hardware, Dispatcher, Trace, Registry});
        port.SetDataBits(TDataBits::dbSeven);
        combo.SetComPort(&port);
        EXPECT_EQ(combo.Text(), "7");
        // A list that goes first leaves nothing behind in the port.
        TComComboBox shortLived(Registry);
        shortLived.SetComPort(&port);
    }
    EXPECT_EQ(combo.ComPort(), nullptr);
    EXPECT_EQ(combo.Text(), "5");
    // Rebinding moves the list to the other port.
    combo.SetComPort(&Port);
    EXPECT_EQ(combo.Text(), "8");
}

} // namespace
} // namespace kestrune::test
