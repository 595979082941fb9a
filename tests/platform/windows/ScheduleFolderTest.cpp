#include "platform/windows/Executable.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace kestrune::test {
namespace {

TEST(ScheduleFolder, BesideTheExecutableWhenWritableElseInTheUsersOwnFolder) {
    TTempDir dir;
    const std::filesystem::path fallback = dir.Path() / "Quillmere" / "Kestrune";
    EXPECT_EQ(ScheduleFilePath(dir.Path(), fallback), dir.Path() / "Schedule.txt");
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path())); // the probe leaves nothing behind

    EXPECT_EQ(ScheduleFilePath(dir.Path() / "read-only", fallback), fallback / "Schedule.txt");
    EXPECT_TRUE(std::filesystem::is_directory(fallback));
    EXPECT_EQ(LocalAppDataFolder().filename(), "Kestrune");
}

} // namespace
} // namespace kestrune::test
