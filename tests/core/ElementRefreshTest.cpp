#include "core/ElementRefresh.h"

#include "support/FakeClock.h"
#include "support/FakeDownloader.h"
#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace kestrune {
namespace {

using TStrings = std::vector<std::string>;

TEST(ElementFileName, TheLastSegmentWithItsQuery) {
    EXPECT_EQ(ElementFileName("https://celestrak.org/NORAD/elements/weather.txt"), "weather.txt");
    EXPECT_EQ(
        ElementFileName("HTTPS://celestrak.org/NORAD/elements/gp.php?GROUP=weather&FORMAT=tle"),
        "gp.php-GROUP-weather-FORMAT-tle.txt");
    EXPECT_EQ(ElementFileName("http://127.0.0.1:8080/noaa.tle#top"), "noaa.tle");
    EXPECT_EQ(ElementFileName("http://host/sets/my sets"), "my-sets.txt");
    EXPECT_THROW(ElementFileName("ftp://host/weather.txt"), std::invalid_argument);
    EXPECT_THROW(ElementFileName("file:///etc/passwd"), std::invalid_argument);
    EXPECT_THROW(ElementFileName("weather.txt"), std::invalid_argument);
    EXPECT_THROW(ElementFileName("https://celestrak.org/"), std::invalid_argument);
    EXPECT_THROW(ElementFileName("https://celestrak.org"), std::invalid_argument);
    EXPECT_THROW(ElementFileName("https://host/.hidden"), std::invalid_argument);
}

const std::string WeatherUrl = "https://example.org/weather.txt";
const std::string NoaaUrl = "https://example.org/noaa.txt";

class ElementRefreshTest : public ::testing::Test {
protected:
    test::TTempDir Dir;
    test::TFakeClock Clock{EncodeDateTime(2026, 12, 8, 10)};
    test::TFakeDownloader Downloader;
    TStrings Warnings, Refreshed;

    std::unique_ptr<TElementRefresh> Refresh(TStrings urls, int hours = 12) {
        return std::make_unique<TElementRefresh>(
            std::move(urls), hours, Downloader, Clock, [this] { return Dir.Path().string(); },
            [](const std::string& text) {
                return text.rfind("SETS", 0) == 0 ? std::string() : std::string("garbage");
            },
            [this](const std::string& text) { Warnings.push_back(text); },
            [this](const std::string& text) { Refreshed.push_back(text); });
    }
    std::string File(const std::string& name) const {
        return std::filesystem::exists(Dir.Path() / name) ? test::ReadFileBytes(Dir.Path() / name)
                                                          : "<missing>";
    }
    TStrings Files() const {
        TStrings names;
        for (const auto& entry : std::filesystem::directory_iterator(Dir.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(ElementRefreshTest, EachUrlInTurnAtStartThenEveryFewHours) {
    Downloader.Served[WeatherUrl] = {"SETS weather", "", 3};
    Downloader.Served[NoaaUrl] = {"SETS noaa", "", 1};
    auto refresh = Refresh({WeatherUrl, NoaaUrl}, 6);
    refresh->Service();
    refresh->Service();
    EXPECT_EQ(Downloader.Started, TStrings{WeatherUrl}) << "one at a time";
    EXPECT_EQ(File("weather.txt"), "<missing>") << "nothing before it has finished";
    refresh->Service();
    EXPECT_EQ(Downloader.Started, (TStrings{WeatherUrl, NoaaUrl}));
    EXPECT_EQ(Files(), (TStrings{"noaa.txt", "weather.txt"})) << "no temporary file left";
    EXPECT_EQ(File("weather.txt"), "SETS weather");
    EXPECT_EQ(Refreshed,
              TStrings{"element sets refreshed at 2026-12-08T10:00:00Z: weather.txt, noaa.txt"});
    EXPECT_EQ(refresh->LastRefreshed(), Clock.UtcNow());

    Clock.AdvanceSeconds(6 * 3600 - 1);
    refresh->Service();
    EXPECT_EQ(Downloader.Started.size(), 2u);
    Clock.AdvanceSeconds(1);
    Downloader.Served[WeatherUrl] = {"SETS newer", "", 1};
    refresh->Service();
    EXPECT_EQ(Downloader.Started.size(), 4u);
    EXPECT_EQ(File("weather.txt"), "SETS newer");
    EXPECT_TRUE(Warnings.empty());
}

TEST_F(ElementRefreshTest, AnyFailureKeepsTheOldFileAndIsWarnedOncePerCause) {
    Dir.Write("weather.txt", "SETS old");
    Dir.Write("noaa.txt", "SETS old noaa");
    Downloader.Served[WeatherUrl] = {"", "HTTP 404", 1};
    Downloader.Served[NoaaUrl] = {"<html>Service unavailable</html>", "", 1};
    auto refresh = Refresh({WeatherUrl, "ftp://example.org/x.txt", NoaaUrl}, 1);
    for (int round = 0; round < 3; ++round) {
        refresh->Service();
        Clock.AdvanceSeconds(3600);
    }
    EXPECT_EQ(File("weather.txt"), "SETS old");
    EXPECT_EQ(File("noaa.txt"), "SETS old noaa");
    EXPECT_EQ(Files(), (TStrings{"noaa.txt", "weather.txt"}));
    EXPECT_EQ(Downloader.Started.size(), 6u) << "tried again every round; ftp never";
    EXPECT_EQ(
        Warnings,
        (TStrings{"element sets from " + WeatherUrl + " not refreshed: HTTP 404",
                  "element sets from ftp://example.org/x.txt not refreshed: only http and "
                  "https URLs are fetched",
                  "element sets from " + NoaaUrl + " not refreshed: not element sets: garbage"}));
    EXPECT_TRUE(Refreshed.empty());
    EXPECT_EQ(refresh->LastRefreshed(), std::nullopt);

    // Another cause is news.
    Downloader.Served[WeatherUrl] = {"", "timed out", 1};
    Clock.AdvanceSeconds(3600);
    refresh->Service();
    EXPECT_EQ(Warnings.back(), "element sets from " + WeatherUrl + " not refreshed: timed out");
    EXPECT_EQ(Warnings.size(), 4u);
}

TEST_F(ElementRefreshTest, NoUrlsFetchNothingAndNoFolderKeepsTheFile) {
    auto none = Refresh({});
    none->Service();
    EXPECT_TRUE(Downloader.Started.empty());

    Downloader.Served[WeatherUrl] = {"SETS weather", "", 1};
    TElementRefresh nowhere(
        {WeatherUrl}, 12, Downloader, Clock, [] { return std::string(); },
        [](const std::string&) { return std::string(); },
        [this](const std::string& text) { Warnings.push_back(text); }, [](const std::string&) {});
    nowhere.Service();
    EXPECT_EQ(Warnings, TStrings{"element sets from " + WeatherUrl +
                                 " not refreshed: no element folder is chosen"});
}

// Three sets as CelesTrak serves them, the third as Space-Track's three-line sets name it; only
// the lines' starts matter here.
const std::string Noaa15 = "NOAA 15\r\n1 25338U 98030A   25147.5\r\n2 25338  98.5\r\n";
const std::string Noaa18 = "NOAA 18\r\n1 28654U 05018A   25147.5\r\n2 28654  98.9\r\n";
const std::string Noaa19 = "0 NOAA 19\r\n1 33591U 09005A   25147.5\r\n2 33591  99.0\r\n";

TEST(ElementSetsByNumber, TwoAndThreeLineSetsByCatalogNumber) {
    const auto sets = ElementSetsByNumber(Noaa15 + "1 28654U 05018A   25147.5\n2 28654  98.9\n" +
                                          "\ngarbage\n1 broken\n" + Noaa19);
    ASSERT_EQ(sets.size(), 3u);
    EXPECT_EQ(sets.at("25338").Name, "NOAA 15");
    EXPECT_EQ(sets.at("25338").Lines, "NOAA 15\n1 25338U 98030A   25147.5\n2 25338  98.5\n");
    EXPECT_EQ(sets.at("28654").Name, "catalog number 28654");
    EXPECT_EQ(sets.at("33591").Name, "NOAA 19");
}

TEST_F(ElementRefreshTest, ADownloadThatLosesSatellitesKeepsTheirOldSetsAndSaysWhich) {
    // Cut exactly at a set's end: HTTP 200, every line a whole set.
    Dir.Write("weather.txt", Noaa15 + Noaa18 + Noaa19);
    const std::string fresh = "NOAA 15\n1 25338U 98030A   26342.5\n2 25338  98.5";
    Downloader.Served[WeatherUrl] = {fresh, "", 1};
    TElementRefresh refresh(
        {WeatherUrl}, 12, Downloader, Clock, [this] { return Dir.Path().string(); },
        [](const std::string&) { return std::string(); },
        [this](const std::string& text) { Warnings.push_back(text); },
        [this](const std::string& text) { Refreshed.push_back(text); });
    refresh.Service();
    EXPECT_EQ(File("weather.txt"), fresh + "\nNOAA 18\n1 28654U 05018A   25147.5\n2 28654  98.9\n"
                                           "0 NOAA 19\n1 33591U 09005A   25147.5\n2 33591  99.0\n");
    EXPECT_EQ(Warnings,
              TStrings{"element sets from " + WeatherUrl +
                       " lack 2 satellites that weather.txt had: NOAA 18, NOAA 19; their old sets "
                       "are kept (a download cut short, or satellites the source no longer "
                       "lists: take them out of the file by hand if so)"});
    EXPECT_EQ(Refreshed.size(), 1u) << "NOAA 15's set is fresh";

    // An OMM download in the place of line sets replaces them whole: lines appended to it would
    // break it.
    Warnings.clear();
    const std::string omm = "[{\"OBJECT_NAME\":\"NOAA 15\",\"NORAD_CAT_ID\":25338}]";
    Downloader.Served[WeatherUrl] = {omm, "", 1};
    Clock.AdvanceSeconds(13 * 3600);
    refresh.Service();
    EXPECT_EQ(File("weather.txt"), omm);
    EXPECT_EQ(Warnings, TStrings{});
}

} // namespace
} // namespace kestrune
