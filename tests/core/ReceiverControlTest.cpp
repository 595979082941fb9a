#include "core/ReceiverControl.h"

#include "core/RigctlTuner.h"
#include "core/TrackingString.h"
#include "support/FakeClock.h"
#include "support/FakeReceiver.h"
#include "support/FakeRigTransport.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

using TWrites = std::vector<std::string>;

class ReceiverControlTest : public ::testing::Test {
protected:
    const TDateTime Origin = EncodeDateTime(2025, 5, 28, 9);
    test::TFakeClock Clock{Origin};
    test::TFakeSleeper Sleeper{Clock};
    TLocaleInfo Locale;
    test::TFakeReceiverView Window;
    test::TFakePort Port{Clock, Origin};
    TReceiverControl Receiver{Window, Port, Sleeper, Locale};
};

TEST_F(ReceiverControlTest, R139ChannelThenScan) {
    Window.RxType = RxR139;
    Receiver.SetChannelIndex(4);
    EXPECT_EQ(Port.Writes(), TWrites{"F3"});
    EXPECT_EQ(Window.Caption, "RX channel 3");
    EXPECT_EQ(Receiver.ChannelFrequencyHz(), 137'500'000);
    Receiver.SetChannelIndex(0);
    EXPECT_EQ(Port.Writes(), (TWrites{"F3", "FS"}));
    EXPECT_EQ(Window.Caption, "RX scanning...");
    EXPECT_EQ(Receiver.ItemText(0), "Scan");
    // Item 0 leaves the frequency as it was.
    EXPECT_EQ(Receiver.ChannelFrequencyHz(), 137'500'000);
    EXPECT_EQ(Receiver.Hint(), "Select an RX channel");
}

TEST_F(ReceiverControlTest, UncheckingScanGoesToStandby) {
    Window.RxType = RxRx2;
    Window.Scan = false;
    Receiver.RadioGroupChannelClick(); // the check box's click
    EXPECT_EQ(Port.Writes(), TWrites{"F0"});
    EXPECT_EQ(Window.Caption, "RX standby");
    EXPECT_EQ(Receiver.ItemText(0), "Standby");
    EXPECT_EQ(Receiver.Hint(), "Select an RX channel\rStandby is channel 0");
    // R2FX takes the standby command in one write as well.
    Window.RxType = RxR2fx;
    Receiver.RadioGroupChannelClick();
    EXPECT_EQ(Port.Writes(), (TWrites{"F0", "F0"}));
}

TEST_F(ReceiverControlTest, DdeAndNoTypeOnlyChangeTheHintAndFrequency) {
    Window.Caption = "before";
    Window.Scan = false;
    for (int type : {int{RxDde}, -1}) {
        Window.RxType = type;
        Receiver.RadioGroupChannelClick();
        EXPECT_EQ(Receiver.ItemText(0), "Scan");
        EXPECT_EQ(Receiver.Hint(), "Select an RX channel\rStandby is channel 0");
        Receiver.SetChannelIndex(6);
        EXPECT_EQ(Receiver.ChannelFrequencyHz(), 137'910'000);
        Receiver.SetChannelIndex(0);
    }
    EXPECT_TRUE(Port.Writes().empty());
    EXPECT_EQ(Window.Caption, "before");
}

TEST_F(ReceiverControlTest, R2fxSendsOneCharacterEvery250Ms) {
    Window.RxType = RxR2fx;
    Receiver.SetChannelIndex(10); // channel 9, 137.85 MHz
    EXPECT_EQ(Window.Caption, "R2FX  137.85MHz");
    EXPECT_EQ(Port.Writes(), (TWrites{"C", "0", "3", "7", "8"}));
    for (std::size_t i = 0; i < Port.Events.size(); ++i)
        EXPECT_EQ(Port.Events[i].AtMs, 250 * static_cast<long long>(i));
    EXPECT_EQ(Port.NowMs(), 1250); // the last character is followed by its pause too
    // Channel 8 sends the same five bytes.
    Receiver.SetChannelIndex(9);
    const TWrites writes = Port.Writes();
    ASSERT_EQ(writes.size(), 10u);
    EXPECT_EQ(TWrites(writes.begin() + 5, writes.end()), (TWrites{"C", "0", "3", "7", "8"}));
}

TEST_F(ReceiverControlTest, SelectingAnItemRunsTheHandlerOnChangeAndOnceMore) {
    Window.RxType = RxRx2;
    Receiver.SelectChannelItem(1);
    EXPECT_EQ(Port.Writes(), (TWrites{"F0", "F0"}));
    Receiver.SelectChannelItem(1);
    EXPECT_EQ(Port.Writes(), (TWrites{"F0", "F0", "F0"}));
    EXPECT_THROW(Receiver.SetChannelIndex(11), std::out_of_range);
}

TEST_F(ReceiverControlTest, AClosedPortDropsCommandsButTheDisplayFollows) {
    Window.RxType = RxR139;
    Port.Open = false;
    Receiver.SetChannelIndex(4);
    EXPECT_TRUE(Port.Events.empty());
    EXPECT_EQ(Window.Caption, "RX channel 3");
    EXPECT_EQ(Receiver.ChannelFrequencyHz(), 137'500'000);
    Window.RxType = RxR2fx;
    Receiver.SetChannelIndex(5);
    EXPECT_EQ(Port.NowMs(), 0); // no sleeping either
}

TEST_F(ReceiverControlTest, AFailedWriteSkipsTheRestOfItsBlockOnly) {
    Window.RxType = RxRx2;
    Window.Caption = "before";
    Port.FailWritesFrom = 0;
    Receiver.SetChannelIndex(3);
    EXPECT_EQ(Window.Caption, "before");
    EXPECT_EQ(Receiver.ChannelFrequencyHz(), 137'400'000); // stored before the write
    Window.Scan = false;
    Receiver.SetChannelIndex(0);
    EXPECT_EQ(Receiver.ItemText(0), "Scan"); // "F0" failed: no "Standby"
    EXPECT_EQ(Receiver.Hint(), "Select an RX channel\rStandby is channel 0");
    // R2FX: characters before the failure stay written, the rest are not sent.
    Window.RxType = RxR2fx;
    Port.FailWritesFrom = 2;
    Receiver.SetChannelIndex(5);
    EXPECT_EQ(Port.Writes(), (TWrites{"C", "0"}));
    EXPECT_EQ(Window.Caption, "R2FX  137.62MHz");
}

TEST_F(ReceiverControlTest, FrequenciesIgnoreTheUsersDecimalSeparator) {
    Locale.DecimalSeparator = ',';
    Receiver.SetChannelIndex(1);
    EXPECT_EQ(Receiver.ChannelFrequencyHz(), 137'200'000);
}

TEST_F(ReceiverControlTest, ChangingTheTypeSaysWhatToSetUpUnlessDde) {
    Window.RxType = RxR139;
    Receiver.ComboBoxRxTypeChange();
    Window.RxType = RxDde;
    Receiver.ComboBoxRxTypeChange();
    Window.RxType = RxRigctl;
    Receiver.ComboBoxRxTypeChange();
    Window.RxType = -1; // low byte 255: a serial type
    Receiver.ComboBoxRxTypeChange();
    EXPECT_EQ(Window.Messages,
              (TWrites{"Please set up the COM port, and restart the program.",
                       "Please set up \"RigctlAddress\" (the rig-control server's host:port; "
                       "127.0.0.1:4532 when it is empty), and restart the program.",
                       "Please set up the COM port, and restart the program."}));
}

// Type rigctl tunes the SDR program by frequency where the serial types send their commands.
class RigctlReceiverTest : public ReceiverControlTest {
protected:
    test::TFakeRigTransport Transport;
    test::TFakeMonotonicClock Monotonic;
    TWrites Warnings, Notices;
    TRigctlTuner Tuner{Transport, Monotonic,
                       [this](const std::string& text) { Warnings.push_back(text); },
                       [this](const std::string& text) { Notices.push_back(text); }};

    void SetUp() override {
        Window.RxType = RxRigctl;
        Receiver.SetRig(&Tuner);
    }
};

TEST_F(RigctlReceiverTest, AChannelIsTunedByFrequencyAndModeScanSendsNothing) {
    Receiver.SetChannelIndex(6);
    EXPECT_EQ(Transport.Sent, (TWrites{"F 137910000", "M FM 40000"}));
    EXPECT_EQ(Transport.LastTimeoutMs, RigctlTimeoutMs);
    EXPECT_EQ(Window.Caption, "RX channel 5");
    EXPECT_EQ(Receiver.ChannelFrequencyHz(), 137'910'000);

    Transport.Sent.clear();
    Receiver.SetChannelIndex(0);
    Window.Scan = false;
    Receiver.RadioGroupChannelClick();
    EXPECT_TRUE(Transport.Sent.empty());
    EXPECT_TRUE(Port.Events.empty()) << "nothing goes to the serial port";
    EXPECT_EQ(Receiver.ItemText(0), "Scan") << "no standby for an SDR program";
    EXPECT_EQ(Window.Caption, "RX channel 5");

    // The sequencer's selection runs the handler twice: tuned twice.
    Receiver.SelectChannelItem(2);
    EXPECT_EQ(Transport.Sent, (TWrites{"F 137100000", "M FM 40000", "F 137100000", "M FM 40000"}));
}

// A satellite's own frequency: the rig is tuned to it with its mode and passband; a serial
// receiver takes the channel within its passband of it, or scans and is warned once; every type
// publishes the satellite's frequency until the next item is selected.
TEST_F(RigctlReceiverTest, OwnFrequencyTunesTheRigOrPicksTheNearChannel) {
    const TTuning meteor{137'900'000, "FM", 120'000};
    Receiver.SelectSatelliteFrequency(meteor, "METEOR-M2 3");
    EXPECT_EQ(Transport.Sent, (TWrites{"F 137900000", "M FM 120000"}));
    EXPECT_EQ(Window.Caption, "RX 137.900 MHz");
    EXPECT_EQ(Receiver.ChannelIndex(), 0);
    EXPECT_EQ(Receiver.ChannelFrequencyHz(), 137'900'000);
    // The scan box's click during the pass keeps the satellite's frequency.
    Transport.Sent.clear();
    Receiver.RadioGroupChannelClick();
    EXPECT_EQ(Transport.Sent, (TWrites{"F 137900000", "M FM 120000"}));
    // Standby at the end of the pass leaves the rig where it is.
    Transport.Sent.clear();
    Receiver.SelectChannelItem(1);
    EXPECT_TRUE(Transport.Sent.empty());

    Window.RxType = RxRx2;
    Receiver.SelectSatelliteFrequency(meteor, "METEOR-M2 3");
    // As for the sequencer's every selection, the handler runs twice.
    EXPECT_EQ(Port.Writes(), (TWrites{"F5", "F5"})) << "137.91 MHz is 10 kHz off";
    EXPECT_EQ(Window.Caption, "RX channel 5");
    EXPECT_EQ(Receiver.ChannelFrequencyHz(), 137'900'000);
    Receiver.SelectChannelItem(1);
    const TTuning far{137'950'000, "FM", 120'000};
    for (int pass = 0; pass < 2; ++pass) {
        Receiver.SelectSatelliteFrequency(far, "METEOR-M2 4");
        EXPECT_EQ(Receiver.ChannelIndex(), 0);
        EXPECT_EQ(Receiver.ChannelFrequencyHz(), 137'950'000);
    }
    EXPECT_EQ(Port.Writes(), (TWrites{"F5", "F5", "F0", "F0", "S", "S", "S"}));
    EXPECT_EQ(Window.Warnings,
              TWrites{"METEOR-M2 4's frequency, 137.950 MHz, is not within 20 kHz of any channel "
                      "of the RX2: the receiver scans or stands by during its passes; give the "
                      "satellite a channel digit in \"SatChannels\" (the satellite grid's "
                      "channel column) or use a receiver type that tunes by frequency (rigctl)"});
    EXPECT_EQ(ChannelNear(137'620'000 + 20'000)->Number, 4);
    EXPECT_EQ(ChannelNear(137'620'000 - 20'001), nullptr);
    EXPECT_EQ(ChannelNear(137'830'000)->Number, 9) << "the nearer of 137.80 and 137.85";
}

TEST_F(RigctlReceiverTest, AFailureIsTriedAgainAtTheNextTickUntilTunedAndWarnedOncePerPass) {
    const std::string refused =
        "the rig-control server at 127.0.0.1:4532 cannot be reached: Connection refused";
    Transport.Failure = refused;
    Receiver.SelectChannelItem(2);
    EXPECT_EQ(Window.Caption, "");
    EXPECT_EQ(Receiver.ChannelFrequencyHz(), 137'100'000);
    EXPECT_EQ(Transport.Transactions, 1) << "the second run of the handler fails at once";
    Tuner.Service();
    EXPECT_EQ(Transport.Transactions, 1) << "not again in the same tick";

    // Each later tick tries again; the same failure is not warned again, another one is.
    for (int tick = 0; tick < 3; ++tick) {
        Monotonic.AdvanceSeconds(1);
        Tuner.Service();
    }
    EXPECT_EQ(Transport.Transactions, 4);
    Transport.Failure = "the rig-control server at 127.0.0.1:4532 did not answer within 500 ms";
    Monotonic.AdvanceSeconds(1);
    Tuner.Service();
    EXPECT_EQ(Warnings, (TWrites{refused, Transport.Failure}));
    Transport.Failure.clear();
    Monotonic.AdvanceSeconds(1);
    Tuner.Service();
    EXPECT_EQ(Transport.Sent, (TWrites{"F 137100000", "M FM 40000"}));
    EXPECT_EQ(Notices,
              TWrites{"the rig-control server at 127.0.0.1:4532 tuned the rig to 137100000 Hz"});
    Monotonic.AdvanceSeconds(1);
    Tuner.Service();
    EXPECT_EQ(Transport.Transactions, 6) << "tuned: not tried again";

    // The next pass, after standby, warns its failures afresh; standby after it leaves the rig
    // alone and gives up the tuning still failing.
    Transport.Failure = refused;
    Monotonic.AdvanceSeconds(1);
    Receiver.SelectChannelItem(1);
    Receiver.SelectChannelItem(3);
    Receiver.SelectChannelItem(1);
    for (int tick = 0; tick < 3; ++tick) {
        Monotonic.AdvanceSeconds(1);
        Tuner.Service();
    }
    EXPECT_EQ(Transport.Transactions, 7);
    EXPECT_EQ(Warnings, (TWrites{refused, Warnings[1], refused}));
}

TEST_F(RigctlReceiverTest, AServersAnswerIsShownEscapedAndShort) {
    const std::string prefix = "the rig-control server at 127.0.0.1:4532 answered \"";
    const std::string suffix = "\" to \"F 137620000\"";
    Transport.Answer = "\x1B]0;owned\x07RPRT -1\\\xC3\xA9";
    Receiver.SetChannelIndex(5);
    EXPECT_EQ(Warnings, TWrites{prefix + "\\x1B]0;owned\\x07RPRT -1\\\\\\xC3\\xA9" + suffix});
    EXPECT_EQ(Window.Caption, "") << "not tuned";

    Monotonic.AdvanceSeconds(1);
    Transport.Answer = std::string(5000, 'A');
    Receiver.RadioGroupChannelClick();
    EXPECT_EQ(Warnings.back(), prefix + std::string(RigctlAnswerShownBytes, 'A') + "..." + suffix);
}

TEST(TrackingString, HasTheFixedLayout) {
    EXPECT_EQ(TrackingString("", 0), "UP0 DN0 UMFM-W DMFM-W AZ000 EL000 SN");
    EXPECT_EQ(TrackingString("NOAA 15", 137.62 * 1'000'000),
              "UP0 DN137620000 UMFM-W DMFM-W AZ000 EL000 SNNOAA 15");
    EXPECT_EQ(TrackingString("X", 137.2 * 1'000'000),
              "UP0 DN137200000 UMFM-W DMFM-W AZ000 EL000 SNX");
}

TEST(TrackingString, DdeStartErrorsNameTheirCodeInHexadecimal) {
    EXPECT_EQ(DdeStartErrorText(0x4007), "Error occurred when DDE ran out of memory ($04007)");
    EXPECT_EQ(DdeStartErrorText(0x4008), "Error occurred when DDE ran out of memory ($04008)");
    EXPECT_EQ(DdeStartErrorText(0x400A), "DDE Error - conversation not established ($0400a)");
    EXPECT_EQ(DdeStartErrorText(0x4006), "An error returned from DDE  ($04006)");
}

} // namespace
} // namespace kestrune
