// What the station says when it starts without a location or a satellite list.

#include "station/SettingsAdvice.h"

#include "platform/linux/RegistryFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

class SettingsAdviceTest : public ::testing::Test {
protected:
    test::TTempDir Folder;
    std::filesystem::path Hive = Folder.Path() / "HKEY_CURRENT_USER.reg";

    std::string Warning(const std::string& values) {
        if (!values.empty())
            Folder.Write("HKEY_CURRENT_USER.reg",
                         "Windows Registry Editor Version 5.00\n\n" + values);
        TFileRegistry registry(Folder.Path());
        return MissingSettingsWarning(registry, Hive);
    }
};

TEST_F(SettingsAdviceTest, AFirstStartNamesTheFileLookedForAndTheDefaultsUsed) {
    EXPECT_EQ(Warning(""), "no location and no satellite list are set (there is no settings file " +
                               Hive.string() +
                               "): the station uses the location 55.9, -3.2, 180 m and the "
                               "satellites NOAA 19, NOAA 18, NOAA 15; set \"ObsLatitude\", "
                               "\"ObsLongitude\", \"ObsHeight\" and \"SatList\" there "
                               "(settings-file.md)");
}

TEST_F(SettingsAdviceTest, EachMissingPartIsNamedAndASetUpStationSaysNothing) {
    const std::string key = "[HKEY_CURRENT_USER\\Software\\Quillmere\\Kestrune]\n";
    EXPECT_EQ(Warning(key + "\"SatList\"=\"\\\"METEOR-M2_3,B,330\\\"\"\n"),
              "no location is set in the settings file " + Hive.string() +
                  ": the station uses the location 55.9, -3.2, 180 m; set \"ObsLatitude\", "
                  "\"ObsLongitude\", \"ObsHeight\" and \"SatList\" there (settings-file.md)");
    // The sibling tracking program's location is a location.
    EXPECT_EQ(Warning("[HKEY_CURRENT_USER\\Software\\Quillmere\\Zenolith]\n"
                      "\"CurrentLat\"=\"51.5\"\n"),
              "no satellite list is set in the settings file " + Hive.string() +
                  ": the station uses the satellites NOAA 19, NOAA 18, NOAA 15; set "
                  "\"ObsLatitude\", \"ObsLongitude\", \"ObsHeight\" and \"SatList\" there "
                  "(settings-file.md)");
    EXPECT_EQ(Warning(key + "\"ObsLatitude\"=\"55.9\"\n\"SatList\"=\"\\\"NOAA_19,B,300\\\"\"\n"),
              "");
}

} // namespace
} // namespace kestrune
