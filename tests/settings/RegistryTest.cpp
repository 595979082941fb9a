#include "settings/HiveFixture.h"

#include <gtest/gtest.h>

namespace kestrune::test {
namespace {

using RegistryCalls = THiveTest;

TEST_P(RegistryCalls, CreateMakesMissingParentsAndNamesIgnoreCase) {
    std::unique_ptr<IRegistryKey> key;
    EXPECT_FALSE(KeyExists(Registry(), TRootKey::CurrentUser, "Software"));
    EXPECT_EQ(Registry().OpenKey(TRootKey::CurrentUser, "\\Software\\Quillmere", KeyAllAccess, key),
              ErrorFileNotFound);
    ASSERT_EQ(Registry().CreateKey(TRootKey::CurrentUser, "\\Software\\Quillmere\\Kestrune\\",
                                   KeyAllAccess, key),
              ErrorSuccess);
    ASSERT_EQ(key->SetValue("PrePassGap", RegDword, DwordBytes(10)), ErrorSuccess);
    ASSERT_EQ(key->SetValue("prepassgap", RegDword, DwordBytes(11)), ErrorSuccess);
    Restart();
    EXPECT_TRUE(KeyExists(Registry(), TRootKey::CurrentUser, "SOFTWARE\\quillmere"));
    ASSERT_EQ(Registry().OpenKey(TRootKey::CurrentUser, "software", KeyRead, key), ErrorSuccess);
    std::string name;
    EXPECT_EQ(key->EnumKey(0, name), ErrorSuccess);
    EXPECT_EQ(name, "Quillmere");
    EXPECT_EQ(key->EnumKey(1, name), ErrorNoMoreItems);
    EXPECT_EQ(Stored("software\\QUILLMERE\\kestrune", "PREPASSGAP")->Data, DwordBytes(11));
    EXPECT_EQ(Stored("software\\QUILLMERE\\kestrune", "PREPASSGAP")->Name, "PREPASSGAP");

    for (const char* bad : {"Software\\\\Quillmere", "Soft\nware", "\\\\\\"})
        EXPECT_EQ(Registry().CreateKey(TRootKey::CurrentUser, bad, KeyAllAccess, key),
                  ErrorInvalidParameter)
            << bad;
}

TEST_P(RegistryCalls, QueryValueAnswersSizeAndMoreDataLikeWindows) {
    Store("Software\\Test", "Text", RegSz, Utf16Bytes("abc"));
    Restart();
    std::unique_ptr<IRegistryKey> key;
    ASSERT_EQ(Registry().OpenKey(TRootKey::CurrentUser, "Software\\Test", KeyRead, key),
              ErrorSuccess);
    TRegType type = RegNone;
    std::uint32_t size = 0;
    EXPECT_EQ(key->QueryValue("Text", &type, nullptr, &size), ErrorSuccess);
    EXPECT_EQ(type, RegSz);
    EXPECT_EQ(size, 8u);
    std::uint8_t buffer[8] = {};
    size = 4;
    EXPECT_EQ(key->QueryValue("Text", nullptr, buffer, &size), ErrorMoreData);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(key->QueryValue("Text", nullptr, buffer, &size), ErrorSuccess);
    EXPECT_EQ(TextFromUtf16Bytes(buffer), "abc");
    EXPECT_EQ(key->QueryValue("Missing", &type, nullptr, &size), ErrorFileNotFound);
    EXPECT_EQ(key->SetValue("Text", RegSz, Utf16Bytes("x")), ErrorAccessDenied);
    EXPECT_EQ(key->DeleteValue("Text"), ErrorAccessDenied);
}

TEST_P(RegistryCalls, EnumerationKeepsOrderAndOffersLimitedBuffers) {
    const std::string longName(256, 'n');
    Store("Software\\Test", "First", RegBinary, {1, 2, 3});
    Store("Software\\Test", longName, RegSz, Utf16Bytes("x"));
    Store("Software\\Test", "", RegDword, DwordBytes(9)); // the default value
    Restart();
    std::unique_ptr<IRegistryKey> key;
    ASSERT_EQ(Registry().OpenKey(TRootKey::CurrentUser, "Software\\Test", KeyAllAccess, key),
              ErrorSuccess);
    std::string name;
    TRegType type = RegNone;
    std::vector<std::uint8_t> data;
    ASSERT_EQ(key->EnumValue(0, 256, 256, name, type, data), ErrorSuccess);
    EXPECT_EQ(name, "First");
    EXPECT_EQ(data, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(key->EnumValue(0, 256, 2, name, type, data), ErrorMoreData);
    EXPECT_EQ(key->EnumValue(1, 256, 256, name, type, data), ErrorMoreData);
    EXPECT_EQ(key->EnumValue(1, 257, 256, name, type, data), ErrorSuccess);
    ASSERT_EQ(key->EnumValue(2, RegNoLimit, RegNoLimit, name, type, data), ErrorSuccess);
    EXPECT_EQ(name, "");
    EXPECT_EQ(key->EnumValue(3, RegNoLimit, RegNoLimit, name, type, data), ErrorNoMoreItems);

    EXPECT_EQ(key->DeleteValue("first"), ErrorSuccess);
    EXPECT_EQ(key->DeleteValue("First"), ErrorFileNotFound);
    Restart();
    EXPECT_FALSE(Stored("Software\\Test", "First"));
    EXPECT_TRUE(Stored("Software\\Test", longName));
}

KESTRUNE_ON_BOTH_HIVES(RegistryCalls);

TEST(Utf16Text, SizesAndOddCases) {
    EXPECT_EQ(Utf16Bytes(""), (std::vector<std::uint8_t>{0, 0}));
    EXPECT_EQ(Utf16Bytes("A\xC3\xA9"), (std::vector<std::uint8_t>{'A', 0, 0xE9, 0, 0, 0}));
    EXPECT_EQ(Utf16Bytes("\xF0\x9F\x9B\xB0"),
              (std::vector<std::uint8_t>{0x3D, 0xD8, 0xF0, 0xDE, 0, 0}));
    EXPECT_EQ(Utf16Length("a\xF0\x9F\x9B\xB0"), 3u);
    EXPECT_EQ(TextFromUtf16Bytes(Utf16Bytes("\xF0\x9F\x9B\xB0 ok")), "\xF0\x9F\x9B\xB0 ok");
    // Bytes that are not UTF-8, and a lone surrogate, become U+FFFD.
    EXPECT_EQ(TextFromUtf16Bytes(Utf16Bytes("a\xFF\xC3")), "a\xEF\xBF\xBD\xEF\xBF\xBD");
    const std::vector<std::uint8_t> lone{0x00, 0xD8, 'b', 0};
    EXPECT_EQ(TextFromUtf16Bytes(lone), "\xEF\xBF\xBD"
                                        "b");
    EXPECT_EQ(DwordFromBytes(DwordBytes(0xA1B2C3D4)), 0xA1B2C3D4u);
    EXPECT_EQ(DwordBytes(10), (std::vector<std::uint8_t>{10, 0, 0, 0}));
}

} // namespace
} // namespace kestrune::test
