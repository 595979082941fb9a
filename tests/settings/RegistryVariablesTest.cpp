#include "settings/RegistryVariables.h"

#include "settings/HiveFixture.h"

#include <gtest/gtest.h>

namespace kestrune::test {
namespace {

constexpr std::string_view KestruneKey = "Software\\Quillmere\\Kestrune";

std::vector<std::uint8_t> Bytes(std::string_view raw) {
    return {raw.begin(), raw.end()};
}

using SettingObjects = THiveTest;

TEST_P(SettingObjects, FirstRunKeepsDefaultsAndWritesEveryValueAtDestruction) {
    {
        const auto context = Context();
        TRegistryString path(context, "TleDataPath", "/data/tle");
        TRegistryInteger gap(context, "PrePassGap", 10);
        TRegistryBoolean scan(context, "ScanWhenIdle", true);
        EXPECT_EQ(path.Value, "/data/tle");
        EXPECT_EQ(gap.Value, 10);
        EXPECT_TRUE(scan.Value);
        EXPECT_EQ(path.KeyPath(), "\\Software\\Quillmere\\Kestrune");
        EXPECT_FALSE(KeyExists(Registry(), TRootKey::CurrentUser, KestruneKey));
        gap.Value = 12; // what the user interface does; nothing reaches the registry yet
        EXPECT_FALSE(Stored(KestruneKey, "PrePassGap"));
    }
    Restart();
    EXPECT_EQ(Stored(KestruneKey, "TleDataPath")->Data, Utf16Bytes("/data/tle"));
    EXPECT_EQ(Stored(KestruneKey, "TleDataPath")->Type, RegSz);
    EXPECT_EQ(Stored(KestruneKey, "TleDataPath")->Data.size(), 9u * 2 + 2);
    EXPECT_EQ(*Stored(KestruneKey, "PrePassGap"),
              (TRegValue{"PrePassGap", RegDword, DwordBytes(12)}));
    EXPECT_EQ(*Stored(KestruneKey, "ScanWhenIdle"),
              (TRegValue{"ScanWhenIdle", RegDword, DwordBytes(1)}));
}

TEST_P(SettingObjects, IntegerReadsOnlyAFourByteDword) {
    Store(KestruneKey, "PrePassGap", RegSz, Utf16Bytes("15"));
    Store(KestruneKey, "PostPassGap", RegDword, Bytes("\x05\x00\x00"));
    Store(KestruneKey, "MinElevation", 11, Bytes("\x07\0\0\0\0\0\0\0")); // a QWORD
    Store(KestruneKey, "DaysLookAhead", RegDword, DwordBytes(0xFFFFFFFB));
    Restart();
    {
        const auto context = Context();
        TRegistryInteger pre(context, "PrePassGap", 10);
        TRegistryInteger post(context, "PostPassGap", 10);
        TRegistryInteger elevation(context, "MinElevation", 2);
        TRegistryInteger days(context, "DaysLookAhead", 21);
        EXPECT_EQ(pre.Value, 10);
        EXPECT_EQ(post.Value, 10);
        EXPECT_EQ(elevation.Value, 2);
        EXPECT_EQ(days.Value, -5);
    }
    Restart();
    EXPECT_EQ(*Stored(KestruneKey, "PrePassGap"),
              (TRegValue{"PrePassGap", RegDword, DwordBytes(10)}));
    EXPECT_EQ(Stored(KestruneKey, "PostPassGap")->Data, DwordBytes(10));
    EXPECT_EQ(*Stored(KestruneKey, "MinElevation"),
              (TRegValue{"MinElevation", RegDword, DwordBytes(2)}));
    EXPECT_EQ(Stored(KestruneKey, "DaysLookAhead")->Data, DwordBytes(0xFFFFFFFB));
}

TEST_P(SettingObjects, BooleanTakesAnyNonZeroDwordAndWritesOne) {
    Store(KestruneKey, "ScanWhenIdle", RegDword, DwordBytes(5));
    Store(KestruneKey, "Other", RegDword, DwordBytes(0));
    Store(KestruneKey, "Text", RegSz, Utf16Bytes("1"));
    Restart();
    {
        const auto context = Context();
        TRegistryBoolean scan(context, "ScanWhenIdle", false);
        TRegistryBoolean other(context, "Other", true);
        TRegistryBoolean text(context, "Text", false);
        EXPECT_TRUE(scan.Value);
        EXPECT_FALSE(other.Value);
        EXPECT_FALSE(text.Value);
    }
    Restart();
    EXPECT_EQ(Stored(KestruneKey, "ScanWhenIdle")->Data, DwordBytes(1));
    EXPECT_EQ(Stored(KestruneKey, "Text")->Type, RegDword);
}

TEST_P(SettingObjects, StringEdgeCases) {
    const std::string satList = R"("NOAA_19,N,720","NOAA_18,N,720","NOAA_15,S,720")";
    const std::pair<std::vector<std::uint8_t>, std::string> cases[] = {
        {{}, ""},                                 // size 0
        {Bytes({"\0\0", 2}), ""},                 // only a NUL
        {Bytes({"a\0b\0\0\0c\0\0\0", 10}), "ab"}, // ends at the first NUL
        {Bytes({"a\0b\0c", 5}), "ab"},            // an odd last byte is no character
        {Utf16Bytes("NOAA 19 \xC3\xA9\xF0\x9F\x9B\xB0"), "NOAA 19 \xC3\xA9\xF0\x9F\x9B\xB0"},
    };
    for (const auto& [data, expected] : cases) {
        Store(KestruneKey, "SatList", RegSz, data);
        Restart();
        const TRegistryString setting(Context(), "SatList", satList);
        EXPECT_EQ(setting.Value, expected) << data.size() << " bytes";
    }
}

TEST_P(SettingObjects, StringOfAnotherTypeKeepsTheDefaultEvenWhenEmpty) {
    Store(KestruneKey, "Number", RegDword, DwordBytes(7));
    Store(KestruneKey, "EmptyBinary", RegBinary, {});
    Restart();
    const auto context = Context();
    EXPECT_EQ(TRegistryString(context, "Number", "default").Value, "default");
    EXPECT_EQ(TRegistryString(context, "EmptyBinary", "default").Value, "default");
    EXPECT_EQ(TRegistryString(context, "Missing", "default").Value, "default");
}

TEST_P(SettingObjects, ExpandableStringIsReadUnexpandedAndWrittenBackAsPlainText) {
    Store(KestruneKey, "TleDataPath", RegExpandSz, Utf16Bytes("%HOME%/tle"));
    Restart();
    {
        const TRegistryString path(Context(), "TleDataPath", "");
        EXPECT_EQ(path.Value, "%HOME%/tle");
    }
    Restart();
    EXPECT_EQ(*Stored(KestruneKey, "TleDataPath"),
              (TRegValue{"TleDataPath", RegSz, Utf16Bytes("%HOME%/tle")}));
}

TEST_P(SettingObjects, KeyFollowsTheExecutableName) {
    Store(KestruneKey, "PrePassGap", RegDword, DwordBytes(14));
    Store("Software\\Quillmere\\Kestrune\\ComPortControl", "Port", RegSz, Utf16Bytes("ttyUSB0"));
    FExecutable = "/home/ann/bin/Receiver.bin";
    Restart();
    {
        const TRegistryInteger gap(Context(), "PrePassGap", 10);
        EXPECT_EQ(gap.KeyPath(), "\\Software\\Quillmere\\Receiver");
        EXPECT_EQ(gap.Value, 10);
    }
    Restart();
    EXPECT_EQ(Stored("Software\\Quillmere\\Receiver", "PrePassGap")->Data, DwordBytes(10));
    EXPECT_EQ(Stored(KestruneKey, "PrePassGap")->Data, DwordBytes(14));
    EXPECT_TRUE(Stored("Software\\Quillmere\\Kestrune\\ComPortControl", "Port"));
}

TEST(ProgramSegment, DropsFolderAndLastExtensionOnly) {
    EXPECT_EQ(ProgramSegment("Kestrune"), "Kestrune");
    EXPECT_EQ(ProgramSegment("/usr/local/bin/Kestrune"), "Kestrune");
    EXPECT_EQ(ProgramSegment("Kestrune.exe"), "Kestrune");
    EXPECT_EQ(ProgramSegment("/opt/v1.2/Kestrune.beta.exe"), "Kestrune.beta");
    EXPECT_EQ(ProgramSegment("C:\\Program Files\\Kestrune 1.2\\Kestrune.exe"), "Kestrune");
}

TEST_P(SettingObjects, SiblingReaderAnswersOnlyText) {
    const std::string zenolith = "Software\\Quillmere\\Zenolith";
    EXPECT_EQ(ReadZenolithSetting(Registry(), "CurrentLat"), "");
    Store(zenolith, "CurrentLat", RegSz, Utf16Bytes("51.5"));
    Store(zenolith, "CurrentHeight", RegDword, DwordBytes(180));
    Store(zenolith, "TwoLineDataPath", RegExpandSz, Utf16Bytes("/srv/tle"));
    Restart();
    EXPECT_EQ(ReadZenolithSetting(Registry(), "CurrentLat"), "51.5");
    EXPECT_EQ(ReadZenolithSetting(Registry(), "CurrentLon"), "");
    EXPECT_EQ(ReadZenolithSetting(Registry(), "CurrentHeight"), "");
    EXPECT_EQ(ReadZenolithSetting(Registry(), "TwoLineDataPath"), "/srv/tle");
    EXPECT_EQ(ReadProgramSetting(Registry(), "Kestrune", "CurrentLat"), "");

    const std::string company = RegistryCompany;
    RegistryCompany = "Elsewhere";
    EXPECT_EQ(ReadZenolithSetting(Registry(), "CurrentLat"), "");
    RegistryCompany = company;
}

KESTRUNE_ON_BOTH_HIVES(SettingObjects);

TEST(SettingObjectsReadOnly, KeyThatCannotBeOpenedForWritingKeepsDefaultsAndStoresNothing) {
    TMemoryRegistry registry;
    const TSettingsContext context{registry, [] { return std::string("Kestrune"); }};
    {
        std::unique_ptr<IRegistryKey> key;
        registry.CreateKey(TRootKey::CurrentUser, KestruneKey, KeyAllAccess, key);
        key->SetValue("PrePassGap", RegDword, DwordBytes(3));
    }
    registry.SetReadOnly(TRootKey::CurrentUser, true);
    {
        TRegistryInteger gap(context, "PrePassGap", 10);
        EXPECT_EQ(gap.Value, 10);
        gap.Value = 11;
    }
    registry.SetReadOnly(TRootKey::CurrentUser, false);
    EXPECT_EQ(TRegistryInteger(context, "PrePassGap", 10).Value, 3);
}

} // namespace
} // namespace kestrune::test
