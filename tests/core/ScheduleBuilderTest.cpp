#include "core/ScheduleBuilder.h"

#include "core/CommaText.h"
#include "core/PassLine.h"
#include "support/FakeClock.h"
#include "support/FakeSatellites.h"
#include "support/PassTexts.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace kestrune {
namespace {

using test::TFakeClock;
using test::TFakeSatellites;
using test::TTempDir;

class TFakeScheduleView final : public IScheduleView {
public:
    std::vector<TSatelliteRow> Rows;
    std::string Latitude = "55.9", Longitude = "-3.2", Height = "180";
    double MinElevation = 2;
    int Days = 3;
    std::vector<std::string> StatusTexts;
    int CursorDepth = 0, TimerTabShown = 0, TimerEnabled = 0;

    std::vector<TSatelliteRow> SatelliteRows() const override { return Rows; }
    std::string LatitudeText() const override { return Latitude; }
    std::string LongitudeText() const override { return Longitude; }
    std::string HeightText() const override { return Height; }
    double MinElevationDeg() const override { return MinElevation; }
    int DaysLookahead() const override { return Days; }
    void SetStatusText(const std::string& text) override { StatusTexts.push_back(text); }
    void ShowBusyCursor() override { ++CursorDepth; }
    void RestoreCursor() override { --CursorDepth; }
    void ShowTimerTab() override { ++TimerTabShown; }
    void EnableTimer() override { ++TimerEnabled; }
};

// A pass line at 2025-05-28 hh:nn:ss lasting the given seconds.
std::string Pass(int hour, int minute, int second, int lengthS, const std::string& name,
                 char direction = 'N') {
    return FormatCompact(EncodeDateTime(2025, 5, 28, hour, minute, second)) + ' ' + direction +
           " 40 180 " + std::to_string(lengthS) + ' ' + name;
}

class ScheduleBuilderTest : public ::testing::Test {
protected:
    TFakeScheduleView View;
    TFakeSatellites Fake;
    std::unique_ptr<TSatellites> Satellites = test::WrapFake(Fake);
    TPassList PassList;
    TScheduleList ScheduleList;
    TFakeClock Clock{EncodeDateTime(2025, 5, 28, 8, 0, 0)};
    TLocaleInfo Locale;
    TTempDir Dir;
    int NextPassShown = 0;
    TScheduleBuilder Builder{
        View, PassList, ScheduleList, Clock, Locale, Dir.Path() / "Schedule.txt", [this] {
            ++NextPassShown;
        }};

    void SetUp() override { Builder.SetSatellites(Satellites.get()); }

    void Offer(const std::string& name, const std::vector<std::string>& lines) {
        Fake.Passes[name] = WriteCommaText(lines);
    }
    std::string Schedule() const { return test::ReadFileBytes(Dir.Path() / "Schedule.txt"); }
};

TEST_F(ScheduleBuilderTest, DirectionFiltersAndSkippedRows) {
    Offer("NOAA 19", {Pass(9, 0, 0, 600, "NOAA 19", 'N'), Pass(11, 0, 0, 600, "NOAA 19", 'S')});
    Offer("NOAA 18", {Pass(13, 0, 0, 600, "NOAA 18", 'N'), Pass(15, 0, 0, 600, "NOAA 18", 'S')});
    Offer("NOAA 15", {Pass(17, 0, 0, 600, "NOAA 15", 'N')});
    View.Rows = {{"noaa 19", "B", "720"},
                 {"NOAA 18", "S", "720"},
                 {"NOAA 15", "x", "720"},
                 {"NOAA 15", "", "720"}};
    Builder.BuildPassList();

    EXPECT_EQ(test::PassTexts(PassList),
              (std::vector<std::string>{Pass(9, 0, 0, 600, "NOAA 19", 'N'),
                                        Pass(11, 0, 0, 600, "NOAA 19", 'S'),
                                        Pass(15, 0, 0, 600, "NOAA 18", 'S')}));
    // The name goes upper case to the component; rows without a wanted direction make no call
    // but still show their name.
    ASSERT_EQ(Fake.Calls.size(), 2u);
    EXPECT_EQ(Fake.Calls[0].Name, "NOAA 19");
    EXPECT_EQ(View.StatusTexts,
              (std::vector<std::string>{
                  "  Computing passes for NOAA 19...", "  Computing passes for NOAA 18...",
                  "  Computing passes for NOAA 15...", "  Computing passes for NOAA 15...", ""}));
    EXPECT_EQ(Fake.Log.front(), "SetLatitude");
    EXPECT_DOUBLE_EQ(Fake.LatitudeDeg, 55.9);
    EXPECT_DOUBLE_EQ(Fake.LongitudeDeg, -3.2);
    EXPECT_DOUBLE_EQ(Fake.HeightM, 180);
    EXPECT_EQ(View.CursorDepth, 0);
    EXPECT_EQ(View.TimerTabShown, 1);
    EXPECT_EQ(View.TimerEnabled, 1);
    EXPECT_EQ(NextPassShown, 1);
}

TEST_F(ScheduleBuilderTest, AsksFromTheStartOfTheDayWithTheGridsNumbers) {
    Clock.Set(EncodeDateTime(2025, 5, 28, 17, 45, 12, 500));
    View.MinElevation = 7;
    View.Days = 21;
    View.Rows = {{"A", "B", " 600 "}, {"B", "B", ""}, {"C", "B", "ten"}};
    Builder.BuildPassList();
    ASSERT_EQ(Fake.Calls.size(), 6u); // nobody knows these names: each is asked twice
    EXPECT_EQ(Fake.Calls[0].Start, EncodeDateTime(2025, 5, 28));
    EXPECT_EQ(Fake.Calls[0].MinLengthS, 600);
    EXPECT_EQ(Fake.Calls[0].Days, 21);
    EXPECT_EQ(Fake.Calls[0].MinElevationDeg, 7.0);
    EXPECT_EQ(Fake.Calls[2].MinLengthS, DefaultMinPassLengthS);
    EXPECT_EQ(Fake.Calls[4].MinLengthS, DefaultMinPassLengthS);
}

TEST_F(ScheduleBuilderTest, KeepsAPassStartingThisSecondAndDropsOneStartedBefore) {
    Clock.Set(EncodeDateTime(2025, 5, 28, 9, 0, 0, 700));
    Offer("SAT",
          {Pass(8, 59, 59, 100, "SAT"), Pass(9, 0, 0, 100, "SAT"), Pass(12, 0, 0, 100, "SAT")});
    View.Rows = {{"SAT", "B", "0"}};
    Builder.BuildPassList();
    EXPECT_EQ(test::PassTexts(PassList),
              (std::vector<std::string>{Pass(9, 0, 0, 100, "SAT"), Pass(12, 0, 0, 100, "SAT")}));
}

TEST_F(ScheduleBuilderTest, OverlapsAreWonByTheHigherRowAndTouchingPassesOverlap) {
    Offer("NOAA 18", {Pass(9, 32, 6, 726, "NOAA 18"), Pass(12, 0, 0, 600, "NOAA 18")});
    // 09:37:12 overlaps the NOAA 18 pass; 12:10:00 starts exactly when 12:00:00+600 ends;
    // 14:00:00 overlaps nothing that is kept.
    Offer("NOAA 19", {Pass(9, 37, 12, 901, "NOAA 19"), Pass(12, 10, 0, 300, "NOAA 19"),
                      Pass(14, 0, 0, 300, "NOAA 19")});
    View.Rows = {{"NOAA 18", "B", "0"}, {"NOAA 19", "B", "0"}};
    Builder.BuildPassList();
    EXPECT_EQ(
        test::PassTexts(PassList),
        (std::vector<std::string>{Pass(9, 32, 6, 726, "NOAA 18"), Pass(12, 0, 0, 600, "NOAA 18"),
                                  Pass(14, 0, 0, 300, "NOAA 19")}));
    // Swapping the rows swaps the winner.
    View.Rows = {{"NOAA 19", "B", "0"}, {"NOAA 18", "B", "0"}};
    Builder.BuildPassList();
    EXPECT_EQ(PassList.Pass(0).Text, Pass(9, 37, 12, 901, "NOAA 19"));
}

TEST_F(ScheduleBuilderTest, APassOverlappingOnlyADroppedPassStays) {
    // B1 overlaps A1 and is dropped; C1 overlaps B1 only, so it stays.
    Offer("A", {Pass(10, 0, 0, 600, "A")});
    Offer("B", {Pass(10, 5, 0, 600, "B")});
    Offer("C", {Pass(10, 12, 0, 300, "C")});
    View.Rows = {{"A", "B", "0"}, {"B", "B", "0"}, {"C", "B", "0"}};
    Builder.BuildPassList();
    EXPECT_EQ(test::PassTexts(PassList),
              (std::vector<std::string>{Pass(10, 0, 0, 600, "A"), Pass(10, 12, 0, 300, "C")}));
}

// The operator's overlap rule: the earlier satellite of the list by default, the higher pass
// with "PassPriority" 1 (equal heights: the earlier satellite), over every pass a winner displaces.
TEST_F(ScheduleBuilderTest, TheHigherPassWinsWhenTheOperatorSaysSo) {
    const auto pass = [](int hour, int minute, int lengthS, int elevationDeg,
                         const std::string& name) {
        return FormatCompact(EncodeDateTime(2025, 5, 28, hour, minute, 0)) + " S " +
               std::to_string(elevationDeg) + " 180 " + std::to_string(lengthS) + ' ' + name;
    };
    // 10:00 the low M2-3 pass and a high M2-4 one; 12:08 an M2-4 pass that overlaps two M2-3
    // passes that do not overlap each other; 14:00 two passes of the same height.
    Offer("METEOR-M2 3",
          {pass(10, 0, 600, 6, "METEOR-M2 3"), pass(12, 0, 600, 30, "METEOR-M2 3"),
           pass(12, 16, 300, 25, "METEOR-M2 3"), pass(14, 0, 600, 40, "METEOR-M2 3")});
    Offer("METEOR-M2 4", {pass(10, 5, 600, 53, "METEOR-M2 4"), pass(12, 8, 600, 35, "METEOR-M2 4"),
                          pass(14, 5, 600, 40, "METEOR-M2 4")});
    View.Rows = {{"METEOR-M2 3", "B", "0"}, {"METEOR-M2 4", "B", "0"}};
    Builder.BuildPassList();
    EXPECT_EQ(test::PassTexts(PassList),
              (std::vector<std::string>{
                  pass(10, 0, 600, 6, "METEOR-M2 3"), pass(12, 0, 600, 30, "METEOR-M2 3"),
                  pass(12, 16, 300, 25, "METEOR-M2 3"), pass(14, 0, 600, 40, "METEOR-M2 3")}));
    Builder.SetPassPriority(TPassPriority::HigherElevation);
    Builder.BuildPassList();
    EXPECT_EQ(test::PassTexts(PassList),
              (std::vector<std::string>{pass(10, 5, 600, 53, "METEOR-M2 4"),
                                        pass(12, 8, 600, 35, "METEOR-M2 4"),
                                        pass(14, 0, 600, 40, "METEOR-M2 3")}));
    EXPECT_EQ(Schedule().substr(0, 14), "20250528100500");
}

TEST_F(ScheduleBuilderTest, FindsDashedNamesAndWritesTheGridsName) {
    Offer("NOAA-19", {Pass(10, 0, 0, 600, "NOAA-19"), Pass(13, 0, 0, 600, "NOAA-19")});
    View.Rows = {{"Noaa 19", "N", "720"}};
    Builder.BuildPassList();
    ASSERT_EQ(Fake.Calls.size(), 2u);
    EXPECT_EQ(Fake.Calls[1].Name, "NOAA-19");
    EXPECT_EQ(
        test::PassTexts(PassList),
        (std::vector<std::string>{Pass(10, 0, 0, 600, "NOAA 19"), Pass(13, 0, 0, 600, "NOAA 19")}));
}

TEST_F(ScheduleBuilderTest, ASatelliteEnteredTwiceYieldsItsPassesOnce) {
    Offer("NOAA 19", {Pass(10, 0, 0, 600, "NOAA 19"), Pass(13, 0, 0, 600, "NOAA 19")});
    View.Rows = {{"NOAA 19", "B", "0"}, {"noaa 19", "B", "0"}};
    Builder.BuildPassList();
    EXPECT_EQ(PassList.Count(), 2);
    EXPECT_EQ(Schedule(), PassList.Pass(0).Text + "\r\n" + PassList.Pass(1).Text + "\r\n");
}

TEST_F(ScheduleBuilderTest, RepeatedRowsAskTheComponentOnceAndMergeAsBefore) {
    // A2 is the only southbound pass; B1 overlaps A1, B3 overlaps A3.
    Offer("A", {Pass(10, 0, 0, 600, "A"), Pass(11, 0, 0, 600, "A", 'S'), Pass(12, 0, 0, 600, "A")});
    Offer("B",
          {Pass(10, 5, 0, 600, "B"), Pass(11, 30, 0, 300, "B", 'S'), Pass(12, 5, 0, 100, "B")});
    View.Rows = {{"A", "N", "0"}, {"B", "B", "0"}, {"a", "N", "0"},
                 {"A", "S", "0"}, {"B", "B", "0"}, {"A", "B", "0"}};
    Builder.BuildPassList();
    // The later southbound row still adds its pass; the repeats add nothing.
    EXPECT_EQ(test::PassTexts(PassList),
              (std::vector<std::string>{Pass(10, 0, 0, 600, "A"), Pass(11, 0, 0, 600, "A", 'S'),
                                        Pass(11, 30, 0, 300, "B", 'S'), Pass(12, 0, 0, 600, "A")}));
    ASSERT_EQ(Fake.Calls.size(), 2u);
    EXPECT_EQ(Fake.Calls[0].Name, "A");
    EXPECT_EQ(Fake.Calls[1].Name, "B");
    // Another minimum length is another question.
    View.Rows.push_back({"B", "B", "300"});
    Builder.BuildPassList();
    EXPECT_EQ(Fake.Calls.size(), 5u);
    EXPECT_EQ(Fake.Calls[4].MinLengthS, 300);

    View.Rows.assign(MaxSatelliteRows + 1, {"A", "N", "0"});
    try {
        Builder.BuildPassList();
        FAIL() << "no error";
    } catch (const ESatelliteList& error) {
        EXPECT_STREQ(error.what(), "The satellite list has 1001 rows, more than the 1000 a station "
                                   "can predict: shorten it (\"SatList\") and restart");
    }
    EXPECT_EQ(Fake.Calls.size(), 5u);
    EXPECT_EQ(View.CursorDepth, 0);
}

TEST_F(ScheduleBuilderTest, AnEmptyGridGivesAnEmptyListAndAnEmptyFile) {
    Dir.Write("Schedule.txt", "old content\r\n");
    PassList.Add(ParsePassLine(Pass(10, 0, 0, 600, "OLD")));
    Builder.BuildPassList();
    EXPECT_TRUE(PassList.Empty());
    EXPECT_EQ(Schedule(), "");
    EXPECT_EQ(NextPassShown, 1);
}

TEST_F(ScheduleBuilderTest, ABadLocationFailsBeforeTheListIsEmptied) {
    PassList.Add(ParsePassLine(Pass(10, 0, 0, 600, "KEPT")));
    View.Longitude = "3,2";
    View.Rows = {{"NOAA 19", "B", "0"}};
    try {
        Builder.BuildPassList();
        FAIL() << "no error";
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "'3,2' is not a valid floating point value (Longitude on the "
                                   "Setup tab: \"ObsLongitude\")");
    }
    EXPECT_EQ(PassList.Count(), 1);
    EXPECT_TRUE(Fake.Log.empty());
    EXPECT_EQ(View.CursorDepth, 0);
    EXPECT_EQ(View.TimerEnabled, 0);
    EXPECT_FALSE(std::filesystem::exists(Dir.Path() / "Schedule.txt"));
}

TEST_F(ScheduleBuilderTest, AComponentFailureStopsTheBuildWhereItHappens) {
    Offer("A", {Pass(10, 0, 0, 600, "A")});
    View.Rows = {{"A", "B", "0"}, {"B", "B", "0"}};
    Builder.BuildPassList();
    Fake.Failures["ComputePasses"] = EFail;
    Fake.Passes.clear();
    EXPECT_THROW(
        {
            try {
                Builder.BuildPassList();
            } catch (const ESatellites& error) {
                EXPECT_STREQ(error.what(),
                             "ISatellites.ComputePasses failed: 0x80004005 (Unspecified error)");
                throw;
            }
        },
        ESatellites);
    EXPECT_TRUE(PassList.Empty());
    EXPECT_EQ(View.TimerEnabled, 1); // only the first build's
    EXPECT_EQ(View.CursorDepth, 0);
    // The schedule of the last good build stays.
    EXPECT_EQ(Schedule(), Pass(10, 0, 0, 600, "A") + "\r\n");
}

// What python3's json module reads from a file, one line per pass ("" when there is no python3).
std::string ReadBackWithPython(const std::filesystem::path& file) {
    const std::string command =
        "python3 -c 'import json, sys\n"
        "d = json.load(open(sys.argv[1], encoding=\"utf-8\"))\n"
        "print(d[\"created\"])\n"
        "for p in d[\"passes\"]:\n"
        "    print(\"|\".join(str(p[k]) for k in (\"satellite\", \"aos\", \"tca\", \"los\", "
        "\"max_elevation_deg\", \"aos_azimuth_deg\", \"los_azimuth_deg\", \"direction\", "
        "\"length_s\", \"frequency_hz\")))' '" +
        file.string() + "' 2>&1";
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, n);
        if (pclose(pipe) != 0)
            output = "python3 failed: " + output;
    }
    return output;
}

// Schedule.json and Schedule.ics beside Schedule.txt: read back by a JSON parser, a calendar of
// folded CR LF lines; one that cannot be written is said and the build goes on.
TEST_F(ScheduleBuilderTest, TheScheduleForOtherProgramsIsWrittenBesideTheText) {
    if (std::system("python3 -c pass >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no python3";
    const std::string name = "METEOR-M2 3 \"quoted\", \xC3\xA9t\xC3\xA9 and a long name to fold";
    Offer("METEOR-M2 3", {Pass(10, 0, 0, 600, name), Pass(12, 0, 0, 600, name, 'S')});
    Offer("NOAA 19", {Pass(14, 0, 0, 300, "NOAA 19")});
    Fake.PassDetails[name] = WriteCommaText({"20250528100503", "12", "197"});
    View.Rows = {{"METEOR-M2 3", "B", "0"}, {"NOAA 19", "B", "0"}};
    std::vector<std::string> warnings;
    Builder.SetExports({[](const std::string& satellite) -> long long {
                            return satellite == "NOAA 19" ? 0 : 137'900'000;
                        },
                        [&](const std::string& text) { warnings.push_back(text); }});
    Builder.BuildPassList();
    EXPECT_EQ(ReadBackWithPython(Dir.Path() / "Schedule.json"),
              "2025-05-28T08:00:00Z\n" + name +
                  "|2025-05-28T10:00:00Z|2025-05-28T10:05:03Z|2025-05-28T10:10:00Z|40|12|197|"
                  "northbound|600|137900000\n" +
                  name +
                  "|2025-05-28T12:00:00Z|2025-05-28T10:05:03Z|2025-05-28T12:10:00Z|40|12|197|"
                  "southbound|600|137900000\n"
                  "NOAA 19|2025-05-28T14:00:00Z|None|2025-05-28T14:05:00Z|40|None|None|northbound|"
                  "300|None\n");
    const std::string ics = test::ReadFileBytes(Dir.Path() / "Schedule.ics");
    std::size_t events = 0, longest = 0;
    for (std::size_t begin = 0; begin < ics.size();) {
        const std::size_t end = ics.find("\r\n", begin);
        ASSERT_NE(end, std::string::npos) << "every line ends in CR LF";
        longest = std::max(longest, end - begin);
        events += ics.compare(begin, end - begin, "BEGIN:VEVENT") == 0;
        begin = end + 2;
    }
    EXPECT_EQ(events, 3u);
    EXPECT_LE(longest, 75u);
    EXPECT_NE(ics.find("\r\nUID:20250528T120000Z-METEOR-M2-3--quoted-----t---and-a-long-"),
              std::string::npos);
    EXPECT_NE(ics.find("\r\nDTSTART:20250528T140000Z\r\nDTEND:20250528T140500Z\r\nSUMMARY:NOAA "
                       "19\\, 40\xC2\xB0\\, northbound\r\n"),
              std::string::npos);
    EXPECT_TRUE(warnings.empty());

    // A folder in the way of Schedule.json: said, and the rest written.
    std::filesystem::remove(Dir.Path() / "Schedule.json");
    std::filesystem::create_directories(Dir.Path() / "Schedule.json" / "x");
    std::filesystem::remove(Dir.Path() / "Schedule.ics");
    Builder.BuildPassList();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(
        warnings[0].rfind("Cannot create file \"" + (Dir.Path() / "Schedule.json").string(), 0), 0u)
        << warnings[0];
    EXPECT_TRUE(std::filesystem::exists(Dir.Path() / "Schedule.ics"));
    EXPECT_EQ(View.TimerEnabled, 2);
}

TEST_F(ScheduleBuilderTest, WithoutAComponentTheBuildSaysSo) {
    Builder.SetSatellites(nullptr);
    EXPECT_THROW(Builder.BuildPassList(), ESatellites);
    EXPECT_EQ(View.CursorDepth, 0);
}

TEST_F(ScheduleBuilderTest, AnUnwritableScheduleKeepsTheListAndNamesTheFile) {
    Offer("A", {Pass(10, 0, 0, 600, "A")});
    View.Rows = {{"A", "B", "0"}};
    const auto folder = Dir.Path() / "gone";
    TScheduleBuilder builder{View,   PassList, ScheduleList, Clock, Locale, folder / "Schedule.txt",
                             nullptr};
    builder.SetSatellites(Satellites.get());
    try {
        builder.BuildPassList();
        FAIL() << "no error";
    } catch (const EFileError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file \"" +
                                                 (folder / "Schedule.txt").string() +
                                                 "\". No such file or directory");
    }
    EXPECT_EQ(PassList.Count(), 1);
    EXPECT_EQ(View.TimerEnabled, 0);
    EXPECT_EQ(View.CursorDepth, 0);
}

TEST_F(ScheduleBuilderTest, TheScheduleIsSortedDeduplicatedAndInTheLocaleCharset) {
    Locale.FromUtf8 = [](std::string_view text) {
        std::string latin1;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            latin1 += c == 0xC3 ? static_cast<char>(0x40 + static_cast<unsigned char>(text[++i]))
                                : text[i];
        }
        return latin1;
    };
    Offer("M\xc3\xa9TEO",
          {Pass(12, 0, 0, 600, "M\xc3\xa9TEO"), Pass(10, 0, 0, 600, "M\xc3\xa9TEO")});
    View.Rows = {{"M\xc3\xa9teo", "B", "0"}};
    Builder.BuildPassList();
    EXPECT_EQ(Schedule(),
              Pass(10, 0, 0, 600, "M\xe9TEO") + "\r\n" + Pass(12, 0, 0, 600, "M\xe9TEO") + "\r\n");
}

TEST(ScheduleList, AFileThatCannotBeReplacedStaysAndNoTemporaryIsLeft) {
    TTempDir dir;
    const auto path = dir.Path() / "Schedule.txt";
    std::filesystem::create_directory(path);
    TScheduleList list;
    list.Assign({ParsePassLine("20250528100000 N 40 180 600 A")});
    try {
        list.SaveToFile(path, TLocaleInfo{});
        FAIL() << "no error";
    } catch (const EFileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot create file \"" + path.string() + "\". Is a directory");
    }
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "Schedule.txt.tmp"));
}

TEST(PassList, KeepsOrderAndSelectionLikeASortedListBox) {
    TPassList list;
    int changes = 0;
    list.SetOnChange([&] { ++changes; });
    list.Add(ParsePassLine("b"));
    list.Add(ParsePassLine("C"));
    EXPECT_EQ(list.Add(ParsePassLine("A")), 0);
    list.SetItemIndex(1);
    EXPECT_EQ(list.Add(ParsePassLine("a")), 1); // after the equal one
    EXPECT_EQ(list.ItemIndex(), 2);
    list.Delete(0);
    EXPECT_EQ(list.ItemIndex(), 1);
    list.Delete(1);
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_THROW(list.Pass(5), std::out_of_range);
    changes = 0;
    list.BeginUpdate();
    list.Add(ParsePassLine("x"));
    list.Add(ParsePassLine("y"));
    EXPECT_EQ(changes, 0);
    list.EndUpdate();
    EXPECT_EQ(changes, 1);
}

} // namespace
} // namespace kestrune
