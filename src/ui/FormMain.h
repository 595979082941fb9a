#pragma once
// The main window: one fixed-size window with four tabs (setup, pass settings, satellites,
// timer) over the program core. Its handlers are a few lines each that call the core; what the
// core shows arrives through IProgramView.

#include "app/Program.h"
#include "platform/linux/VersionInfoReader.h"

#include <QFont>
#include <QMargins>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QStatusBar;
class QSystemTrayIcon;
class QTabWidget;
class QTableWidget;

namespace kestrune {

class TAboutBoxQmr1;
class TLED;
class TPassListDelegate;
class TqmrCheckBox;
class TqmrComboBox;

// The windows are laid out in pixels for an 8-point font: the desktop's font family at that
// size keeps every text inside its control whatever size the desktop uses.
QFont LayoutFont();

// The dialogs the window opens and the locale its lists are drawn with, replaceable so that
// tests can answer and choose them.
struct TFormMainServices {
    // A message box: the program's own message, or the error report.
    std::function<void(QWidget* parent, const QString& text, bool error)> ShowBox;
    // The folder dialog: the chosen folder, or an empty text when the user cancels.
    std::function<QString(QWidget* parent, const QString& start)> ChooseFolder;
    // "Add satellite...": a name of the folder's element sets, or an empty text for none.
    std::function<QString(QWidget* parent, const TElementSetIndex& sets, TDateTime now)>
        ChooseSatellite;
    // A yes-or-no question the user asked for (removing a satellite, opening the port): true
    // for yes.
    std::function<bool(QWidget* parent, const QString& text)> Ask;
    // The port setup dialog; null for the window's own.
    IComSetupView* ComSetup = nullptr;
    // The user's locale at the moment of drawing; the system's by default.
    std::function<TLocaleInfo()> DrawingLocale;
};

class TFormMain final : public QWidget, public IProgramView, private IFormPlacement {
    Q_OBJECT
public:
    // Loads the persisted controls, then creates the program core (the window's creation).
    explicit TFormMain(const TProgramEnvironment& environment, TFormMainServices services = {});
    // Ends the program core (lowering RTS, closing the port, writing the settings), then the
    // persisted controls write theirs.
    ~TFormMain() override;

    TProgram& Program() { return *FProgram; }
    // The application's title (the text of a taskbar button; the tray icon's tool tip).
    const QString& Title() const { return FTitle; }
    QTimer& Timer() { return FTimer; }
    TAboutBoxQmr1& AboutBox() { return *FAboutBox; }

    // IProgramView
    void SetTimerEnabled(bool enabled) override;
    void SetTimerInterval(int milliseconds) override;
    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;
    void CloseMainWindow() override { close(); }
    void SetCaption(const std::string& caption) override;
    void SetTitle(const std::string& title) override;
    void SetStatusText(const std::string& text) override;
    void SetLedColor(TColor color) override;
    void SetUtcLabel(const std::string& text) override;
    void SetNextPassLabel(const std::string& text) override;
    void SetVersionLabelVisible(bool visible) override;
    void SetProgressVisible(bool visible) override;
    void SetProgressRange(int maximum) override;
    void SetProgressPosition(int position) override;
    void SetSkipEnabled(bool enabled) override;
    void ShowBusyCursor() override;
    void RestoreCursor() override;
    void ShowSetupTab() override;
    void ShowTimerTab() override;
    void ChannelSelectorChanged() override;
    void SetTrackingText(const std::string& text) override;
    void SetTrackingHint(const std::string& hint) override;
    void SetVersionHint(const std::string& hint) override;
    void SetPortHint(const std::string& hint) override;
    // "refreshed 10:00 UTC" beside the element folder, with the whole text as its tool tip.
    void ElementSetsRefreshed(TDateTime at, const std::string& text) override;
    void ShowControlValues() override;
    // The satellites of the list without an element set or with an old one, in a line above
    // the grid and above the pass list, after every build.
    void PassListBuilt(const std::vector<TPassLine>& passes) override;
    // What the station and the receiver really do, in the status bar whenever the pass texts
    // leave it free; the port's state on the setup tab.
    void StatusChanged(const TStationStatus& status) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void CreateSetupTab();
    void CreatePassTab();
    void CreateSatellitesTab();
    void CreateTimerTab();
    void ConnectHandlers();
    // Runs a handler; what it throws goes to the error report.
    void Guard(const std::function<void()>& handler);
    void FormShow();
    void ButtonTleFolderClick();
    void ButtonPortSetupClick();
    void ShowPassList();
    void AddSatelliteClick();
    void ShowElementSetProblems();
    void ShowPortState();
    void RemoveSatelliteClick();
    void ReadGridRows();

    // IFormPlacement
    int WindowState() const override;
    // The frame's corner and size are worked out from the client's and the frame's margins, and
    // the client is placed by them, so that what is stored is what is restored, whether or not
    // the window manager honours a frame position asked for before the window is shown.
    int Left() const override { return geometry().left() - FrameMargins().left(); }
    int Top() const override { return geometry().top() - FrameMargins().top(); }
    int Width() const override;
    int Height() const override;
    int ClientWidth() const override { return width(); }
    int ClientHeight() const override { return height(); }
    void RememberFrame(int extraWidth, int extraHeight) override;
    void SetLeft(int left) override { PlaceFrameAt(left, Top()); }
    void SetTop(int top) override { PlaceFrameAt(Left(), top); }
    // The frame's margins as the window system reports them, else as last stored.
    QMargins FrameMargins() const;
    void PlaceFrameAt(int left, int top);
    std::vector<TScreenArea> WorkAreas() const override;

    QMargins FStoredFrame;
    TFormMainServices FServices;
    std::unique_ptr<IComSetupView> FOwnComSetup;
    QTimer FTimer;
    // Moves the element-set downloads on, once a second from the start.
    QTimer FDownloadTimer;
    QString FTitle;
    TVersionInfoReader FVersionInfoReader;
    bool FShowingValues = false;
    // While the pass list is drawn from the core's, and while the user's selection goes to it.
    bool FShowingPassList = false, FSelectingPass = false;

    QTabWidget* FPageControl1 = nullptr;
    QWidget* FTabSheetSetup = nullptr;
    QWidget* FTabSheetControl = nullptr;
    QLineEdit* FEditDDEstring = nullptr;
    QLabel* FLabelVersion = nullptr;
    QProgressBar* FProgressBarPass = nullptr;
    QPushButton* FButtonExit = nullptr;

    QLineEdit* FEditDataPath = nullptr;
    QLabel* FLabelTleRefreshed = nullptr;
    QPushButton* FButtonTleFolder = nullptr;
    QLineEdit* FEditLatitude = nullptr;
    QLineEdit* FEditLongitude = nullptr;
    QLineEdit* FEditHeight = nullptr;
    QPushButton* FButtonUpdateLocation = nullptr;
    QPushButton* FBitBtnReadZenolithLocn = nullptr;
    QPushButton* FButtonPortSetup = nullptr;
    TqmrCheckBox* FCheckBoxScanWhenIdle = nullptr;
    TqmrComboBox* FComboBoxRxType = nullptr;
    QPushButton* FButtonAbout = nullptr;

    QSpinBox* FSpinEdits[4] = {};
    QPushButton* FButtonRestart = nullptr;

    QTableWidget* FStringGridSatList = nullptr;
    QPushButton* FButton1 = nullptr;
    QLabel* FLabelSatWarning = nullptr;
    QLabel* FLabelPassWarning = nullptr;
    QLabel* FLabelPortState = nullptr;
    QLabel* FLabelStatus = nullptr;

    QListWidget* FListBoxSatelliteList = nullptr;
    TPassListDelegate* FPassListDelegate = nullptr;
    QWidget* FRadioGroupChannel = nullptr;
    QButtonGroup* FChannelButtons = nullptr;
    TLED* FLED1 = nullptr;
    QLabel* FLabelUTC = nullptr;
    QLabel* FLabelNextPass = nullptr;
    QPushButton* FButtonSkip = nullptr;
    QStatusBar* FStatusBar1 = nullptr;
    QSystemTrayIcon* FTrayIcon = nullptr;

    TAboutBoxQmr1* FAboutBox = nullptr;
    std::unique_ptr<TProgram> FProgram;
};

} // namespace kestrune
