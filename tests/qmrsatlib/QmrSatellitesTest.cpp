// The component through its interface: data folder, pass lines, windows, odd orbits, the entry
// point, and the module as the program loads it.
#include "qmrsatlib/QmrSatellites.h"

#include "core/CommaText.h"
#include "qmrsatlib/Sgp4.h"
#include "qmrsatlib/Tle.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cmath>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace kestrune {
namespace {

std::string DataFile(const std::string& name) {
    return test::ReadFileBytes(std::string(KESTRUNE_TEST_DATA) + "/tle/" + name);
}

// Owns one object made by the entry point.
class TComponent {
public:
    TComponent() {
        void* object = nullptr;
        if (CreateSatellitesInstance(&ClsidSatellites, &IidSatellites, &object) != SOk)
            throw std::runtime_error("no object");
        FSatellites = static_cast<ISatellites*>(object);
        // Edinburgh.
        FSatellites->SetLatitude(55.9);
        FSatellites->SetLongitude(-3.2);
        FSatellites->SetHeight(180.0);
    }
    ~TComponent() { FSatellites->Release(); }
    ISatellites* operator->() const { return FSatellites; }

    std::vector<std::string> Passes(const std::string& name, TDateTime start, int days,
                                    int minLengthS = 0, double minElevationDeg = 2.0) {
        std::string text = "stale";
        EXPECT_EQ(FSatellites->ComputePasses(name, start, minLengthS, days, minElevationDeg, text),
                  SOk);
        return ReadCommaText(text);
    }
    bool DataValid() {
        std::int32_t valid = -1;
        EXPECT_EQ(FSatellites->GetDataValid(valid), SOk);
        return valid != 0;
    }

private:
    ISatellites* FSatellites;
};

struct TPassWords {
    TDateTime Rise;
    std::string Direction;
    int ElevationDeg, AzimuthDeg, LengthS;
    std::string Name;
};

TPassWords Words(const std::string& line) {
    TPassWords words;
    std::istringstream in(line);
    std::string start;
    in >> start >> words.Direction >> words.ElevationDeg >> words.AzimuthDeg >> words.LengthS;
    std::getline(in, words.Name);
    words.Name.erase(0, 1);
    words.Rise = EncodeDateTime(std::stoi(start.substr(0, 4)), std::stoi(start.substr(4, 2)),
                                std::stoi(start.substr(6, 2)), std::stoi(start.substr(8, 2)),
                                std::stoi(start.substr(10, 2)), std::stoi(start.substr(12, 2)));
    return words;
}

const TDateTime May28 = EncodeDateTime(2025, 5, 28);

class QmrSatellitesTest : public ::testing::Test {
protected:
    QmrSatellitesTest() {
        FFolder.Write("weather.txt", DataFile("weather.txt"));
        EXPECT_EQ(FComponent->SetDataPath(FFolder.Path().string()), SOk);
    }
    test::TTempDir FFolder;
    TComponent FComponent;
};

TEST_F(QmrSatellitesTest, PassLinesHaveTheFixedLayout) {
    const auto lines = FComponent.Passes("Noaa 19", May28, 2);
    ASSERT_GE(lines.size(), 8u);
    const std::regex layout("[0-9]{14} [NS] [0-9]{1,2} [0-9]{1,3} [0-9]+ Noaa 19");
    TDateTime previous = 0;
    for (const auto& line : lines) {
        EXPECT_TRUE(std::regex_match(line, layout)) << line;
        const TPassWords words = Words(line);
        EXPECT_EQ(words.Name, "Noaa 19");
        EXPECT_GE(words.Rise, May28);
        EXPECT_LT(words.Rise, May28 + 2);
        EXPECT_GT(words.Rise, previous);
        EXPECT_LT(words.ElevationDeg, 91);
        EXPECT_LT(words.AzimuthDeg, 360);
        // A polar orbiter is above 2 degrees for at most about 15 minutes.
        EXPECT_GT(words.LengthS, 0);
        EXPECT_LT(words.LengthS, 16 * 60);
        previous = words.Rise;
    }
    // Items with blanks are quoted in the comma text.
    std::string text;
    ASSERT_EQ(FComponent->ComputePasses("NOAA 19", May28, 0, 1, 2.0, text), SOk);
    EXPECT_EQ(text.front(), '"');
    EXPECT_NE(text.find("NOAA 19\",\""), std::string::npos);
}

TEST_F(QmrSatellitesTest, MinimumLengthAndElevationSelectPasses) {
    const auto all = FComponent.Passes("NOAA 18", May28, 3);
    const auto longOnes = FComponent.Passes("NOAA 18", May28, 3, 600);
    ASSERT_FALSE(longOnes.empty());
    EXPECT_LT(longOnes.size(), all.size());
    for (const auto& line : all)
        EXPECT_EQ(Words(line).LengthS >= 600,
                  std::find(longOnes.begin(), longOnes.end(), line) != longOnes.end())
            << line;
    const auto high = FComponent.Passes("NOAA 18", May28, 3, 0, 30.0);
    ASSERT_FALSE(high.empty());
    EXPECT_LT(high.size(), all.size());
    for (const auto& line : high)
        EXPECT_GE(Words(line).ElevationDeg, 30);
    EXPECT_TRUE(FComponent.Passes("NOAA 18", May28, 3, 100000).empty());
}

TEST_F(QmrSatellitesTest, WindowTakesPassesRisingInside) {
    const auto day = FComponent.Passes("NOAA 15", May28, 1);
    ASSERT_GE(day.size(), 3u);
    const TPassWords pass = Words(day[1]);
    // Starting a little before the rise finds it first; a little after, it is gone.
    auto before = FComponent.Passes("NOAA 15", pass.Rise - 2 * OneSecond, 1);
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(before.front(), day[1]);
    auto after = FComponent.Passes("NOAA 15", pass.Rise + 2 * OneSecond, 1);
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after.front(), day[2]);
    // A window that ends just after the rise has the pass whole, length and all.
    auto ending = FComponent.Passes("NOAA 15", pass.Rise + 2 * OneSecond - 1, 1);
    ASSERT_FALSE(ending.empty());
    EXPECT_EQ(ending.back(), day[1]);
    auto endingBefore = FComponent.Passes("NOAA 15", pass.Rise - 2 * OneSecond - 1, 1);
    ASSERT_FALSE(endingBefore.empty());
    EXPECT_EQ(endingBefore.back(), day[0]);
    // Days 0 is an empty window.
    EXPECT_TRUE(FComponent.Passes("NOAA 15", May28, 0).empty());
}

TEST_F(QmrSatellitesTest, GeostationarySatellitesHaveNoPasses) {
    // Always well up from Edinburgh, and never up at all.
    EXPECT_TRUE(FComponent.Passes("METEOSAT-11 (MSG-4)", May28, 7).empty());
    EXPECT_TRUE(FComponent.Passes("HIMAWARI-9", May28, 7).empty());
    // Always below a threshold of 60 degrees: it never crosses it either.
    EXPECT_TRUE(FComponent.Passes("METEOSAT-11 (MSG-4)", May28, 7, 0, 60.0).empty());
}

TEST_F(QmrSatellitesTest, UnknownNamesGiveEmptyText) {
    std::string text = "stale";
    EXPECT_EQ(FComponent->ComputePasses("NOAA-19", May28, 0, 2, 2.0, text), SOk);
    EXPECT_EQ(text, "");
    // The catalog number finds the satellite; its lines carry the text asked for.
    const auto byNumber = FComponent.Passes("33591", May28, 1);
    ASSERT_FALSE(byNumber.empty());
    EXPECT_EQ(Words(byNumber[0]).Name, "33591");
}

TEST_F(QmrSatellitesTest, DecayedOrbitKeepsThePassesBeforeTheEnd) {
    // A low orbit with a heavy drag term, built from NOAA 19's set.
    auto line = [](std::string text) {
        int sum = 0;
        for (const char c : text)
            sum += c == '-' ? 1 : (c >= '0' && c <= '9' ? c - '0' : 0);
        return text + std::to_string(sum % 10);
    };
    const std::string line1 =
        line("1 99991U 09005A   25148.52312812  .00000213  00000+0  50000-2 0  999");
    const std::string line2 =
        line("2 99991  51.6000 213.1597 0014361  41.9496 318.2774 15.9000000084040");
    const auto set = ParseElementLines(line1, line2);
    ASSERT_TRUE(set);
    TSgp4 sgp4(set->Elements);
    ASSERT_EQ(sgp4.InitError(), TSgp4Error::None);
    double endMin = 0.0;
    TStateVector state;
    while (sgp4.Propagate(endMin, state) == TSgp4Error::None && endMin < 30 * 1440.0)
        endMin += 1.0;
    ASSERT_LT(endMin, 10 * 1440.0) << "the orbit should come down within the window";
    const TDateTime end = set->Epoch + endMin / 1440.0;

    FFolder.Write("decaying.txt", "DECAYING\n" + line1 + "\n" + line2 + "\n");
    FComponent->SetLatitude(0.0);
    FComponent->SetLongitude(0.0);
    const auto passes = FComponent.Passes("DECAYING", May28, 10, 0, 0.0);
    ASSERT_FALSE(passes.empty());
    for (const auto& pass : passes) {
        const TPassWords words = Words(pass);
        EXPECT_LT(words.Rise + words.LengthS * OneSecond, end) << pass;
    }
    // The last day before the end had passes too: the search went on until the end.
    EXPECT_GT(Words(passes.back()).Rise, end - 1.0);
}

TEST_F(QmrSatellitesTest, DataFolderIsReadAgainWhenItChanges) {
    EXPECT_TRUE(FComponent.DataValid());
    EXPECT_TRUE(FComponent.Passes("VANGUARD 2", May28, 1, 0, 0.0).empty());
    FFolder.Write("3le.txt", DataFile("spacetrack-3le-excerpt-20200604.txt"));
    EXPECT_FALSE(FComponent.Passes("VANGUARD 2", May28, 1, 0, 0.0).empty());

    // A folder that does not exist is refused and the one before kept.
    EXPECT_EQ(FComponent->SetDataPath((FFolder.Path() / "missing").string()), EInvalidArg);
    EXPECT_TRUE(FComponent.DataValid());
    EXPECT_FALSE(FComponent.Passes("NOAA 19", May28, 1).empty());

    // The empty text releases the folder.
    EXPECT_EQ(FComponent->SetDataPath(""), SOk);
    EXPECT_FALSE(FComponent.DataValid());
    EXPECT_TRUE(FComponent.Passes("NOAA 19", May28, 1).empty());

    // A folder without a single valid set.
    test::TTempDir junk;
    junk.Write("notes.txt", "nothing\nto see\n");
    EXPECT_EQ(FComponent->SetDataPath(junk.Path().string()), SOk);
    EXPECT_FALSE(FComponent.DataValid());
}

// The programs learn of the folder's sets and judge downloads through the component alone.
TEST_F(QmrSatellitesTest, ElementSetsAndFilesAreJudgedThroughTheInterface) {
    std::string text;
    ASSERT_EQ(FComponent->GetElementSets(text), SOk);
    const TElementSetIndex sets(ReadElementSetEntries(text));
    const TElementSetEntry* noaa19 = sets.Find(" noaa 19 ");
    ASSERT_NE(noaa19, nullptr);
    EXPECT_EQ(noaa19->CatalogNumber, 33591);
    EXPECT_EQ(FormatCompact(noaa19->Epoch), "20250528123318");
    EXPECT_EQ(sets.Find("33591"), noaa19);
    // A new file in the folder is seen at the next question.
    FFolder.Write("3le.txt", DataFile("spacetrack-3le-excerpt-20200604.txt"));
    ASSERT_EQ(FComponent->GetElementSets(text), SOk);
    EXPECT_NE(TElementSetIndex(ReadElementSetEntries(text)).Find("VANGUARD 2"), nullptr);

    std::string problem = "stale";
    ASSERT_EQ(FComponent->CheckElementText(DataFile("weather.txt"), problem), SOk);
    EXPECT_EQ(problem, "");
    ASSERT_EQ(FComponent->CheckElementText("<html>Service unavailable</html>\n", problem), SOk);
    EXPECT_NE(problem, "");
}

std::string OmmFile(const std::string& name) {
    return test::ReadFileBytes(std::string(KESTRUNE_TEST_DATA) + "/omm/" + name);
}

// One set as three-line and two-line text and as OMM CSV, JSON and XML: the same passes, found
// by name (the two-line form has none: by catalog number), and every file read whole.
TEST(QmrSatellitesForms, SamePassesWhateverTheFormOfTheFile) {
    const std::string threeLines = OmmFile("meteor-m2-3.tle");
    const std::string twoLines = threeLines.substr(threeLines.find('\n') + 1);
    const std::vector<std::pair<std::string, std::string>> files{
        {"3le.txt", threeLines},
        {"2le.txt", twoLines},
        {"gp.php-FORMAT-csv.txt", OmmFile("meteor-m2-3.csv")},
        {"gp.php-FORMAT-json.txt", OmmFile("meteor-m2-3.json")},
        {"gp.php-FORMAT-xml.txt", OmmFile("meteor-m2-3.xml")}};
    std::vector<std::string> expected;
    for (const auto& [name, text] : files) {
        SCOPED_TRACE(name);
        test::TTempDir folder;
        folder.Write(name, text);
        TComponent component;
        ASSERT_EQ(component->SetDataPath(folder.Path().string()), SOk);
        std::string problems = "stale";
        ASSERT_EQ(component->GetFileProblems(problems), SOk);
        EXPECT_EQ(problems, "");
        std::vector<std::string> passes = component.Passes("57166", May28, 7);
        if (name != "2le.txt") {
            EXPECT_EQ(component.Passes("meteor-m2 3", May28, 7).size(), passes.size());
        }
        if (expected.empty())
            expected = passes;
        EXPECT_EQ(passes, expected);
    }
    EXPECT_GT(expected.size(), 20u);
}

// A file that is not read, or not whole, says which line and what was wrong; notes and hidden
// files (a download under way) say nothing.
TEST_F(QmrSatellitesTest, FilesNotReadSayWhy) {
    std::string json = OmmFile("meteor-m2-3.json");
    json.insert(json.find("\"NORAD_CAT_ID\""), "\n");
    FFolder.Write("meteor.json", json.substr(0, json.size() - 2));
    std::string weather = DataFile("weather.txt");
    FFolder.Write("weather.txt", "1 junk\n" + weather);
    FFolder.Write(".weather.txt.part", "half a download");
    FFolder.Write("README.md", "# Element sets\n\nFetched twice a day.\n");
    std::string text;
    ASSERT_EQ(FComponent->GetFileProblems(text), SOk);
    EXPECT_EQ(ReadCommaText(text),
              (std::vector<std::string>{
                  "meteor.json (OMM JSON) not read: line 2: expected \",\" or \"}\" at the end",
                  "weather.txt: 72 sets read, but line 1: line 1 of a set without its line 2"}));
    EXPECT_TRUE(FComponent.DataValid());
}

// The details a schedule for other programs adds to each pass line: the highest point within
// the pass, a high northbound pass rising in the south and setting in the north; none for a
// time at which no pass rises.
TEST_F(QmrSatellitesTest, APassIsDescribedByItsRise) {
    int described = 0;
    for (const std::string& line : FComponent.Passes("NOAA 19", May28, 1)) {
        const TPassWords pass = Words(line);
        std::string text;
        ASSERT_EQ(FComponent->DescribePass("NOAA 19", pass.Rise, 2.0, text), SOk);
        const std::vector<std::string> fields = ReadCommaText(text);
        ASSERT_EQ(fields.size(), 3u) << line;
        const TDateTime peak = ParseCompact(fields[0]).value_or(0);
        EXPECT_GT(peak, pass.Rise + 60 * OneSecond) << line;
        EXPECT_LT(peak, pass.Rise + (pass.LengthS - 60) * OneSecond) << line;
        const int riseDeg = std::stoi(fields[1]), setDeg = std::stoi(fields[2]);
        if (pass.Direction == "N" && pass.ElevationDeg >= 20) {
            EXPECT_TRUE(riseDeg > 90 && riseDeg < 270) << line;
            EXPECT_TRUE(setDeg < 90 || setDeg > 270) << line;
            ++described;
        }
        ASSERT_EQ(FComponent->DescribePass("NOAA 19", pass.Rise + 5 * OneSecond, 2.0, text), SOk);
        EXPECT_EQ(text, "");
    }
    EXPECT_GE(described, 1);
}

TEST_F(QmrSatellitesTest, InvalidArgumentsAreRefused) {
    std::string text;
    EXPECT_EQ(FComponent->SetLatitude(90.5), EInvalidArg);
    EXPECT_EQ(FComponent->SetLatitude(std::nan("")), EInvalidArg);
    EXPECT_EQ(FComponent->SetLongitude(INFINITY), EInvalidArg);
    EXPECT_EQ(FComponent->SetHeight(std::nan("")), EInvalidArg);
    EXPECT_EQ(FComponent->ComputePasses("NOAA 19", May28, 0, -1, 2.0, text), EInvalidArg);
    EXPECT_EQ(FComponent->ComputePasses("NOAA 19", May28, 0, 367, 2.0, text), EInvalidArg);
    EXPECT_EQ(FComponent->ComputePasses("NOAA 19", May28, 0, 1, 91.0, text), EInvalidArg);
    EXPECT_EQ(FComponent->ComputePasses("NOAA 19", std::nan(""), 0, 1, 2.0, text), EInvalidArg);
    // The location refused left the one before in place.
    EXPECT_EQ(FComponent.Passes("NOAA 19", May28, 1), FComponent.Passes("NOAA 19", May28, 1));
}

TEST(QmrSatellitesEntry, RefusesWhatItDoesNotServe) {
    void* object = reinterpret_cast<void*>(1);
    const TGuid other{0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    EXPECT_EQ(CreateSatellitesInstance(&ClsidSatellites, &IidSatellites, nullptr), EPointer);
    EXPECT_EQ(CreateSatellitesInstance(nullptr, &IidSatellites, &object), EPointer);
    EXPECT_EQ(object, nullptr);
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateSatellitesInstance(&other, &IidSatellites, &object), ClassENotAvailable);
    EXPECT_EQ(object, nullptr);
    // The interface id is not a class id.
    EXPECT_EQ(CreateSatellitesInstance(&IidSatellites, &IidSatellites, &object),
              ClassENotAvailable);
    EXPECT_EQ(CreateSatellitesInstance(&ClsidSatellites, &other, &object), ENoInterface);
    EXPECT_EQ(object, nullptr);
}

TEST(QmrSatellitesModule, LoadsAndServesThroughItsOneSymbol) {
    void* module = dlopen(QMRSATLIB_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto create = reinterpret_cast<TCreateInstanceFunc>(dlsym(module, CreateInstanceSymbol));
    ASSERT_NE(create, nullptr);
    // Nothing of the inside is visible.
    EXPECT_EQ(dlsym(module, "_ZN8kestrune24CreateSatellitesInstanceEPKNS_5TGuidES2_PPv"), nullptr);
    void* object = nullptr;
    EXPECT_EQ(create(&ClsidSatellites, &ClsidSatellites, &object), ENoInterface);
    ASSERT_EQ(create(&ClsidSatellites, &IidSatellites, &object), SOk);
    auto* satellites = static_cast<ISatellites*>(object);
    std::string version;
    EXPECT_EQ(satellites->GetLibraryVersion(version), SOk);
    EXPECT_EQ(version, QMRSATLIB_EXPECTED_VERSION);
    std::int32_t valid = -1;
    EXPECT_EQ(satellites->GetDataValid(valid), SOk);
    EXPECT_EQ(valid, 0);
    satellites->Release();
    dlclose(module);
}

} // namespace
} // namespace kestrune
