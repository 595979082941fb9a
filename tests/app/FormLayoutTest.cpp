// The main window's control table, which both windows create their controls from.

#include "app/FormLayout.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <stdexcept>
#include <string>

namespace kestrune {
namespace {

// The client area of a tab page as the design has it.
constexpr int PageWidth = 347, PageHeight = 253;

// Every container comes before what it holds, every name once, and every control with a size
// inside its container (labels of width 0 take their text's size, which the windows measure).
TEST(FormLayout, ControlsFollowTheirContainersAndLieInsideThem) {
    struct TArea {
        int Width, Height;
        TControlKind Kind;
    };
    std::map<std::string_view, TArea> containers;
    std::set<std::string_view> names;
    for (const TControlSpec& entry : MainFormControls()) {
        if (!entry.Name.empty()) {
            EXPECT_TRUE(names.insert(entry.Name).second) << entry.Name << " twice";
        }
        TArea outer{FormClientWidth, FormClientHeight, TControlKind::Panel};
        if (!entry.Parent.empty()) {
            ASSERT_TRUE(containers.contains(entry.Parent)) << entry.Name << " before its parent";
            outer = containers.at(entry.Parent);
        }
        EXPECT_EQ(entry.Kind == TControlKind::TabPage, outer.Kind == TControlKind::TabControl)
            << entry.Name << ": tab pages are the tab control's, and only they";
        if (entry.Kind == TControlKind::TabPage) {
            containers[entry.Name] = {PageWidth, PageHeight, entry.Kind};
            continue;
        }
        if (entry.Width > 0) {
            EXPECT_GE(entry.Left, 0) << entry.Name;
            EXPECT_GE(entry.Top, 0) << entry.Name;
            EXPECT_LE(entry.Left + entry.Width, outer.Width) << entry.Name;
            EXPECT_LE(entry.Top + entry.Height, outer.Height) << entry.Name;
        }
        if (!entry.Name.empty())
            containers[entry.Name] = {entry.Width, entry.Height, entry.Kind};
    }
}

TEST(FormLayout, NamedControlsAreFoundAndOthersAreAnError) {
    EXPECT_EQ(MainFormControl("ButtonExit").Caption, "E&xit");
    EXPECT_EQ(MainFormControl("ComboBoxRxType").SettingName, "RxType");
    for (const TSpinEditSpec& spin : PassSettingSpinEdits())
        EXPECT_EQ(MainFormControl(spin.Name).Kind, TControlKind::SpinEdit) << spin.Name;
    EXPECT_THROW(MainFormControl("ButtonNone"), std::logic_error);
    EXPECT_THROW(MainFormControl(""), std::logic_error);
}

} // namespace
} // namespace kestrune
