// The main window over the program core, with an in-memory registry, a fake orbit component,
// a clock the test moves, and the port on a spied loop-back device.

#include "ui/FormMain.h"

#include "app/FormLayout.h"
#include "core/CommaText.h"
#include "serial/ComPort.h"
#include "support/FakeServices.h"
#include "support/PassTexts.h"
#include "ui/AboutBox.h"
#include "ui/Led.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace kestrune {
namespace {

class TAnsweringSetup final : public IComSetupView {
public:
    int Shown = 0;
    bool ShowModal(TComSetupForm&) override {
        ++Shown;
        return false;
    }
};

class FormMainTest : public ::testing::Test, protected test::TFakeServices {
protected:
    TAnsweringSetup Setup;
    QString ChosenFolder;
    QString ChosenSatellite;
    std::vector<std::string> Offered;
    std::vector<std::string> Messages, Errors, Questions;
    bool Answer = true;

    std::unique_ptr<TFormMain> Open() {
        const TProgramEnvironment environment = Environment();
        TFormMainServices services;
        services.ShowBox = [this](QWidget*, const QString& text, bool error) {
            (error ? Errors : Messages).push_back(text.toStdString());
        };
        services.Ask = [this](QWidget*, const QString& text) {
            Questions.push_back(text.toStdString());
            return Answer;
        };
        services.ChooseFolder = [this](QWidget*, const QString&) { return ChosenFolder; };
        services.ComSetup = &Setup;
        services.ChooseSatellite = [this](QWidget*, const TElementSetIndex& sets, TDateTime) {
            Offered.clear();
            for (const TElementSetEntry& set : sets.Entries())
                Offered.push_back(set.Name);
            return ChosenSatellite;
        };
        auto form = std::make_unique<TFormMain>(environment, services);
        form->show();
        return form;
    }

    template <typename T> static T* Find(TFormMain& form, const char* name) {
        T* control = form.findChild<T*>(name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    static std::string Text(TFormMain& form, const char* name) {
        return Find<QLineEdit>(form, name)->text().toStdString();
    }
    static void SetText(TFormMain& form, const char* name, const char* text) {
        Find<QLineEdit>(form, name)->setText(text);
    }
};

TEST_F(FormMainTest, FirstStartShowsTheDefaultsAndAsksForThePort) {
    auto form = Open();
    EXPECT_EQ(Text(*form, "EditLatitude"), "55.9");
    EXPECT_EQ(Text(*form, "EditLongitude"), "-3.2");
    EXPECT_EQ(Text(*form, "EditHeight"), "180");
    const char* spins[] = {"SpinEditPrePassGap", "SpinEditPostPassGap", "SpinEditMinElevation",
                           "SpinEditDaysLookahead"};
    std::vector<int> values;
    for (const char* name : spins)
        values.push_back(Find<QSpinBox>(*form, name)->value());
    EXPECT_EQ(values, (std::vector<int>{10, 10, 2, 21}));
    // No stored port: the attempt to open it names no port; then the type becomes RX2, and
    // with no data folder the component's data are not usable.
    EXPECT_EQ(Messages,
              (std::vector<std::string>{"Error opening: ",
                                        "Please select a path for the 2-line orbital data"}));
    EXPECT_EQ(Find<QComboBox>(*form, "ComboBoxRxType")->currentText(), "RX2");
    EXPECT_FALSE(form->Timer().isActive());
    EXPECT_EQ(Find<QPushButton>(*form, "ButtonPortSetup")->toolTip(), " at 9600 baud");
    EXPECT_EQ(Find<QLabel>(*form, "LabelVersion")->toolTip(), "DLL version: 9.8.7");
    EXPECT_EQ(form->Title(), "Kestrune");
    EXPECT_TRUE(Errors.empty());
    // The about box says where the files are, beside the application's icon.
    EXPECT_EQ(form->AboutBox().findChild<QLabel*>("FileLocations")->text().toStdString(),
              "Settings: HKEY_CURRENT_USER\\Software\\Quillmere\\Kestrune\nSchedule: " +
                  (Dir.Path() / "Schedule.txt").string());
    EXPECT_FALSE(QApplication::windowIcon().isNull());

    // Closing writes every setting.
    form.reset();
    EXPECT_EQ(StoredString("ObsLatitude"), "55.9");
    EXPECT_EQ(StoredString("ObsHeight"), "180");
    EXPECT_EQ(StoredInteger("DaysLookAhead"), 21);
    EXPECT_EQ(StoredString("TleDataPath"), "");
    EXPECT_EQ(StoredString("SatList"), R"("NOAA_19,N,720","NOAA_18,N,720","NOAA_15,S,720")");
    EXPECT_EQ(StoredInteger("FormClientWidth"), 364);
    EXPECT_EQ(StoredInteger("FormClientHeight"), 354);
    EXPECT_EQ(TRegistryBoolean(Settings, "ScanWhenIdle", false).Value, true);
    // Nobody gave a satellite a channel: the settings hold only the window's own values.
    EXPECT_EQ(StoredString("SatChannels"), "<none>");
}

// The controls stand where the window table puts them, with its hints.
TEST_F(FormMainTest, TheControlsAreWhereTheTableSays) {
    auto form = Open();
    for (const TControlSpec& entry : MainFormControls()) {
        if (entry.Name.empty() || entry.Kind == TControlKind::TabPage)
            continue;
        const std::string name(entry.Name);
        auto* control = Find<QWidget>(*form, name.c_str());
        if (control == nullptr)
            continue;
        EXPECT_EQ(control->pos(), QPoint(entry.Left, entry.Top)) << name;
        if (entry.Width > 0) {
            EXPECT_EQ(control->size(), QSize(entry.Width, entry.Height)) << name;
        }
        if (!entry.Hint.empty()) {
            EXPECT_EQ(control->toolTip().toStdString(), entry.Hint) << name;
        }
    }
}

TEST_F(FormMainTest, StoredValuesOutsideTheSpinRangesAreClampedAndStored) {
    Store("DaysLookAhead", 40);
    Store("PrePassGap", 1);
    auto form = Open();
    EXPECT_EQ(Find<QSpinBox>(*form, "SpinEditDaysLookahead")->value(), 28);
    EXPECT_EQ(Find<QSpinBox>(*form, "SpinEditPrePassGap")->value(), 2);
    form.reset();
    EXPECT_EQ(StoredInteger("DaysLookAhead"), 28);
    EXPECT_EQ(StoredInteger("PrePassGap"), 2);
}

// Typed numbers are taken as they are typed and moved to the nearer bound when the focus leaves.
TEST_F(FormMainTest, SpinEditsTakeTypedTextAndClampItWhenTheFocusLeaves) {
    auto form = Open();
    const auto type = [&](const char* name, const char* text) {
        auto* spin = Find<QSpinBox>(*form, name);
        auto* edit = spin->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        return spin;
    };
    const auto leave = [](QSpinBox* spin) {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(spin, &out);
        return spin->value();
    };
    QSpinBox* pre = type("SpinEditPrePassGap", "99");
    EXPECT_EQ(form->Program().PassSetting(TPassSetting::PrePassGap), 99);
    EXPECT_EQ(leave(pre), 15);
    EXPECT_EQ(leave(type("SpinEditPostPassGap", "1")), 2);
    EXPECT_EQ(leave(type("SpinEditDaysLookahead", "40")), 28);
    EXPECT_EQ(leave(type("SpinEditMinElevation", "7")), 7);
    form.reset();
    EXPECT_EQ(StoredInteger("PrePassGap"), 15);
    EXPECT_EQ(StoredInteger("PostPassGap"), 2);
    EXPECT_EQ(StoredInteger("DaysLookAhead"), 28);
    EXPECT_EQ(StoredInteger("MinElevation"), 7);
}

TEST_F(FormMainTest, LocationRestartFallsBackForTextsThatAreNoNumbers) {
    Store("TleDataPath", std::string("/data/tle/"));
    auto form = Open();
    ASSERT_TRUE(form->Timer().isActive());
    SetText(*form, "EditLatitude", "north");
    SetText(*form, "EditLongitude", "-3.25");
    SetText(*form, "EditHeight", "");
    Find<QPushButton>(*form, "ButtonUpdateLocation")->click();
    EXPECT_EQ(Text(*form, "EditLatitude"), "55.905");
    EXPECT_EQ(Text(*form, "EditLongitude"), "-3.25");
    EXPECT_EQ(Text(*form, "EditHeight"), "150");
    // The next tick rebuilds the pass list for the new place.
    form->Program().Tick();
    EXPECT_DOUBLE_EQ(Component.LatitudeDeg, 55.905);
    EXPECT_DOUBLE_EQ(Component.HeightM, 150);
    form.reset();
    EXPECT_EQ(StoredString("ObsLatitude"), "55.905");
    EXPECT_EQ(StoredString("ObsHeight"), "150");
}

TEST_F(FormMainTest, ChosenFolderGetsItsDelimiterAndRestarts) {
    auto form = Open();
    ASSERT_FALSE(form->Timer().isActive());
    ChosenFolder = "/srv/tle";
    Find<QPushButton>(*form, "ButtonTleFolder")->click();
    EXPECT_EQ(Text(*form, "EditDataPath"), "/srv/tle/");
    EXPECT_EQ(Component.DataPath, "/srv/tle/");
    EXPECT_TRUE(form->Timer().isActive());
    ChosenFolder = "/";
    Find<QPushButton>(*form, "ButtonTleFolder")->click();
    EXPECT_EQ(Text(*form, "EditDataPath"), "/");
    ChosenFolder = ""; // cancelled
    Find<QPushButton>(*form, "ButtonTleFolder")->click();
    EXPECT_EQ(Text(*form, "EditDataPath"), "/");
    form.reset();
    EXPECT_EQ(StoredString("TleDataPath"), "/");
}

TEST_F(FormMainTest, PortSetupWithThePortClosedStoresAndKeepsItClosed) {
    Store("RxType", RxDde);
    Store("TleDataPath", std::string("/data/tle/"));
    StorePort("loop://");
    std::unique_ptr<IRegistryKey> ports; // the machine's port list, empty
    ASSERT_EQ(Registry.CreateKey(TRootKey::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM",
                                 KeyAllAccess, ports),
              ErrorSuccess);
    auto form = Open();
    EXPECT_TRUE(Messages.empty()) << Messages.front(); // DDE: no attempt to open the port
    EXPECT_FALSE(form->Program().Port().Connected());
    Find<QPushButton>(*form, "ButtonPortSetup")->click();
    EXPECT_EQ(Setup.Shown, 1);
    EXPECT_TRUE(Errors.empty()) << Errors.front();
    EXPECT_FALSE(form->Program().Port().Connected());
    EXPECT_EQ(Find<QPushButton>(*form, "ButtonPortSetup")->toolTip(), "loop:// at 9600 baud");
    std::unique_ptr<IRegistryKey> key;
    EXPECT_EQ(Registry.OpenKey(TRootKey::CurrentUser,
                               "Software\\Quillmere\\Kestrune\\ComPortControl", KeyRead, key),
              ErrorSuccess);
    // The setup tab and the status say what really happens: no port, no receiver driven.
    auto* portState = Find<QLabel>(*form, "LabelPortState");
    auto* status = Find<QLabel>(*form, "LabelStatus");
    EXPECT_TRUE(Questions.empty());
    EXPECT_EQ(portState->text(), "port not used");
    form->Program().Tick();
    EXPECT_TRUE(status->toolTip().endsWith("| DDE: the tracking string only, no receiver driven"))
        << status->toolTip().toStdString();

    // A serial receiver wants the port: after Port setup the window offers to open it.
    form->Program().SetReceiverType(RxRx2);
    Answer = false;
    Find<QPushButton>(*form, "ButtonPortSetup")->click();
    EXPECT_EQ(Questions,
              std::vector<std::string>{
                  "The port loop:// is closed, and the receiver needs it. Open it now?"});
    EXPECT_EQ(portState->text(), "loop:// closed");
    Answer = true;
    Find<QPushButton>(*form, "ButtonPortSetup")->click();
    EXPECT_TRUE(form->Program().Port().Connected());
    EXPECT_EQ(portState->text(), "loop:// open");
    form->Program().Tick();
    EXPECT_TRUE(status->toolTip().endsWith("| RX2: scanning")) << status->toolTip().toStdString();
}

TEST_F(FormMainTest, RigctlTunesTheSdrProgramAndOpensNoPort) {
    Store("RxType", RxRigctl);
    Store("TleDataPath", std::string("/data/tle/"));
    StorePort("loop://");
    Store("RigctlAddress", std::string("127.0.0.1:7356"));
    auto form = Open();
    auto* types = Find<QComboBox>(*form, "ComboBoxRxType");
    EXPECT_EQ(types->currentText(), "rigctl");
    EXPECT_EQ(types->count(), 5);
    EXPECT_TRUE(Messages.empty()) << Messages.front();
    EXPECT_FALSE(form->Program().Port().Connected());
    EXPECT_EQ(RigAddress, "127.0.0.1:7356");

    auto* channel = Find<QGroupBox>(*form, "RadioGroupChannel")->findChildren<QRadioButton*>()[6];
    channel->click();
    ASSERT_NE(Rig, nullptr);
    EXPECT_EQ(Rig->Sent, (std::vector<std::string>{"F 137910000", "M FM 40000"}));
    form.reset();
    EXPECT_EQ(StoredString("RigctlAddress"), "127.0.0.1:7356");
}

TEST_F(FormMainTest, FreshElementSetsAreFetchedAtStartAndShownOnTheSetupTab) {
    const std::string url = "https://celestrak.org/NORAD/elements/weather.txt";
    Store("TleUrls", url);
    Store("TleDataPath", Dir.Path().string() + "/");
    const std::string weather =
        test::ReadFileBytes(std::string(KESTRUNE_TEST_DATA) + "/tle/weather.txt");
    Downloads.Served[url] = {weather, "", 1};
    auto form = Open();
    auto* label = Find<QLabel>(*form, "LabelTleRefreshed");
    EXPECT_EQ(label->text(), "");
    form->Program().ServiceDownloads();
    EXPECT_EQ(Downloads.Started, std::vector<std::string>{url});
    EXPECT_EQ(test::ReadFileBytes(Dir.Path() / "weather.txt"), weather);
    EXPECT_EQ(label->text(), "refreshed 10:00 UTC");
    EXPECT_EQ(label->toolTip(), "element sets refreshed at 2026-12-08T10:00:00Z: weather.txt");
}

TEST_F(FormMainTest, WithoutTheSdrSettingsNoneIsWritten) {
    auto form = Open();
    EXPECT_EQ(RigAddress, DefaultRigctlAddress);
    form->Program().ServiceDownloads();
    EXPECT_TRUE(Downloads.Started.empty());
    form.reset();
    EXPECT_EQ(StoredString("RigctlAddress"), "<none>");
    EXPECT_EQ(StoredString("PassStartCommand"), "<none>");
    EXPECT_EQ(StoredString("PassEndCommand"), "<none>");
    EXPECT_EQ(StoredString("TleUrls"), "<none>");
    EXPECT_EQ(StoredString("TleRefreshHours"), "<none>");
}

TEST_F(FormMainTest, AStoredPositionOffEveryScreenIsBroughtBack) {
    Store("FormLeft", -5000);
    Store("FormTop", -5000);
    auto form = Open();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(form->frameGeometry())) << form->frameGeometry().x();
}

// The frame's corner is stored and the same corner restored: start after start, the window
// stays where it was, frame and all.
TEST_F(FormMainTest, ThePlacementComesBackAsItWasStored) {
    const std::pair<const char*, int> stored[] = {
        {"FormLeft", 300},   {"FormTop", 200},         {"FormWidth", 366},
        {"FormHeight", 375}, {"FormClientWidth", 364}, {"FormClientHeight", 354}};
    for (const auto& [name, value] : stored)
        Store(name, value);
    for (int start = 0; start < 2; ++start) {
        auto form = Open();
        EXPECT_EQ(form->frameGeometry().topLeft(), QPoint(300, 200));
        const QSize frame = form->frameGeometry().size();
        form.reset();
        EXPECT_EQ(StoredInteger("FormLeft"), 300);
        EXPECT_EQ(StoredInteger("FormTop"), 200);
        EXPECT_EQ(StoredInteger("FormWidth"), frame.width());
        EXPECT_EQ(StoredInteger("FormHeight"), frame.height());
    }
}

TEST_F(FormMainTest, ALineSelectedInThePassListReachesTheSequencer) {
    Store("TleDataPath", std::string("/data/tle/"));
    StorePort("loop://");
    Store("PrePassGap", 2);
    const std::vector<std::string> lines{
        "20261208100010 N 40 120 5 NOAA 19", "20261208110000 N 40 120 5 NOAA 19",
        "20261208120000 N 40 120 5 NOAA 19", "20261208130000 N 40 120 5 NOAA 19"};
    Component.Passes["NOAA 19"] = WriteCommaText(lines);
    auto form = Open();
    auto* list = Find<QListWidget>(*form, "ListBoxSatelliteList");
    const auto tickAt = [&](int second) {
        Clock.Set(Start + second * OneSecond);
        form->Program().Tick();
    };
    for (int second = 0; second <= 12; ++second)
        tickAt(second);
    ASSERT_EQ(form->Program().Sequencer().State(), TSequencerState::Receiving);
    // The user picks the third line during the reception; redrawing the list keeps it.
    list->setCurrentRow(2);
    EXPECT_EQ(form->Program().PassList().ItemIndex(), 2);
    tickAt(13);
    EXPECT_EQ(list->currentRow(), 2);
    for (int second = 14; second <= 18; ++second)
        tickAt(second);
    EXPECT_EQ(test::PassTexts(form->Program().PassList()), std::vector<std::string>{lines[3]});
    EXPECT_EQ(list->count(), 1);
}

// The window's own report boxes: a tick that fails returns, and the clock goes on while the
// report is open (a box that waited for its OK would hang this test).
TEST_F(FormMainTest, AnOpenReportDoesNotHoldTheClock) {
    Store("TleDataPath", std::string("/data/tle/"));
    StorePort("loop://");
    Component.Passes["NOAA 19"] = "\"20261208100020 N 40 120 5 NOAA 19\"";
    Component.Failures["ComputePasses"] = EFail;
    auto form = std::make_unique<TFormMain>(Environment());
    form->show();
    form->Program().Tick();
    const auto boxes = form->findChildren<QMessageBox*>();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0]->isVisible());

    // With the report still open, a restart rebuilds and the ticks go on; the same report is
    // not opened twice.
    Component.Failures.clear();
    form->Program().Rebuild();
    for (int second = 1; second <= 3; ++second) {
        Clock.Set(Start + second * OneSecond);
        form->Program().Tick();
    }
    EXPECT_EQ(form->Program().Sequencer().State(), TSequencerState::Idle);
    EXPECT_EQ(Find<QLineEdit>(*form, "EditDDEstring")->text().toStdString(),
              "UP0 DN0 UMFM-W DMFM-W AZ000 EL000 SN");
    form->ShowError("Error setting RTS");
    form->ShowError("Error setting RTS");
    EXPECT_EQ(form->findChildren<QMessageBox*>().size(), 2);
}

TEST_F(FormMainTest, SatellitesAreAddedWithTheirLikelyChannelAndRemoved) {
    // The component's sets are years older than the clock.
    Component.ElementSets = {{"METEOR-M2 3", 57166, EncodeDateTime(2025, 5, 28)},
                             {"NOAA 18", 28654, EncodeDateTime(2025, 5, 28)}};
    auto form = Open();
    auto* grid = Find<QTableWidget>(*form, "StringGridSatList");
    ASSERT_EQ(grid->rowCount(), 3);
    ASSERT_EQ(grid->columnCount(), 4);
    const auto trigger = [&](const QString& text) {
        for (QAction* action : grid->actions()) {
            if (action->text() == text)
                action->trigger();
        }
    };
    ChosenSatellite = "METEOR-M2 3";
    trigger("Add satellite...");
    EXPECT_NE(std::find(Offered.begin(), Offered.end(), "METEOR-M2 3"), Offered.end());
    ASSERT_EQ(grid->rowCount(), 4);
    QStringList added;
    for (int column = 0; column < 4; ++column)
        added << grid->item(3, column)->text();
    EXPECT_EQ(added, QStringList({"METEOR-M2 3", "B", "330", "137.900"}));
    EXPECT_EQ(Messages.back(), "METEOR-M2 3 is on the list: click Restart to predict its passes.");
    // Removing asks first.
    grid->setCurrentCell(0, 1);
    Answer = false;
    trigger("Remove");
    EXPECT_EQ(Questions, std::vector<std::string>{"Remove NOAA 19 from the satellite list?"});
    ASSERT_EQ(grid->rowCount(), 4);
    Answer = true;
    trigger("Remove");
    ASSERT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(grid->item(0, 0)->text(), "NOAA 18");
    // The test data are years older than the clock: the lines above the grid and above the pass
    // list say so.
    for (const char* name : {"LabelSatWarning", "LabelPassWarning"})
        EXPECT_TRUE(
            Find<QLabel>(*form, name)->toolTip().contains("the element set of METEOR-M2 3 is "))
            << name;
    form.reset();
    EXPECT_EQ(StoredString("SatList"), R"("NOAA_18,N,720","NOAA_15,S,720","METEOR-M2_3,B,330")");
    EXPECT_EQ(StoredString("SatChannels"), R"("METEOR-M2_3,137900000,FM,120000")");
}

// What the program core shows through a pass reaches the window's controls (the core's own test
// holds the texts and the port's bytes).
TEST_F(FormMainTest, APassShowsInTheWindowsControls) {
    StorePort("loop://");
    Store("RxType", RxRx2);
    Store("TleDataPath", std::string("/data/tle/"));
    Store("PrePassGap", 3);
    Store("PostPassGap", 2);
    // NOAA 19 rises 20 s after the start for 5 s.
    Component.Passes["NOAA 19"] = "\"20261208100020 N 40 120 5 NOAA 19\"";
    auto form = Open();
    ASSERT_TRUE(Messages.empty()) << Messages.front();
    ASSERT_TRUE(form->Timer().isActive());
    auto* status = Find<QStatusBar>(*form, "StatusBar1");
    auto* dde = Find<QLineEdit>(*form, "EditDDEstring");
    auto* skip = Find<QPushButton>(*form, "ButtonSkip");
    auto* led = Find<TLED>(*form, "LED1");

    const auto tickAt = [&](int second) {
        Clock.Set(Start + second * OneSecond);
        form->Program().Tick();
    };
    tickAt(0); // builds the pass list
    EXPECT_EQ(form->findChild<QLabel*>("LabelNextPass")->text(), "Next pass: 10:00:20 UTC");
    EXPECT_EQ(form->Timer().interval(), 1000);
    std::vector<std::string> titles;
    for (int second = 1; second <= 30; ++second) {
        tickAt(second);
        titles.push_back(form->windowTitle().toStdString());
        if (second == 22) {
            EXPECT_EQ(status->currentMessage(), "  Receiving NOAA 19 northbound,  4s left");
            EXPECT_EQ(dde->text(), "UP0 DN137100000 UMFM-W DMFM-W AZ000 EL000 SNNOAA 19");
            EXPECT_LE(QFontMetrics(dde->font()).horizontalAdvance(dde->text()), dde->width() - 12);
            EXPECT_EQ(Tracking.Texts.back(), dde->text().toStdString());
            EXPECT_EQ(led->Colour(), ClLime);
            EXPECT_TRUE(skip->isEnabled());
            EXPECT_EQ(form->Title(), "NOAA 19 (4s)");
        }
    }
    // Seen 3 s before the start, then three seconds of pause; reception begins the tick after.
    EXPECT_EQ(titles[16], "RX channel 0"); // second 17
    EXPECT_EQ(titles[17], "Kestrune -  Pausing before signal 2s");
    EXPECT_EQ(titles[19], "Kestrune -  Pausing before signal 0s");
    EXPECT_EQ(titles[20], "NOAA 19 pass");
    EXPECT_EQ(titles[29], "RX scanning...");
    EXPECT_FALSE(skip->isEnabled());
    EXPECT_TRUE(Errors.empty());
}

} // namespace
} // namespace kestrune
