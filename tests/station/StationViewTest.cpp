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

TEST_F(StationViewTest, LogsChangesOnlyWithTheirTime) {
    View.SetCaption("RX scanning...");
    View.SetCaption("RX scanning...");
    View.SetTitle("Kestrune");
    View.SetStatusText("");
    View.SetStatusText("  Receiving X northbound,  5s left");
    View.SetNextPassLabel("Next pass: 10:42:02 UTC");
    View.SetUtcLabel("Dec 08, 05:50:01 UTC");
    View.SetTrackingText("UP0 DN0 UMFM-W DMFM-W AZ000 EL000 SN");
    EXPECT_EQ(Out,
              (std::vector<std::string>{
                  "2026-12-08T05:50:01.123Z caption: RX scanning...",
                  "2026-12-08T05:50:01.123Z title: Kestrune", "2026-12-08T05:50:01.123Z status: ",
                  "2026-12-08T05:50:01.123Z status:   Receiving X northbound,  5s left",
                  "2026-12-08T05:50:01.123Z next pass: Next pass: 10:42:02 UTC"}));
    EXPECT_TRUE(Err.empty());
}

TEST_F(StationViewTest, TheIdleBlinkIsOneLineAndOtherColoursEach) {
    for (TColor color : {ClYellow, ClGreen, ClLime, ClGreen, ClLime, ClAqua, ClLime, ClLime, ClAqua,
                         ClGreen, ClLime})
        View.SetLedColor(color);
    std::vector<std::string> colours;
    for (const std::string& line : Out)
        colours.push_back(line.substr(line.find("LED: ") + 5));
    EXPECT_EQ(colours,
              (std::vector<std::string>{"yellow", "green", "aqua", "lime", "aqua", "green"}));
}

TEST_F(StationViewTest, MessagesErrorsAndPassListsAreOneLineEach) {
    View.ShowMessage("Error connecting\r\rTry this.\r\rThe loader reported: x");
    View.ShowError("Error setting RTS");
    View.PassListBuilt({"20191224102345 N 45 123 726 NOAA 19", "20191224120000 S 5 1 600 NOAA 18"});
    EXPECT_EQ(Out, (std::vector<std::string>{
                       "2026-12-08T05:50:01.123Z message: Error connecting / Try this. / The "
                       "loader reported: x",
                       "2026-12-08T05:50:01.123Z error: Error setting RTS",
                       "2026-12-08T05:50:01.123Z pass list: 2 passes",
                       "2026-12-08T05:50:01.123Z pass: 2019/12/24 10:23:45 N NOAA 19",
                       "2026-12-08T05:50:01.123Z pass: 2019/12/24 12:00:00 S NOAA 18"}));
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
