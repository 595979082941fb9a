// Which selector item a satellite's pass is received on; the sequencer itself runs in the
// program core's tests (tests/app).
#include "core/PassSequencer.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(PassSequencer, SatelliteChannels) {
    EXPECT_EQ(SatelliteChannelItem("NOAA 15"), 5);
    EXPECT_EQ(SatelliteChannelItem("NOAA 18"), 6);
    EXPECT_EQ(SatelliteChannelItem("NOAA 19"), 2);
    EXPECT_EQ(SatelliteChannelItem("noaa 19"), 0);
    EXPECT_EQ(SatelliteChannelItem("METEOR-M2 3"), 0);
    // A row's own channel wins; without one the table, then scan.
    const std::vector<TSatelliteRow> rows{
        {"METEOR-M2 3", "B", "330", "5"}, {"NOAA 19", "N", "720", "7"}, {"NOAA 18", "N", "720"}};
    EXPECT_EQ(SatelliteChannelItem("METEOR-M2 3", rows), 6);
    // The pass carries the name in capitals; a row written otherwise is still its row.
    EXPECT_EQ(SatelliteChannelItem("METEOR-M2 3", {{"Meteor-M2 3", "B", "330", "5"}}), 6);
    EXPECT_EQ(SatelliteChannelItem("NOAA 19", rows), 8);
    EXPECT_EQ(SatelliteChannelItem("NOAA 18", rows), 6);
    EXPECT_EQ(SatelliteChannelItem("METEOR-M2 4", rows), 0);
}

} // namespace
} // namespace kestrune
