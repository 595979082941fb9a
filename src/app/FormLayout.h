#pragma once
// The main window's controls as both front-ends create them (the Qt window and the Win32
// window): names, kinds, places in pixels, captions, hints and the tab order. The windows add
// only what their toolkit does differently; what the user sees where is decided here once.

#include "app/Program.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace kestrune {

enum class TControlKind {
    TabControl,
    // A page of the tab control named as its parent; its caption is the tab's.
    TabPage,
    Label,
    Edit,
    ReadOnlyEdit,
    Button,
    GroupBox,
    // The check box and the drop-down list that keep their own setting (SettingName).
    CheckBox,
    DropDownList,
    SpinEdit,
    // The satellite grid: an editable table with SatelliteGridHeadings.
    Grid,
    // The owner-drawn pass list.
    PassList,
    // A group box of ChannelItemCount radio buttons.
    RadioGroup,
    Led,
    // A borderless panel that holds labels.
    Panel,
    StatusBar,
    ProgressBar,
};

// What a control is besides its kind and place.
enum TControlOption : std::uint32_t {
    HiddenAtStart = 1,
    DisabledAtStart = 2,
    WordWrap = 4,
    // The text at the control's right edge. A right-aligned label of width 0 ends at Left.
    AlignRight = 8,
};

// 0x00BBGGRR; DefaultTextColour leaves the control's own.
constexpr std::uint32_t DefaultTextColour = 0xFFFFFFFF;
constexpr std::uint32_t NavyText = 0x800000;
constexpr std::uint32_t WarningText = 0x0000C0;

struct TControlSpec {
    // The control's name (Qt's object name); empty for a label that nothing refers to.
    std::string_view Name;
    TControlKind Kind;
    // The window when empty; else a tab page, group box or panel of this table, earlier in it.
    std::string_view Parent;
    // In the parent's client area. A label of width 0 is as large as its text.
    int Left, Top, Width, Height;
    // A caption's line break is "\n"; "&" marks the access key.
    std::string_view Caption = {};
    std::string_view Hint = {};
    std::uint32_t Options = 0;
    std::uint32_t TextColour = DefaultTextColour;
    // The setting a check box or drop-down list keeps its state in.
    std::string_view SettingName = {};
};

// The window's client area and its place at design time.
constexpr int FormClientWidth = 364, FormClientHeight = 354;
constexpr int FormDesignLeft = 192, FormDesignTop = 107;
constexpr std::string_view ApplicationTitle = "Kestrune";

// Every control in creation order, which is the tab order.
std::span<const TControlSpec> MainFormControls();
// The control named so; throws std::logic_error for a name the table lacks.
const TControlSpec& MainFormControl(std::string_view name);

// The spin edit of each pass setting, in the order of the pass settings tab.
struct TSpinEditSpec {
    TPassSetting Setting;
    std::string_view Name;
};
std::span<const TSpinEditSpec> PassSettingSpinEdits();

// The satellite grid's columns: name (read-only), direction, shortest pass, channel.
constexpr int SatelliteGridColumns = 4;
extern const std::string_view SatelliteGridHeadings[SatelliteGridColumns];
// The grid's commands (its context menu; Insert and Delete).
constexpr std::string_view AddSatelliteCaption = "Add satellite...";
constexpr std::string_view RemoveSatelliteCaption = "Remove";
// The folder dialog's title.
constexpr std::string_view ChooseFolderTitle = "Select the 2-line orbital data folder";

} // namespace kestrune
