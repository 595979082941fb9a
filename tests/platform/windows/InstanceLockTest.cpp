#include "platform/windows/InstanceLock.h"

#include <gtest/gtest.h>

namespace kestrune::test {
namespace {

TEST(InstanceLock, ASecondHolderIsRefusedWithTheFirstOnesNameUntilItLetsGo) {
    const std::string name = "kestrune-test-" + std::to_string(::GetCurrentProcessId());
    {
        TInstanceLock first(name, "Kestrune, process 1234");
        try {
            TInstanceLock second(name, "kestrune-station, process 5678");
            FAIL() << "a second holder was let in";
        } catch (const EInstanceLock& refused) {
            EXPECT_STREQ(
                refused.what(),
                ("another copy is running: Kestrune, process 1234 holds the lock " + name).c_str());
        }
    }
    EXPECT_NO_THROW(TInstanceLock again(name, "kestrune-station, process 5678"));
}

} // namespace
} // namespace kestrune::test
