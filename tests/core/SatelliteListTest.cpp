#include "core/SatelliteList.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(SatelliteList, TheDefaultIsThreeQuotedEntriesWithUnderscores) {
    EXPECT_EQ(DefaultSatList(), "\"NOAA_19,N,720\",\"NOAA_18,N,720\",\"NOAA_15,S,720\"");
    EXPECT_EQ(SatelliteRowsFromSatList(ConvertOldSatList(DefaultSatList())),
              DefaultSatelliteRows());
}

TEST(SatelliteList, ConvertsTheOlderFlatLayout) {
    EXPECT_EQ(ConvertOldSatList("\"NOAA 19\",N,720,\"NOAA 15\",S,600"),
              "\"NOAA_19,N,720\",\"NOAA_15,S,600\"");
    // A seventh field is dropped.
    EXPECT_EQ(ConvertOldSatList("\"NOAA 19\",N,720,\"NOAA 15\",S,600,\"NOAA 18\""),
              "\"NOAA_19,N,720\",\"NOAA_15,S,600\"");
    // A current value without blanks in its names comes out unchanged.
    EXPECT_EQ(ConvertOldSatList("\"METEOR,B,600\",\"X,N,700\""), "\"METEOR,B,600\",\"X,N,700\"");
}

TEST(SatelliteList, RowsRoundTripThroughTheStoredValue) {
    const std::vector<TSatelliteRow> rows = {
        {"METEOR-M2 3", "B", "600"}, {"NOAA 19", " n ", " 720 "}, {"", "", ""}};
    const std::string value = SatListFromRows(rows);
    EXPECT_EQ(value, "\"METEOR-M2_3,B,600\",\"NOAA_19,n,720\",\",,\"");
    const std::vector<TSatelliteRow> back = SatelliteRowsFromSatList(value);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0], rows[0]);
    EXPECT_EQ(back[1], (TSatelliteRow{"NOAA 19", "n", "720"}));
    EXPECT_EQ(back[2], rows[2]);
    // Fields after the third are not kept; missing ones are empty.
    EXPECT_EQ(SatelliteRowsFromSatList("\"A,N,1,extra\",B"),
              (std::vector<TSatelliteRow>{{"A", "N", "1"}, {"B", "", ""}}));
}

TEST(SatelliteList, EditedCellsKeepOnlyWhatTheirMasksAllow) {
    EXPECT_EQ(AcceptCellText(DirectionColumn, "s"), "S");
    EXPECT_EQ(AcceptCellText(DirectionColumn, "B"), "B");
    for (const char* refused : {"", "SS", "1", " "})
        EXPECT_EQ(AcceptCellText(DirectionColumn, refused), std::nullopt) << refused;
    EXPECT_EQ(AcceptCellText(MinLengthColumn, "60"), "60");
    EXPECT_EQ(AcceptCellText(MinLengthColumn, "1200"), "1200");
    for (const char* refused : {"7", "12345", "7a", "", " 60"})
        EXPECT_EQ(AcceptCellText(MinLengthColumn, refused), std::nullopt) << refused;
}

TEST(SatelliteList, ChannelsLiveBesideTheListAndLeaveItAsAnOlderProgramReadsIt) {
    std::vector<TSatelliteRow> rows = {{"METEOR-M2 3", "B", "330", "5"},
                                       {"NOAA 19", "N", "720"},
                                       {"METEOR-M2 4", "B", "330", "1"}};
    const std::string channels = SatChannelsFromRows(rows);
    EXPECT_EQ(channels, "\"METEOR-M2_3,5\",\"METEOR-M2_4,1\"");
    // "SatList" is exactly what it was before channels existed.
    EXPECT_EQ(SatListFromRows(rows),
              "\"METEOR-M2_3,B,330\",\"NOAA_19,N,720\",\"METEOR-M2_4,B,330\"");
    std::vector<TSatelliteRow> back = SatelliteRowsFromSatList(SatListFromRows(rows));
    ApplySatChannels(back, channels + ",\"NOAA_19,x\",\"GONE,3\",junk");
    EXPECT_EQ(back, rows);
    EXPECT_EQ(AcceptCellText(ChannelColumn, "7"), "7");
    EXPECT_EQ(AcceptCellText(ChannelColumn, ""), "");
    EXPECT_EQ(AcceptCellText(ChannelColumn, "12"), std::nullopt);
    EXPECT_EQ(AcceptCellText(ChannelColumn, "a"), std::nullopt);
    EXPECT_EQ(LikelyChannel("METEOR-M2 3"), "137900000,FM,120000");
    EXPECT_EQ(LikelyChannel("meteor-m2-4"), "137900000,FM,120000");
    EXPECT_EQ(LikelyChannel("METEOR-M2 2"), "");
}

// A satellite's own frequency, mode and passband instead of a digit: stored as the operator
// writes it, shown in MHz, kept through an edit that leaves the frequency as it was.
TEST(SatelliteList, OwnFrequenciesBesideChannelDigits) {
    std::vector<TSatelliteRow> rows = {{"METEOR-M2 3", "B", "330", "137900000,FM,120000"},
                                       {"METEOR-M2 4", "B", "330", "137100000,usb"},
                                       {"NOAA 19", "N", "720", "1"},
                                       {"NOAA 15", "S", "720", "137620000"}};
    std::vector<TSatelliteRow> back = rows;
    const std::vector<std::string> ignored = ApplySatChannels(
        back, "\"METEOR-M2_3,137900000,FM,120000\",\"METEOR-M2_4,137100000,usb\",\"NOAA_19,1\","
              "\"NOAA_15,137620000\",\"NOAA_18,137.9\",\"NOAA_18,137900000,F M\","
              "\"NOAA_18,137900000,FM,wide\",\"NOAA_18,999999\"");
    EXPECT_EQ(back, rows);
    EXPECT_EQ(ignored, (std::vector<std::string>{"NOAA_18,137.9", "NOAA_18,137900000,F M",
                                                 "NOAA_18,137900000,FM,wide", "NOAA_18,999999"}));
    EXPECT_EQ(SatChannelsFromRows(rows),
              "\"METEOR-M2_3,137900000,FM,120000\",\"METEOR-M2_4,137100000,usb\",\"NOAA_19,1\","
              "\"NOAA_15,137620000\"");
    EXPECT_EQ(SatelliteTuning(rows[0].Channel), (TTuning{137'900'000, "FM", 120'000}));
    // A mode without a passband: the rig's normal one; no mode: FM 40 kHz, as for a channel.
    EXPECT_EQ(SatelliteTuning(rows[1].Channel), (TTuning{137'100'000, "USB", 0}));
    EXPECT_EQ(SatelliteTuning(rows[3].Channel), (TTuning{137'620'000, "FM", 40'000}));
    EXPECT_EQ(SatelliteTuning("1"), std::nullopt);
    EXPECT_EQ(SatelliteTuning(""), std::nullopt);

    EXPECT_EQ(ChannelCellText(rows[0].Channel), "137.900");
    EXPECT_EQ(ChannelCellText("1"), "1");
    EXPECT_EQ(AcceptCellText(ChannelColumn, "137.9"), "137.900");
    EXPECT_EQ(AcceptCellText(ChannelColumn, "137.9125"), "137.913");
    EXPECT_EQ(AcceptCellText(ChannelColumn, "137.9.1"), std::nullopt);
    EXPECT_EQ(ChannelFromCell("137.900", rows[0].Channel), rows[0].Channel);
    EXPECT_EQ(ChannelFromCell("137.100", rows[0].Channel), "137100000");
    EXPECT_EQ(ChannelFromCell("5", rows[0].Channel), "5");
    EXPECT_EQ(ChannelFromCell("", rows[0].Channel), "");
}

} // namespace
} // namespace kestrune
