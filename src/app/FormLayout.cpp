#include "app/FormLayout.h"

#include <stdexcept>
#include <string>

namespace kestrune {

namespace {

using enum TControlKind;

// Labels before the spin edits end 4 pixels before them, 2 pixels lower; their units follow.
constexpr TControlSpec Controls[] = {
    {"PageControl1", TabControl, "", 4, 4, 355, 281},
    {"TabSheetSetup", TabPage, "PageControl1", 0, 0, 0, 0, " Setup "},
    {"TabSheetPass", TabPage, "PageControl1", 0, 0, 0, 0, " Kestrune "},
    {"TabSheetSatellites", TabPage, "PageControl1", 0, 0, 0, 0, "Satellites"},
    {"TabSheetControl", TabPage, "PageControl1", 0, 0, 0, 0, "Timer "},

    {"Label1", Label, "TabSheetSetup", 8, 12, 0, 0, "Get 2-line orbital data from"},
    {"EditDataPath", ReadOnlyEdit, "TabSheetSetup", 0, 28, 305, 21},
    {"LabelTleRefreshed", Label, "TabSheetSetup", 185, 12, 120, 16, {}, {}, AlignRight},
    {"ButtonTleFolder", Button, "TabSheetSetup", 224, 54, 81, 25, "Browse..."},
    {"GroupBoxLocation", GroupBox, "TabSheetSetup", 0, 60, 209, 125, " Location details ",
     "Enter location details, click Restart when finished"},
    {"", Label, "GroupBoxLocation", 8, 22, 0, 0, "Latitude"},
    {"", Label, "GroupBoxLocation", 8, 52, 0, 0, "Longitude"},
    {"", Label, "GroupBoxLocation", 8, 76, 0, 0, "Altitude"},
    {"", Label, "GroupBoxLocation", 8, 92, 0, 0, "(metres)"},
    {"EditLatitude", Edit, "GroupBoxLocation", 72, 20, 57, 21},
    {"EditLongitude", Edit, "GroupBoxLocation", 72, 50, 57, 21},
    {"EditHeight", Edit, "GroupBoxLocation", 72, 80, 49, 21},
    {"ButtonUpdateLocation", Button, "GroupBoxLocation", 128, 96, 73, 25, "Restart"},
    {"BitBtnReadZenolithLocn", Button, "GroupBoxLocation", 136, 16, 65, 45, "From\nZenolith",
     "Load location details from Zenolith"},
    {"LabelPortState", Label, "TabSheetSetup", 224, 92, 81, 16},
    {"ButtonPortSetup", Button, "TabSheetSetup", 224, 112, 81, 25, "Port setup"},
    {"LabelRX2settings",
     Label,
     "TabSheetSetup",
     228,
     140,
     81,
     73,
     "RX2 settings: 1200, 8, 1, None, None",
     {},
     WordWrap},
    {"CheckBoxScanWhenIdle", CheckBox, "TabSheetSetup", 112, 190, 105, 17, "Scan if idle",
     "Uncheck to stop the RX scanning between passes", 0, DefaultTextColour, "ScanWhenIdle"},
    {"LabelReceiver", Label, "TabSheetSetup", 8, 208, 0, 0, "Receiver type"},
    {"ComboBoxRxType",
     DropDownList,
     "TabSheetSetup",
     0,
     224,
     97,
     23,
     {},
     {},
     0,
     DefaultTextColour,
     "RxType"},
    {"ButtonAbout", Button, "TabSheetSetup", 224, 224, 81, 25, "About..."},

    {"", Label, "TabSheetPass", 140, 18, 0, 0, "Start of pass gap", {}, AlignRight},
    {"", Label, "TabSheetPass", 192, 18, 0, 0, "seconds"},
    {"SpinEditPrePassGap", SpinEdit, "TabSheetPass", 144, 16, 41, 22},
    {"", Label, "TabSheetPass", 140, 54, 0, 0, "End of pass gap", {}, AlignRight},
    {"", Label, "TabSheetPass", 192, 54, 0, 0, "seconds"},
    {"SpinEditPostPassGap", SpinEdit, "TabSheetPass", 144, 52, 41, 22},
    {"GroupBoxPrediction", GroupBox, "TabSheetPass", 0, 96, 257, 145, " Prediction control "},
    {"", Label, "GroupBoxPrediction", 132, 29, 0, 0, "Minimum elevation", {}, AlignRight},
    {"", Label, "GroupBoxPrediction", 181, 29, 0, 0, "degrees"},
    {"SpinEditMinElevation", SpinEdit, "GroupBoxPrediction", 136, 27, 41, 22},
    {"", Label, "GroupBoxPrediction", 132, 69, 0, 0, "Predict for", {}, AlignRight},
    {"", Label, "GroupBoxPrediction", 181, 69, 0, 0, "days"},
    {"SpinEditDaysLookahead", SpinEdit, "GroupBoxPrediction", 136, 67, 41, 22},
    {"ButtonRestart", Button, "GroupBoxPrediction", 176, 112, 73, 25, "Restart"},

    // Wider than the three columns of the design needed, so that the channel column fits, and
    // as much shorter as keeps the Restart button below it.
    {"StringGridSatList", Grid, "TabSheetSatellites", 0, 20, 340, 145},
    {"LabelSatWarning", Label, "TabSheetSatellites", 0, 2, 347, 16, {}, {}, 0, WarningText},
    {"Button1", Button, "TabSheetSatellites", 240, 168, 73, 25, "Restart"},
    {"", Label, "TabSheetSatellites", 8, 208, 0, 0,
     "Col 1:  Direction  N- north,  S - south,  B - both,  X - none"},
    {"", Label, "TabSheetSatellites", 8, 224, 0, 0,
     "Col 2:  Duration  Required minimum pass in seconds"},

    {"", Label, "TabSheetControl", 8, 4, 0, 0, "Pass list"},
    {"LabelPassWarning", Label, "TabSheetControl", 60, 4, 171, 16, {}, {}, 0, WarningText},
    {"ListBoxSatelliteList", PassList, "TabSheetControl", 0, 20, 231, 157},
    {"RadioGroupChannel", RadioGroup, "TabSheetControl", 236, 4, 80, 213, " Chan, MHz "},
    {"LED1", Led, "TabSheetControl", 10, 192, 15, 21},
    {"Panel1", Panel, "TabSheetControl", 32, 178, 146, 49},
    {"LabelUTC", Label, "Panel1", 0, 4, 146, 20, "UTC date/time here", {}, AlignRight},
    {"LabelNextPass", Label, "Panel1", 0, 24, 146, 20, "Next pass here", {}, AlignRight},
    {"ButtonSkip", Button, "TabSheetControl", 184, 192, 41, 25, "S&kip",
     "Skip the currently active pass", DisabledAtStart},
    {"StatusBar1", StatusBar, "TabSheetControl", 0, 228, 347, 25},

    {"EditDDEstring", ReadOnlyEdit, "", 8, 291, 347, 21, "DDE string here ..."},
    {"LabelVersion", Label, "", 8, 328, 0, 0, "Program version: ", {}, 0, NavyText},
    {"ProgressBarPass", ProgressBar, "", 8, 325, 193, 21, {}, {}, HiddenAtStart},
    {"ButtonExit", Button, "", 292, 321, 64, 25, "E&xit"},
};

constexpr TSpinEditSpec SpinEdits[] = {
    {TPassSetting::PrePassGap, "SpinEditPrePassGap"},
    {TPassSetting::PostPassGap, "SpinEditPostPassGap"},
    {TPassSetting::MinElevation, "SpinEditMinElevation"},
    {TPassSetting::DaysLookahead, "SpinEditDaysLookahead"},
};

} // namespace

const std::string_view SatelliteGridHeadings[SatelliteGridColumns] = {
    " Satellite name ", " Direction ", " Duration ", " Channel "};

std::span<const TControlSpec> MainFormControls() {
    return Controls;
}

const TControlSpec& MainFormControl(std::string_view name) {
    for (const TControlSpec& control : Controls) {
        if (!name.empty() && control.Name == name)
            return control;
    }
    throw std::logic_error("The main window has no control " + std::string(name));
}

std::span<const TSpinEditSpec> PassSettingSpinEdits() {
    return SpinEdits;
}

} // namespace kestrune
