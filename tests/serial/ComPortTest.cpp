#include "serial/ComPortFixture.h"

#include <cerrno>

namespace kestrune::test {
namespace {

using ::testing::ElementsAre;

class ComPortTest : public ComPortFixture {};

TEST_F(ComPortTest, OpenProgramsTheDeviceInOrderAndCloseUndoesIt) {
    std::vector<std::string> hooks;
    Port.OnBeforeOpen = [&] { hooks.push_back("before open"); };
    Port.OnAfterOpen = [&] { hooks.push_back("after open"); };
    Port.OnCTSChange = [&](bool on) { hooks.push_back(on ? "CTS on" : "CTS off"); };
    Port.OnDSRChange = [&](bool on) { hooks.push_back(on ? "DSR on" : "DSR off"); };
    Port.OnRLSDChange = [&](bool on) { hooks.push_back(on ? "RLSD on" : "RLSD off"); };
    Port.OnBeforeClose = [&] { hooks.push_back("before close"); };
    Port.OnAfterClose = [&] { hooks.push_back("after close"); };
    Hardware.SetModemStatus(comm::MsCtsOn | comm::MsRlsdOn);

    Port.Open();
    EXPECT_TRUE(Port.Connected());
    EXPECT_THAT(Hardware.Calls(),
                ElementsAre("Open COM1", "SetupComm 1024 1024", "SetCommState", "SetCommTimeouts",
                            "SetCommMask 0x5FF", "GetCommModemStatus"));
    const TCommTimeouts timeouts = Hardware.LastTimeouts();
    EXPECT_EQ(timeouts.ReadIntervalTimeout, 0xFFFFFFFFu);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 0u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 100u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 1000u);

    Hardware.ClearCalls();
    Port.Close();
    EXPECT_FALSE(Port.Connected());
    EXPECT_FALSE(Hardware.DeviceOpen());
    EXPECT_THAT(Hardware.Calls(),
                ElementsAre("PurgeComm 3", "SetCommMask 0x0", "PurgeComm 12", "Close"));
    EXPECT_THAT(hooks,
                ElementsAre("before open", "after open", "CTS on", "DSR off", "RLSD on", "CTS off",
                            "DSR off", "RLSD off", "before close", "after close"));
}

TEST_F(ComPortTest, OpenWhileOpenAndCloseWhileClosedDoNothing) {
    Port.Close();
    EXPECT_TRUE(Hardware.Calls().empty());
    Port.Open();
    Hardware.ClearCalls();
    Port.Open();
    EXPECT_TRUE(Hardware.Calls().empty());
}

TEST_F(ComPortTest, LineSettingsBecomeTheDeviceControlBlock) {
    Port.SetBaudRate(TBaudRate::br1200);
    Port.Open();
    TDeviceControlBlock expected;
    expected.DCBlength = 28;
    expected.BaudRate = 1200;
    expected.fBinary = true;
    expected.XonLim = 256;
    expected.XoffLim = 256;
    expected.ByteSize = 8;
    expected.XonChar = 17;
    expected.XoffChar = 19;
    EXPECT_THAT(Hardware.States(), ElementsAre(expected));

    Port.Close();
    Hardware.ClearCalls();
    Port.SetBaudRate(TBaudRate::brCustom);
    Port.SetCustomBaudRate(250000);
    Port.SetDataBits(TDataBits::dbSeven);
    Port.SetStopBits(TStopBits::sbTwoStopBits);
    Port.SetEventChar('\n');
    Port.SetDiscardNull(true);
    Port.Parity().SetBits(TParityBits::prMark);
    Port.Parity().SetCheck(true);
    Port.Parity().SetReplace(true);
    Port.Parity().SetReplaceChar('?');
    Port.FlowControl().SetFlowControl(TFlowControl::fcHardware);
    Port.FlowControl().SetOutDSRFlow(true);
    Port.FlowControl().SetControlDTR(TDTRFlowControl::dtrEnable);
    Port.FlowControl().SetDSRSensitivity(true);
    Port.FlowControl().SetTxContinueOnXoff(true);
    Port.FlowControl().SetXonChar('Q');
    Port.FlowControl().SetXoffChar('S');
    Port.Buffer().SetInputSize(4098);
    EXPECT_TRUE(Hardware.Calls().empty()) << "nothing reaches a closed device";
    Port.Open();

    expected.BaudRate = 250000;
    expected.ByteSize = 7;
    expected.StopBits = 2;
    expected.EvtChar = '\n';
    expected.fNull = true;
    expected.Parity = 3;
    expected.fParity = true;
    expected.fErrorChar = true;
    expected.ErrorChar = '?';
    expected.fRtsControl = 2;
    expected.fOutxCtsFlow = true;
    expected.fOutxDsrFlow = true;
    expected.fDtrControl = 1;
    expected.fDsrSensitivity = true;
    expected.fTXContinueOnXoff = true;
    expected.XonChar = 'Q';
    expected.XoffChar = 'S';
    expected.XonLim = 1024;
    expected.XoffLim = 1024;
    EXPECT_THAT(Hardware.States(), ElementsAre(expected));
}

TEST_F(ComPortTest, ReplaceCharGoesOutOnlyWithParityChecking) {
    Port.Parity().SetReplace(true);
    Port.Parity().SetReplaceChar('?');
    Port.Open();
    EXPECT_FALSE(Hardware.States().back().fErrorChar);
    EXPECT_EQ(Hardware.States().back().ErrorChar, 0);
    Port.Parity().SetCheck(true);
    EXPECT_TRUE(Hardware.States().back().fErrorChar);
    EXPECT_EQ(Hardware.States().back().ErrorChar, '?');
}

TEST_F(ComPortTest, EachChangeWhileOpenReappliesOnlyItsGroup) {
    Port.Open();
    Hardware.ClearCalls();
    Port.SetDataBits(TDataBits::dbSeven);
    Port.SetDataBits(TDataBits::dbSeven);
    Port.Timeouts().SetWriteTotalConstant(50);
    Port.Timeouts().SetWriteTotalConstant(50);
    Port.Buffer().SetOutputSize(2048);
    Port.SetEvents(TComEvents{TComEvent::evRxChar});
    EXPECT_THAT(Hardware.Calls(),
                ElementsAre("SetCommState", "SetCommTimeouts", "SetupComm 1024 2048"));
    EXPECT_EQ(Hardware.LastTimeouts().WriteTotalTimeoutConstant, 50u);

    // Events take effect at the next open.
    Port.Close();
    Port.Open();
    EXPECT_EQ(Hardware.CountOf("SetCommMask 0x1"), 1);
}

TEST_F(ComPortTest, ChangesInsideAnUpdateReachTheDeviceOnceAtTheEnd) {
    Port.Open();
    Hardware.ClearCalls();
    Port.BeginUpdate();
    Port.BeginUpdate();
    Port.SetBaudRate(TBaudRate::br115200);
    Port.Parity().SetBits(TParityBits::prEven);
    Port.FlowControl().SetFlowControl(TFlowControl::fcSoftware);
    Port.Timeouts().SetReadInterval(5);
    Port.EndUpdate();
    EXPECT_TRUE(Hardware.Calls().empty());
    Port.EndUpdate();
    EXPECT_THAT(Hardware.Calls(),
                ElementsAre("SetupComm 1024 1024", "SetCommState", "SetCommTimeouts"));
    const TDeviceControlBlock dcb = Hardware.States().back();
    EXPECT_EQ(dcb.BaudRate, 115200u);
    EXPECT_EQ(dcb.Parity, 2);
    EXPECT_TRUE(dcb.fOutX && dcb.fInX);

    // An EndUpdate without a batch does nothing.
    Hardware.ClearCalls();
    Port.EndUpdate();
    EXPECT_TRUE(Hardware.Calls().empty());
}

TEST_F(ComPortTest, FlowControlPreset) {
    TComFlowControl& flow = Port.FlowControl();
    EXPECT_EQ(flow.FlowControl(), TFlowControl::fcNone);
    flow.SetControlRTS(TRTSFlowControl::rtsEnable);
    EXPECT_EQ(flow.FlowControl(), TFlowControl::fcCustom);

    flow.SetFlowControl(TFlowControl::fcHardware);
    EXPECT_EQ(flow.ControlRTS(), TRTSFlowControl::rtsHandshake);
    EXPECT_TRUE(flow.OutCTSFlow());
    EXPECT_EQ(flow.FlowControl(), TFlowControl::fcHardware);
    // DSR flow and DTR control take no part.
    flow.SetOutDSRFlow(true);
    flow.SetControlDTR(TDTRFlowControl::dtrHandshake);
    EXPECT_EQ(flow.FlowControl(), TFlowControl::fcHardware);

    flow.SetFlowControl(TFlowControl::fcSoftware);
    EXPECT_EQ(flow.ControlRTS(), TRTSFlowControl::rtsDisable);
    EXPECT_FALSE(flow.OutCTSFlow());
    EXPECT_TRUE(flow.XonXoffIn() && flow.XonXoffOut());
    EXPECT_EQ(flow.FlowControl(), TFlowControl::fcSoftware);
    flow.SetXonXoffIn(false);
    EXPECT_EQ(flow.FlowControl(), TFlowControl::fcCustom);

    flow.SetFlowControl(TFlowControl::fcCustom);
    EXPECT_FALSE(flow.XonXoffIn());
    EXPECT_TRUE(flow.XonXoffOut());
    EXPECT_TRUE(flow.OutDSRFlow());

    flow.SetFlowControl(TFlowControl::fcNone);
    EXPECT_EQ(flow.FlowControl(), TFlowControl::fcNone);
    EXPECT_TRUE(flow.OutDSRFlow());

    // Even the custom preset re-applies the line settings.
    Port.Open();
    Hardware.ClearCalls();
    flow.SetFlowControl(TFlowControl::fcCustom);
    EXPECT_EQ(Hardware.CountOf("SetCommState"), 1);
}

TEST_F(ComPortTest, AssigningAWholeObjectReappliesItsGroupOnce) {
    Port.Open();
    Hardware.ClearCalls();
    TComParity parity;
    parity.SetBits(TParityBits::prOdd);
    parity.SetCheck(true);
    Port.Parity().Assign(parity);
    TComTimeouts timeouts;
    timeouts.SetReadInterval(10);
    timeouts.SetWriteTotalConstant(20);
    Port.Timeouts().Assign(timeouts);
    TComBuffer buffer;
    buffer.SetInputSize(513);
    Port.Buffer().Assign(buffer);
    TComFlowControl flow;
    flow.SetFlowControl(TFlowControl::fcHardware);
    Port.FlowControl().Assign(flow);
    EXPECT_THAT(Hardware.Calls(), ElementsAre("SetCommState", "SetCommTimeouts",
                                              "SetupComm 512 1024", "SetCommState"));
    EXPECT_EQ(Port.Parity().Bits(), TParityBits::prOdd);
    EXPECT_EQ(Port.Timeouts().WriteTotalConstant(), 20);
    EXPECT_EQ(Port.FlowControl().FlowControl(), TFlowControl::fcHardware);
}

TEST_F(ComPortTest, OddBufferSizesAreLoweredByOne) {
    Port.Buffer().SetInputSize(1025);
    EXPECT_EQ(Port.Buffer().InputSize(), 1024);
    Port.Buffer().SetOutputSize(1);
    EXPECT_EQ(Port.Buffer().OutputSize(), 0);
    Port.Buffer().SetInputSize(-3);
    EXPECT_EQ(Port.Buffer().InputSize(), -3);
    Port.Buffer().SetInputSize(1025);
    Port.Open();
    EXPECT_EQ(Hardware.States().back().XonLim, 256);
    EXPECT_EQ(Hardware.States().back().XoffLim, 256);
    Hardware.ClearCalls();
    // 1025 is 1024 already: no change, nothing applied.
    Port.Buffer().SetInputSize(1025);
    EXPECT_TRUE(Hardware.Calls().empty());
}

TEST_F(ComPortTest, OpenFailuresLeaveThePortClosed) {
    Port.SetPort("COM9");
    {
        const EComPort e = CaughtError([&] { Port.Open(); });
        EXPECT_STREQ(e.what(), "COM Port Error: Unable to open com port on COM9");
        EXPECT_EQ(e.ErrorCode(), 1);
        EXPECT_EQ(e.SystemError(), ENOENT);
    }
    EXPECT_FALSE(Port.Connected());
    EXPECT_THAT(Trace.Lines, ElementsAre("CreateFile COM9"));

    Port.SetPort("");
    {
        const EComPort e = CaughtError([&] { Port.Open(); });
        EXPECT_STREQ(e.what(), "COM Port Error: Unable to open com port on ");
    }

    Port.SetPort("COM1");
    Hardware.FailCall("SetCommState", EINVAL);
    {
        const EComPort e = CaughtError([&] { Port.Open(); });
        EXPECT_EQ(e.ErrorCode(), 7);
        EXPECT_EQ(e.SystemError(), EINVAL);
        EXPECT_STREQ(e.what(), "COM Port Error: SetCommState function failed on COM1");
    }
    EXPECT_FALSE(Port.Connected());
    EXPECT_FALSE(Hardware.DeviceOpen());
    EXPECT_EQ(Hardware.CountOf("SetCommMask"), 0) << "no thread after a failed open";
}

TEST_F(ComPortTest, EveryApplyStepReportsItsOwnCode) {
    Hardware.FailCall("SetupComm", EIO);
    EXPECT_EQ(CaughtError([&] { Port.Open(); }).ErrorCode(), 9);
    Hardware.FailCall("SetupComm", 0);
    Hardware.FailCall("SetCommTimeouts", EIO);
    EXPECT_EQ(CaughtError([&] { Port.Open(); }).ErrorCode(), 8);
    EXPECT_FALSE(Port.Connected());
}

TEST_F(ComPortTest, AFailedModemStatusAfterOpeningLeavesThePortOpen) {
    Hardware.FailCall("GetCommModemStatus", EIO);
    {
        const EComPort e = CaughtError([&] { Port.Open(); });
        EXPECT_EQ(e.ErrorCode(), 11);
    }
    EXPECT_TRUE(Port.Connected());
    Port.Close();
    EXPECT_FALSE(Hardware.DeviceOpen());
}

TEST_F(ComPortTest, AFailedReapplyKeepsTheNewValueAndThePortOpen) {
    Port.Open();
    Hardware.FailCall("SetCommState", EINVAL);
    EXPECT_THROW(Port.SetStopBits(TStopBits::sbOne5StopBits), EComPort);
    EXPECT_EQ(Port.StopBits(), TStopBits::sbOne5StopBits);
    EXPECT_TRUE(Port.Connected());
}

TEST_F(ComPortTest, AFailedCancelKeepsThePortOpen) {
    Port.Open();
    Hardware.FailCall("PurgeComm", EIO);
    {
        const EComPort e = CaughtError([&] { Port.Close(); });
        EXPECT_EQ(e.ErrorCode(), 5);
    }
    EXPECT_TRUE(Port.Connected());
    EXPECT_TRUE(Hardware.DeviceOpen());
    Hardware.FailCall("PurgeComm", 0);
    Port.Close();
    EXPECT_FALSE(Port.Connected());
}

TEST_F(ComPortTest, WriteStrSendsTheBytesAndTraces) {
    Port.Open();
    EXPECT_EQ(Port.WriteStr(std::string("F0\0\xFF", 4)), 4);
    EXPECT_EQ(Hardware.Written(), std::string("F0\0\xFF", 4));
    EXPECT_EQ(Port.WriteStr(""), 0);
    EXPECT_EQ(Hardware.CountOf("WriteFile"), 1);
    EXPECT_THAT(Trace.Lines, ElementsAre("TCustomComPort.WriteStr", "TCustomComPort.WriteStr"));

    // A timed-out write answers with what went out.
    Hardware.SetWriteLimit(3);
    EXPECT_EQ(Port.WriteStr("ABCDEF"), 3);

    Hardware.FailCall("WriteFile", EIO);
    {
        const EComPort e = CaughtError([&] { Port.WriteStr("S"); });
        EXPECT_STREQ(e.what(), "COM Port Error: WriteFile function failed on COM1");
        EXPECT_EQ(e.SystemError(), EIO);
    }
}

TEST_F(ComPortTest, WriteAndRtsOnAClosedPortFailCleanly) {
    {
        const EComPort e = CaughtError([&] { Port.WriteStr("S"); });
        EXPECT_EQ(e.ErrorCode(), 2);
    }
    {
        const EComPort e = CaughtError([&] { Port.SetRTSLine(true); });
        EXPECT_EQ(e.ErrorCode(), 12);
    }
}

TEST_F(ComPortTest, RtsLineFollowsEveryCallAndLeavesTheControlSetting) {
    Port.Open();
    Hardware.ClearCalls();
    Port.SetRTSLine(true);
    Port.SetRTSLine(true);
    Port.SetRTSLine(false);
    EXPECT_THAT(Hardware.Calls(),
                ElementsAre("EscapeCommFunction SetRts", "EscapeCommFunction SetRts",
                            "EscapeCommFunction ClrRts"));
    EXPECT_EQ(Port.FlowControl().ControlRTS(), TRTSFlowControl::rtsDisable);
    Hardware.FailCall("EscapeCommFunction", ENXIO);
    {
        const EComPort e = CaughtError([&] { Port.SetRTSLine(false); });
        EXPECT_STREQ(e.what(), "COM Port Error: EscapeCommFunction function failed on COM1");
        EXPECT_EQ(e.SystemError(), ENXIO);
    }
}

TEST_F(ComPortTest, SyncMethodIsRefusedWhileOpen) {
    Port.SetSyncMethod(TSyncMethod::smNone);
    EXPECT_EQ(Port.SyncMethod(), TSyncMethod::smNone);
    Port.Open();
    {
        const EComPort e = CaughtError([&] { Port.SetSyncMethod(TSyncMethod::smThreadSync); });
        EXPECT_EQ(e.ErrorCode(), 14);
        EXPECT_STREQ(e.what(), "COM Port Error: Cannot set property while connected");
        EXPECT_EQ(e.SystemError(), -1);
    }
    EXPECT_EQ(Port.SyncMethod(), TSyncMethod::smNone);
}

TEST_F(ComPortTest, PortNameChangeReopensAnOpenPort) {
    Port.Open();
    Hardware.ClearCalls();
    Port.SetPort("COM1");
    EXPECT_TRUE(Hardware.Calls().empty());
    Port.SetPort("COM2");
    EXPECT_TRUE(Port.Connected());
    EXPECT_EQ(Hardware.CountOf("Close"), 1);
    EXPECT_EQ(Hardware.CountOf("Open COM2"), 1);

    // A name that cannot be opened leaves the port closed with the new name.
    EXPECT_THROW(Port.SetPort("com2"), EComPort);
    EXPECT_FALSE(Port.Connected());
    EXPECT_EQ(Port.Port(), "com2");
}

TEST_F(ComPortTest, ConnectedWhileLoadingIsActedOnWhenLoaded) {
    Port.BeginLoading();
    Port.SetConnected(true);
    Port.SetBaudRate(TBaudRate::br1200);
    EXPECT_FALSE(Port.Connected());
    EXPECT_TRUE(Hardware.Calls().empty());
    Port.Loaded();
    EXPECT_TRUE(Port.Connected());
    EXPECT_EQ(Hardware.States().back().BaudRate, 1200u);

    Port.SetConnected(false);
    EXPECT_FALSE(Port.Connected());

    // Nothing is applied while loading, not even to an open port.
    Port.Open();
    Hardware.ClearCalls();
    Port.BeginLoading();
    Port.SetPort("COM2");
    Port.Parity().SetBits(TParityBits::prOdd);
    EXPECT_TRUE(Hardware.Calls().empty());
    Port.Loaded();
    EXPECT_TRUE(Hardware.Calls().empty());
}

TEST_F(ComPortTest, DestroyingAnOpenPortClosesItsDevice) {
    {
        TComPort port("Other", {Hardware, Dispatcher, Trace, Registry});
        port.Open();
        Hardware.FailCall("PurgeComm", EIO);
    }
    EXPECT_FALSE(Hardware.DeviceOpen());
}

} // namespace
} // namespace kestrune::test
