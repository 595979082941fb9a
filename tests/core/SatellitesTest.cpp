#include "core/Satellites.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(Satellites, ConnectionMessageNamesTheRemedyOfTheComponentsKind) {
    EXPECT_EQ(SatellitesConnectionMessage("/opt/kestrune/bin/QmrSatLib.so", "no file"),
              "Error connecting to in-process COM server QmrSatLib.so\r\rTry copying the file "
              "QmrSatLib.so into the folder containing the program (/opt/kestrune/bin) and start "
              "it again.\r\rThe loader reported: no file");
    // A COM server is found through its registration, whatever folder it is in.
    EXPECT_EQ(SatellitesConnectionMessage("/opt/kestrune/bin/QmrSatLib.DLL", "0x80040154"),
              "Error connecting to in-process COM server QmrSatLib.DLL\r\rTry using the command "
              "\"REGSVR32 QmrSatLib.DLL\" from the command prompt in the folder containing the "
              "file QmrSatLib.DLL.\r\rThe REGSVR32 command may be found in your Windows System "
              "folder.\r\rThe loader reported: 0x80040154");
    EXPECT_EQ(DescribeHResult(RegDbEClassNotReg), "0x80040154 (Class not registered)");
    EXPECT_EQ(DescribeHResult(0x12345), "0x00012345");
}

} // namespace
} // namespace kestrune
