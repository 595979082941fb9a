#include "station/StationView.h"

#include "station/StationLog.h"
#include "support/FakeClock.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace kestrune {
namespace {

class StationViewTest : public ::testing::Test {
protected:
    test::TFakeClock Clock{EncodeDateTime(2026, 12, 8, 5, 50, 1, 123)};
    TLocaleInfo Locale;
    std::vector<std::string> Out, Err;
    TStationLog Log{Clock, false, [this](const std::string& l) { Out.push_back(l); },
                    [this](const std::string& l) { Err.push_back(l); }};
    TStationView View{Locale,
                      [this](TLogLevel level, const std::string& text) { Log.Write(level, text); }};
};

TEST_F(StationViewTest, APassReadsAsEventsWithoutCaptionsOrLamp) {
    // What the window shows is not logged.
    View.SetCaption("RX scanning...");
    View.SetLedColor(ClLime);
    View.SetStatusText("  Receiving X northbound,  5s left");
    TStationStatus status;
    status.NextSatellite = "METEOR-M2 3";
    status.NextStart = EncodeDateTime(2026, 12, 8, 6, 0, 0, 0);
    const auto tick = [&](TSequencerState state, const std::string& satellite, int left,
                          std::optional<int> channel = std::nullopt) {
        status.State = state;
        status.Satellite = satellite;
        status.SecondsLeft = left;
        status.Channel = channel;
        if (channel)
            status.FrequencyHz = Channels[static_cast<std::size_t>(*channel)].FrequencyHz;
        View.StatusChanged(status);
    };
    tick(TSequencerState::Idle, "", 0);
    tick(TSequencerState::Idle, "", 0);
    tick(TSequencerState::PrePass, "METEOR-M2 3", 10, 0);
    for (int left = 9; left >= 0; --left)
        tick(TSequencerState::PrePass, "METEOR-M2 3", left, 0);
    tick(TSequencerState::Receiving, "METEOR-M2 3", 600, 5);
    tick(TSequencerState::Receiving, "METEOR-M2 3", 599, 5);
    tick(TSequencerState::PostPass, "", 10, 0);
    status.NextStart = FarFuture;
    tick(TSequencerState::Idle, "", 0);
    const std::string at = "2026-12-08T05:50:01.123Z ";
    EXPECT_EQ(Out, (std::vector<std::string>{
                       at + "idle: Next pass: METEOR-M2 3 at 2026-12-08T06:00:00Z",
                       at + "receiver: scanning",
                       at + "pass: METEOR-M2 3 due, pausing 10 s with the receiver in standby",
                       at + "receiver: channel 0, 137.20 MHz",
                       at + "pass: receiving METEOR-M2 3 for 600 s",
                       at + "receiver: channel 5, 137.91 MHz",
                       at + "pass: METEOR-M2 3 ended",
                       at + "receiver: channel 0, 137.20 MHz",
                       at + "idle: No pass in the list",
                       at + "receiver: scanning",
                   }));
    EXPECT_TRUE(Err.empty());
}

TEST_F(StationViewTest, MessagesErrorsAndPassListsAreOneLineEach) {
    View.ShowMessage("Error connecting\r\rTry this.\r\rThe loader reported: x");
    View.ShowError("Error setting RTS");
    View.PassListBuilt({ParsePassLine("20191224102345 N 45 123 726 NOAA 19"),
                        ParsePassLine("20191224120000 S 5 1 600 NOAA 18")});
    EXPECT_EQ(Out, (std::vector<std::string>{
                       "2026-12-08T05:50:01.123Z message: Error connecting / Try this. / The "
                       "loader reported: x",
                       "2026-12-08T05:50:01.123Z error: Error setting RTS",
                       "2026-12-08T05:50:01.123Z pass list: 2 passes, the first 2019/12/24 "
                       "10:23:45 N NOAA 19"}));
    EXPECT_EQ(Err, std::vector<std::string>{"2026-12-08T05:50:01.123Z error: Error setting RTS"});
}

TEST_F(StationViewTest, WarningsGoToStandardErrorNoticesOnlyToTheLog) {
    View.Warn(PortOpenAdvice("ttyUSB9", EACCES));
    View.Notice("the port ttyUSB9 is open again");
    const std::string warning =
        "2026-12-08T05:50:01.123Z warning: Error opening: ttyUSB9: Permission denied; the user "
        "must be in the device's group (dialout on Debian: sudo adduser $USER dialout, then log "
        "in again)";
    EXPECT_EQ(Out,
              (std::vector<std::string>{
                  warning, "2026-12-08T05:50:01.123Z notice: the port ttyUSB9 is open again"}));
    EXPECT_EQ(Err, std::vector<std::string>{warning});
    EXPECT_EQ(PortOpenAdvice("ttyUSB9", ENOENT),
              "Error opening: ttyUSB9: No such file or directory");
}

TEST_F(StationViewTest, AFailingBuildRetriedLogsEachDistinctErrorOnce) {
    View.ShowError("Cannot create file \"/x/Schedule.txt\". Permission denied");
    View.SetRepeatErrorsQuietly(true);
    View.ShowError("Cannot create file \"/x/Schedule.txt\". Permission denied");
    View.ShowError("No element sets");
    View.ShowError("No element sets");
    View.SetRepeatErrorsQuietly(false);
    View.ShowError("No element sets");
    EXPECT_EQ(Err, (std::vector<std::string>{
                       "2026-12-08T05:50:01.123Z error: Cannot create file \"/x/Schedule.txt\". "
                       "Permission denied",
                       "2026-12-08T05:50:01.123Z error: No element sets",
                       "2026-12-08T05:50:01.123Z error: No element sets"}));
}

TEST_F(StationViewTest, KeepsTheTimerStateForTheLoop) {
    EXPECT_FALSE(View.TimerEnabled());
    EXPECT_EQ(View.TimerInterval(), 200);
    View.SetTimerEnabled(true);
    View.SetTimerInterval(1000);
    EXPECT_TRUE(View.TimerEnabled());
    EXPECT_EQ(View.TimerInterval(), 1000);
}

} // namespace
} // namespace kestrune
