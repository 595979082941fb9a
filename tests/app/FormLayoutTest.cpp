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
    for (const TControlSpec& spec : MainFormControls()) {
        if (!spec.Name.empty()) {
            EXPECT_TRUE(names.insert(spec.Name).second) << spec.Name << " twice";
        }
        TArea outer{FormClientWidth, FormClientHeight, TControlKind::Panel};
        if (!spec.Parent.empty()) {
            ASSERT_TRUE(containers.contains(spec.Parent)) << spec.Name << " before its parent";
            outer = containers.at(spec.Parent);
        }
        EXPECT_EQ(spec.Kind == TControlKind::TabPage, outer.Kind == TControlKind::TabControl)
            << spec.Name << ": tab pages are the tab control's, and only they";
        if (spec.Kind == TControlKind::TabPage) {
            containers[spec.Name] = {PageWidth, PageHeight, spec.Kind};
            continue;
        }
        if (spec.Width > 0) {
            EXPECT_GE(spec.Left, 0) << spec.Name;
            EXPECT_GE(spec.Top, 0) << spec.Name;
            EXPECT_LE(spec.Left + spec.Width, outer.Width) << spec.Name;
            EXPECT_LE(spec.Top + spec.Height, outer.Height) << spec.Name;
        }
        if (!spec.Name.empty())
            containers[spec.Name] = {spec.Width, spec.Height, spec.Kind};
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
