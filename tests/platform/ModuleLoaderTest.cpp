#include "platform/linux/ModuleLoader.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

std::string FailureOf(const std::filesystem::path& path, const TGuid& classId = ClsidSatellites,
                      const TGuid& interfaceId = IidSatellites) {
    try {
        ConnectSatellites(path, classId, interfaceId);
    } catch (const ESatellites& error) {
        return error.what();
    }
    return "no failure";
}

TEST(ModuleLoader, ConnectsAndReleasesTheObject) {
    auto first = ConnectSatellites(TEST_MODULE);
    EXPECT_EQ(first->GetLibraryVersion(), "stub 1");
    {
        auto second = ConnectSatellites(TEST_MODULE);
        EXPECT_EQ(second->GetLibraryVersion(), "stub 2");
    }
    EXPECT_EQ(first->GetLibraryVersion(), "stub 1");
    EXPECT_TRUE(first->GetDataValid());
    try {
        first->SetHeight(12);
        FAIL() << "no error";
    } catch (const ESatellites& error) {
        EXPECT_STREQ(error.what(),
                     "ISatellites.SetHeight failed: 0x80070057 (The parameter is incorrect)");
    }
}

TEST(ModuleLoader, EveryWayOfFailingIsAClearError) {
    test::TTempDir dir;
    const std::string missing = FailureOf(dir.Path() / "QmrSatLib.so");
    EXPECT_EQ(missing.rfind("Cannot load the orbit-prediction component \"" +
                                (dir.Path() / "QmrSatLib.so").string() + "\": ",
                            0),
              0u)
        << missing;
    EXPECT_NE(FailureOf(dir.Write("QmrSatLib.so", "not an ELF file")).find("Cannot load"),
              std::string::npos);
    EXPECT_NE(FailureOf(TEST_MODULE_NO_ENTRY).find("has no entry point QmrSatLibCreateInstance"),
              std::string::npos);
    const TGuid otherClass{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_NE(FailureOf(TEST_MODULE, otherClass).find("0x80040111 (Class not available)"),
              std::string::npos);
    EXPECT_NE(FailureOf(TEST_MODULE, ClsidSatellites, otherClass)
                  .find("0x80004002 (No such interface supported)"),
              std::string::npos);
}

} // namespace
} // namespace kestrune
