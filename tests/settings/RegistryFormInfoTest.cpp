#include "settings/RegistryFormInfo.h"

#include "settings/MemoryRegistry.h"

#include <climits>
#include <gtest/gtest.h>

namespace kestrune::test {
namespace {

class TFakeWindow : public IFormPlacement {
public:
    int WindowState() const override { return State; }
    int Left() const override { return LeftPx; }
    int Top() const override { return TopPx; }
    int Width() const override { return WidthPx; }
    int Height() const override { return HeightPx; }
    int ClientWidth() const override { return WidthPx - 8; }
    int ClientHeight() const override { return HeightPx - 30; }
    void RememberFrame(int, int) override {}
    void SetLeft(int left) override { LeftPx = left; }
    void SetTop(int top) override { TopPx = top; }
    std::vector<TScreenArea> WorkAreas() const override { return Areas; }

    int State = 0, LeftPx = 100, TopPx = 80, WidthPx = 371, HeightPx = 340;
    std::vector<TScreenArea> Areas;
};

class FormInfo : public ::testing::Test {
protected:
    std::int32_t Stored(const char* name) {
        return TRegistryInteger(FContext, name, INT_MIN).Value;
    }
    void Store(const char* name, int value) {
        TRegistryInteger setting(FContext, name);
        setting.Value = value;
    }
    void StoreLeftTop(int left, int top) {
        Store("FormLeft", left);
        Store("FormTop", top);
    }
    // The position RestorePosition gives for a stored one.
    std::pair<int, int> Restored(int left, int top) {
        StoreLeftTop(left, top);
        TRegistryFormInfo info(FContext, FWindow);
        info.RestorePosition();
        return {FWindow.LeftPx, FWindow.TopPx};
    }

    TMemoryRegistry FRegistry;
    TSettingsContext FContext{FRegistry, [] { return std::string("Kestrune"); }};
    TFakeWindow FWindow;
};

TEST_F(FormInfo, StartsFromTheWindowAndWritesItsPlacementAtDestruction) {
    {
        TRegistryFormInfo info(FContext, FWindow);
        EXPECT_EQ(info.FormLeft().Value, 100);
        EXPECT_EQ(info.FormClientHeight().Value, 310);
        FWindow.State = 2;
        FWindow.LeftPx = 40;
        FWindow.TopPx = 50;
        FWindow.WidthPx = 400;
    }
    EXPECT_EQ(Stored("FormState"), 2);
    EXPECT_EQ(Stored("FormLeft"), 40);
    EXPECT_EQ(Stored("FormTop"), 50);
    EXPECT_EQ(Stored("FormWidth"), 400);
    EXPECT_EQ(Stored("FormHeight"), 340);
    EXPECT_EQ(Stored("FormClientWidth"), 392);
    EXPECT_EQ(Stored("FormClientHeight"), 310);
}

TEST_F(FormInfo, RestoresOnlyThePosition) {
    StoreLeftTop(300, 200);
    Store("FormWidth", 900);
    Store("FormState", 2);
    TRegistryFormInfo info(FContext, FWindow);
    info.RestorePosition();
    EXPECT_EQ(FWindow.LeftPx, 300);
    EXPECT_EQ(FWindow.TopPx, 200);
    EXPECT_EQ(FWindow.WidthPx, 371);
    EXPECT_EQ(FWindow.State, 0);
}

TEST_F(FormInfo, PositionOffEveryScreenIsBroughtBack) {
    FWindow.Areas = {{0, 0, 1920, 1040}, {1920, 0, 1280, 1024}};
    EXPECT_EQ(Restored(2000, 100), std::make_pair(2000, 100)); // on the second screen
    EXPECT_EQ(Restored(-5000, 100), std::make_pair(0, 100));   // nowhere: onto the primary
    EXPECT_EQ(Restored(1700, 900), std::make_pair(1549, 700)); // mostly on the primary
    EXPECT_EQ(Restored(3100, -20), std::make_pair(2829, 0));   // mostly on the second
    EXPECT_EQ(Restored(INT_MAX, INT_MIN), std::make_pair(1549, 0));
}

TEST_F(FormInfo, PositionIsTakenAsStoredWhenNoScreenIsKnown) {
    EXPECT_EQ(Restored(-5000, 100), std::make_pair(-5000, 100));
}

} // namespace
} // namespace kestrune::test
