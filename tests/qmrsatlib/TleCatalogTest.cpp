// The element sets of a data folder: which files count, which set wins, how names are found.
#include "qmrsatlib/TleCatalog.h"

#include "core/Text.h"
#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace kestrune {
namespace {

std::string DataFile(const std::string& name) {
    return test::ReadFileBytes(std::string(KESTRUNE_TEST_DATA) + "/tle/" + name);
}

TEST(TleCatalog, NewestEpochWinsWhateverTheOrder) {
    // NOAA 19 in four files of different years, with different names.
    for (const bool newestFirst : {true, false}) {
        TTleCatalog catalog;
        const char* files[] = {"noaa-status-20211208.txt", "weather-20240313.txt",
                               "spacetrack-3le-excerpt-20200604.txt", "weather.txt"};
        if (newestFirst)
            std::reverse(std::begin(files), std::end(files));
        for (const char* file : files)
            catalog.AddText(DataFile(file));
        const TElementSet* set = catalog.Find("NOAA 19");
        ASSERT_NE(set, nullptr);
        EXPECT_EQ(DecodeDateTime(set->Epoch).Year, 2025);
        EXPECT_EQ(DecodeDateTime(set->Epoch).Month, 5);
        // The older name of the same satellite leads to its newest set too.
        EXPECT_EQ(catalog.Find("METEOR M2"), catalog.Find("METEOR-M 2"));
        EXPECT_EQ(DecodeDateTime(catalog.Find("METEOR M2")->Epoch).Year, 2025);
    }
}

TEST(TleCatalog, SameSatelliteTwiceInOneFile) {
    const std::string weather = DataFile("weather.txt");
    const std::string older = DataFile("weather-20240313.txt");
    TTleCatalog catalog;
    catalog.AddText(weather + older);
    EXPECT_EQ(catalog.Size(), 72u + 2u); // the older file has two satellites the newer lacks
    EXPECT_EQ(DecodeDateTime(catalog.Find("NOAA 15")->Epoch).Year, 2025);
}

TEST(TleCatalog, NamesMatchTrimmedWithoutCaseAndNumbersAsText) {
    TTleCatalog catalog;
    catalog.AddText(DataFile("noaa-status-20211208.txt"));
    const TElementSet* set = catalog.Find("NOAA 19");
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->CatalogNumber, 33591);
    EXPECT_EQ(catalog.Find("noaa 19"), set);
    EXPECT_EQ(catalog.Find("  Noaa 19 "), set);
    EXPECT_EQ(catalog.Find("NOAA 19 [+]"), set);
    EXPECT_EQ(catalog.Find("33591"), set);
    EXPECT_EQ(catalog.Find("NOAA-19"), nullptr);
    EXPECT_EQ(catalog.Find("NOAA 1"), catalog.Find("4793"));
    EXPECT_EQ(catalog.Find(""), nullptr);
    EXPECT_EQ(catalog.Find("99999"), nullptr);
}

TEST(TleCatalog, FolderSkipsWhatIsNoElementFile) {
    test::TTempDir folder;
    folder.Write("weather.txt", DataFile("weather.txt"));
    // A binary file that holds a valid set of another satellite after a NUL byte.
    folder.Write("binary.bin", std::string("\x7f"
                                           "ELF\0\0",
                                           6) +
                                   DataFile("noaa-crlf-20251117.txt"));
    // Over 16 MiB: a valid file followed by one long line of padding.
    std::string huge = DataFile("noaa-crlf-20251117.txt") + "\n";
    huge.resize(TTleCatalog::MaxFileBytes + 1, 'x');
    folder.Write("huge.txt", huge);
    std::filesystem::create_directory(folder.Path() / "sub");
    folder.Write("sub/noaa.txt", DataFile("noaa-crlf-20251117.txt"));

    TTleCatalog catalog;
    ASSERT_TRUE(catalog.AddFolder(folder.Path()));
    EXPECT_EQ(catalog.Size(), 72u);
    // Only the skipped files have this 2025-11 NOAA 19.
    EXPECT_EQ(DecodeDateTime(catalog.Find("NOAA 19")->Epoch).Month, 5);

    // A file of exactly the limit is read.
    huge.resize(TTleCatalog::MaxFileBytes);
    ASSERT_EQ(huge.size(), TTleCatalog::MaxFileBytes);
    folder.Write("huge.txt", huge);
    TTleCatalog withHuge;
    ASSERT_TRUE(withHuge.AddFolder(folder.Path()));
    EXPECT_EQ(DecodeDateTime(withHuge.Find("NOAA 19")->Epoch).Month, 11);

    EXPECT_FALSE(TTleCatalog().AddFolder(folder.Path() / "missing"));
}

TEST(TleCatalog, UnreadableFileIsSkipped) {
    test::TTempDir folder;
    folder.Write("weather.txt", DataFile("weather.txt"));
    const auto locked = folder.Write("noaa.txt", DataFile("noaa-crlf-20251117.txt"));
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    if (std::ifstream(locked).good())
        GTEST_SKIP() << "this user reads files without permission";
    TTleCatalog catalog;
    ASSERT_TRUE(catalog.AddFolder(folder.Path()));
    EXPECT_EQ(DecodeDateTime(catalog.Find("NOAA 19")->Epoch).Month, 5);
}

TEST(TleCatalog, FolderStateNoticesChanges) {
    test::TTempDir folder;
    const TFolderState empty = ReadFolderState(folder.Path());
    EXPECT_TRUE(empty.Listed);
    folder.Write("a.txt", "x");
    const TFolderState one = ReadFolderState(folder.Path());
    EXPECT_NE(one, empty);
    EXPECT_EQ(ReadFolderState(folder.Path()), one);
    folder.Write("a.txt", "xy");
    EXPECT_NE(ReadFolderState(folder.Path()), one);
    EXPECT_FALSE(ReadFolderState(folder.Path() / "missing").Listed);
}

// A folder and a file named in UTF-8, as the settings hold them, are found and named back alike.
TEST(TleCatalog, FolderNamesOutsideAsciiRoundTrip) {
    test::TTempDir root;
    const std::string folder = Utf8FromPath(root.Path()) + "/Bjørn TLE";
    std::filesystem::create_directory(PathFromUtf8(folder));
    const std::string set = DataFile("weather.txt");
    std::ofstream(PathFromUtf8(folder + "/vær.txt")) << set;
    TTleCatalog catalog;
    ASSERT_TRUE(catalog.AddFolder(PathFromUtf8(folder)));
    EXPECT_NE(catalog.Find("NOAA 19"), nullptr);
    const TFolderState state = ReadFolderState(PathFromUtf8(folder));
    ASSERT_EQ(state.Files.size(), 1u);
    EXPECT_EQ(state.Files[0].Name, "vær.txt");
}

} // namespace
} // namespace kestrune
