#include "ui/FormMain.h"

#include "app/FormLayout.h"
#include "core/SatelliteList.h"
#include "core/Text.h"
#include "platform/linux/Executable.h"
#include "platform/linux/SystemLocale.h"
#include "ui/AboutBox.h"
#include "ui/AddSatelliteDialog.h"
#include "ui/ComSetupDialog.h"
#include "ui/Led.h"
#include "ui/ListDelegates.h"
#include "ui/PersistedControls.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QSpinBox>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableWidget>
#include <algorithm>
#include <map>
#include <stdexcept>

namespace kestrune {

namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Texts with carriage returns as line breaks (messages, hints) as Qt breaks lines.
QString Lines(const std::string& text) {
    QString lines = Q(text);
    lines.replace("\r\n", "\n").replace('\r', '\n');
    return lines;
}

// The program's messages and error reports never hold up its clock: the box keeps the user
// from the window until it is closed but returns at once, so the ticks, the tracking string, RTS
// and the stop signals go on while it is open. A report whose box is still open is not opened
// again.
void ShowMessageBox(QWidget* parent, const QString& text, bool error) {
    for (const QMessageBox* open : parent->findChildren<QMessageBox*>()) {
        if (open->text() == text)
            return;
    }
    auto* box = new QMessageBox(error ? QMessageBox::Critical : QMessageBox::Information,
                                Q(ApplicationTitle), text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

bool AskYesNo(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, Q(ApplicationTitle), text) == QMessageBox::Yes;
}

QString ChooseExistingFolder(QWidget* parent, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, Q(ChooseFolderTitle), start);
}

QString ChooseSatelliteToAdd(QWidget* parent, const TElementSetIndex& sets, TDateTime now) {
    TAddSatelliteDialog dialog(sets, now, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.ChosenName() : QString();
}

// A spin edit that takes any number typed into it, as a person types it ("9" on the way to "99"
// or "1" on the way to "12"), and moves a value outside its range to the nearer bound when the
// focus leaves it.
class TSpinEdit final : public QSpinBox {
public:
    using QSpinBox::QSpinBox;

protected:
    QValidator::State validate(QString& input, int& position) const override {
        const QValidator::State state = QSpinBox::validate(input, position);
        if (state != QValidator::Invalid)
            return state;
        static const QRegularExpression digits("^[0-9]{1,9}$");
        return digits.match(input).hasMatch() ? QValidator::Intermediate : QValidator::Invalid;
    }
};

template <typename TControl> TControl* Child(QWidget* form, std::string_view name) {
    auto* control = form->findChild<TControl*>(Q(name));
    if (control == nullptr)
        throw std::logic_error("The window lacks its control " + std::string(name));
    return control;
}

// A control of the window's table, placed in its parent and named as the table names it.
QWidget* CreateControl(const TControlSpec& entry, QWidget* parent) {
    const QString caption = Q(entry.Caption);
    QWidget* control = nullptr;
    switch (entry.Kind) {
    case TControlKind::TabControl:
        control = new QTabWidget(parent);
        break;
    case TControlKind::TabPage:
        control = new QWidget;
        static_cast<QTabWidget*>(parent)->addTab(control, caption);
        break;
    case TControlKind::Label: {
        auto* label = new QLabel(caption, parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap((entry.Options & WordWrap) != 0);
        if ((entry.Options & WordWrap) != 0)
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        else if ((entry.Options & AlignRight) != 0)
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        control = label;
        break;
    }
    case TControlKind::Edit:
    case TControlKind::ReadOnlyEdit: {
        auto* edit = new QLineEdit(caption, parent);
        edit->setReadOnly(entry.Kind == TControlKind::ReadOnlyEdit);
        control = edit;
        break;
    }
    case TControlKind::Button:
        control = new QPushButton(caption, parent);
        break;
    case TControlKind::GroupBox:
    case TControlKind::RadioGroup:
        control = new QGroupBox(caption, parent);
        break;
    case TControlKind::CheckBox: {
        auto* box = new TqmrCheckBox(parent);
        box->setText(caption);
        box->SetNamedAs(Q(entry.SettingName));
        control = box;
        break;
    }
    case TControlKind::DropDownList: {
        auto* list = new TqmrComboBox(parent);
        list->SetNamedAs(Q(entry.SettingName));
        control = list;
        break;
    }
    case TControlKind::SpinEdit:
        control = new TSpinEdit(parent);
        break;
    case TControlKind::Grid:
        control = new QTableWidget(parent);
        break;
    case TControlKind::PassList:
        control = new QListWidget(parent);
        break;
    case TControlKind::Led:
        control = new TLED(parent);
        break;
    case TControlKind::Panel:
        control = new QWidget(parent);
        break;
    case TControlKind::StatusBar:
        control = new QStatusBar(parent);
        break;
    case TControlKind::ProgressBar:
        control = new QProgressBar(parent);
        break;
    }
    control->setObjectName(Q(entry.Name));
    if (entry.Kind == TControlKind::TabPage) {
        // The tab control places its pages.
    } else if (entry.Width == 0) {
        control->adjustSize();
        const bool right = (entry.Options & AlignRight) != 0;
        control->move(right ? entry.Left - control->width() : entry.Left, entry.Top);
    } else {
        control->setGeometry(entry.Left, entry.Top, entry.Width, entry.Height);
    }
    if (!entry.Hint.empty())
        control->setToolTip(Q(entry.Hint));
    if ((entry.Options & HiddenAtStart) != 0)
        control->hide();
    if ((entry.Options & DisabledAtStart) != 0)
        control->setEnabled(false);
    if (entry.TextColour != DefaultTextColour)
        control->setStyleSheet(
            QString("color: %1")
                .arg(QColor::fromRgb(qRgb(entry.TextColour & 0xFF, (entry.TextColour >> 8) & 0xFF,
                                          (entry.TextColour >> 16) & 0xFF))
                         .name()));
    return control;
}

} // namespace

QFont LayoutFont() {
    QFont font = QApplication::font();
    font.setPointSize(8);
    return font;
}

TFormMain::TFormMain(const TProgramEnvironment& environment, TFormMainServices services)
    : FServices(std::move(services)) {
    if (!FServices.ShowBox)
        FServices.ShowBox = ShowMessageBox;
    if (!FServices.Ask)
        FServices.Ask = AskYesNo;
    if (!FServices.ChooseFolder)
        FServices.ChooseFolder = ChooseExistingFolder;
    if (!FServices.ChooseSatellite)
        FServices.ChooseSatellite = ChooseSatelliteToAdd;
    if (!FServices.DrawingLocale)
        FServices.DrawingLocale = SystemLocaleInfo;
    if (!FServices.ComSetup) {
        FOwnComSetup = std::make_unique<TComSetupDialog>(this);
        FServices.ComSetup = FOwnComSetup.get();
    }
    RegisterUiResources();
    setObjectName("FormMain");
    setWindowTitle(Q(ApplicationTitle));
    // The application's icon: the window's, the tray's and the about box's copy.
    QApplication::setWindowIcon(QIcon(":/kestrune.png"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(FormClientWidth, FormClientHeight);
    move(FormDesignLeft, FormDesignTop);
    setFont(LayoutFont());
    CreateControls();

    // The controls that keep their own settings read them as the window finishes loading.
    FComboBoxRxType->Loaded(environment.Settings);
    FCheckBoxScanWhenIdle->Loaded(environment.Settings);

    FTimer.setInterval(200);
    FProgram = std::make_unique<TProgram>(environment, *this, static_cast<IFormPlacement*>(this));
    FProgram->PassList().SetOnChange([this] { ShowPassList(); });
    ShowControlValues();
    ShowElementSetProblems();
    ChannelSelectorChanged();
    ConnectHandlers();

    FAboutBox = new TAboutBoxQmr1(this);
    FAboutBox->SetFileLocations(Q("Settings: " + environment.SettingsLocation +
                                  "\nSchedule: " + Utf8FromPath(environment.SchedulePath)));
    FDownloadTimer.start(1000);
}

TFormMain::~TFormMain() {
    FTimer.stop();
    FDownloadTimer.stop();
    FProgram->PassList().SetOnChange({});
    FProgram.reset();
}

void TFormMain::CreateControls() {
    std::map<std::string_view, QWidget*> parents;
    for (const TControlSpec& entry : MainFormControls()) {
        QWidget* parent = entry.Parent.empty() ? this : parents.at(entry.Parent);
        QWidget* control = CreateControl(entry, parent);
        if (!entry.Name.empty())
            parents[entry.Name] = control;
    }
    FPageControl1 = Child<QTabWidget>(this, "PageControl1");
    FTabSheetSetup = Child<QWidget>(this, "TabSheetSetup");
    FTabSheetControl = Child<QWidget>(this, "TabSheetControl");
    CreateSetupTab();
    CreatePassTab();
    CreateSatellitesTab();
    CreateTimerTab();

    FEditDDEstring = Child<QLineEdit>(this, "EditDDEstring");
    FEditDDEstring->setPlaceholderText("DDE message appears here");
    FLabelVersion = Child<QLabel>(this, "LabelVersion");
    FProgressBarPass = Child<QProgressBar>(this, "ProgressBarPass");
    FProgressBarPass->setTextVisible(false);
    FButtonExit = Child<QPushButton>(this, "ButtonExit");
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, FButtonExit, &QPushButton::click);

    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        FTrayIcon = new QSystemTrayIcon(windowIcon(), this);
        FTrayIcon->show();
    }
}

void TFormMain::CreateSetupTab() {
    FEditDataPath = Child<QLineEdit>(this, "EditDataPath");
    FLabelTleRefreshed = Child<QLabel>(this, "LabelTleRefreshed");
    FButtonTleFolder = Child<QPushButton>(this, "ButtonTleFolder");
    FEditLatitude = Child<QLineEdit>(this, "EditLatitude");
    FEditLongitude = Child<QLineEdit>(this, "EditLongitude");
    FEditHeight = Child<QLineEdit>(this, "EditHeight");
    FButtonUpdateLocation = Child<QPushButton>(this, "ButtonUpdateLocation");
    FBitBtnReadZenolithLocn = Child<QPushButton>(this, "BitBtnReadZenolithLocn");
    FLabelPortState = Child<QLabel>(this, "LabelPortState");
    FButtonPortSetup = Child<QPushButton>(this, "ButtonPortSetup");
    FCheckBoxScanWhenIdle = Child<TqmrCheckBox>(this, "CheckBoxScanWhenIdle");
    FCheckBoxScanWhenIdle->setChecked(DefaultScanWhenIdle);
    FComboBoxRxType = Child<TqmrComboBox>(this, "ComboBoxRxType");
    for (const TReceiverTypeInfo& type : ReceiverTypes)
        FComboBoxRxType->addItem(type.Name);
    FComboBoxRxType->setCurrentIndex(DefaultRxType);
    FButtonAbout = Child<QPushButton>(this, "ButtonAbout");
}

void TFormMain::CreatePassTab() {
    for (const TSpinEditSpec& entry : PassSettingSpinEdits()) {
        auto* spinEdit = Child<QSpinBox>(this, entry.Name);
        spinEdit->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
        const TSpinRange range = PassSettingRange(entry.Setting);
        spinEdit->setRange(range.Min, range.Max);
        FSpinEdits[static_cast<int>(entry.Setting)] = spinEdit;
    }
    FButtonRestart = Child<QPushButton>(this, "ButtonRestart");
}

void TFormMain::CreateSatellitesTab() {
    FStringGridSatList = Child<QTableWidget>(this, "StringGridSatList");
    FStringGridSatList->setColumnCount(SatelliteGridColumns);
    QStringList headings;
    for (std::string_view heading : SatelliteGridHeadings)
        headings << Q(heading);
    FStringGridSatList->setHorizontalHeaderLabels(headings);
    FStringGridSatList->verticalHeader()->hide();
    FStringGridSatList->verticalHeader()->setMinimumSectionSize(15);
    FStringGridSatList->verticalHeader()->setDefaultSectionSize(15);
    FStringGridSatList->setItemDelegate(new TSatListDelegate(FStringGridSatList));
    // Each column as wide as its heading + 5; the heading's blanks are its margins.
    FStringGridSatList->horizontalHeader()->setMinimumSectionSize(1);
    FStringGridSatList->horizontalHeader()->setStyleSheet("QHeaderView::section { padding: 0; }");
    for (int column = 0; column < SatelliteGridColumns; ++column) {
        FStringGridSatList->setColumnWidth(
            column, FStringGridSatList->fontMetrics().horizontalAdvance(headings[column]) + 5);
    }
    // Adding and removing satellites: the grid's context menu (on the row clicked) and keys.
    FStringGridSatList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FStringGridSatList, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        const QModelIndex index = FStringGridSatList->indexAt(at);
        if (index.isValid())
            FStringGridSatList->setCurrentCell(index.row(), index.column());
        QMenu menu(this);
        menu.addActions(FStringGridSatList->actions());
        menu.exec(FStringGridSatList->viewport()->mapToGlobal(at));
    });
    const auto action = [this](std::string_view text, const QKeySequence& key,
                               const std::function<void()>& handler) {
        auto* added = new QAction(Q(text), FStringGridSatList);
        added->setShortcut(key);
        added->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(added, &QAction::triggered, this, [this, handler] { Guard(handler); });
        FStringGridSatList->addAction(added);
    };
    action(AddSatelliteCaption, QKeySequence(Qt::Key_Insert), [this] { AddSatelliteClick(); });
    action(RemoveSatelliteCaption, QKeySequence(Qt::Key_Delete),
           [this] { RemoveSatelliteClick(); });
    FLabelSatWarning = Child<QLabel>(this, "LabelSatWarning");
    FButton1 = Child<QPushButton>(this, "Button1");
}

void TFormMain::CreateTimerTab() {
    FLabelPassWarning = Child<QLabel>(this, "LabelPassWarning");
    FListBoxSatelliteList = Child<QListWidget>(this, "ListBoxSatelliteList");
    FListBoxSatelliteList->setUniformItemSizes(true);
    FListBoxSatelliteList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FPassListDelegate = new TPassListDelegate(FServices.DrawingLocale, FListBoxSatelliteList);
    FListBoxSatelliteList->setItemDelegate(FPassListDelegate);

    auto* group = Child<QGroupBox>(this, "RadioGroupChannel");
    FRadioGroupChannel = group;
    FChannelButtons = new QButtonGroup(group);
    const int itemHeight = (group->height() - 20) / ChannelItemCount;
    for (int i = 0; i < ChannelItemCount; ++i) {
        auto* item = new QRadioButton(group);
        item->setGeometry(4, 18 + i * itemHeight, group->width() - 8, itemHeight);
        FChannelButtons->addButton(item, i);
    }

    FLED1 = Child<TLED>(this, "LED1");
    FLabelUTC = Child<QLabel>(this, "LabelUTC");
    FLabelNextPass = Child<QLabel>(this, "LabelNextPass");
    FButtonSkip = Child<QPushButton>(this, "ButtonSkip");
    FStatusBar1 = Child<QStatusBar>(this, "StatusBar1");
    FStatusBar1->setSizeGripEnabled(false);
    // Hidden while a pass text is shown, as every plain widget of a status bar is.
    FLabelStatus = new QLabel(FStatusBar1);
    FLabelStatus->setObjectName("LabelStatus");
    FStatusBar1->addWidget(FLabelStatus, 1);
}

void TFormMain::ConnectHandlers() {
    connect(&FTimer, &QTimer::timeout, this, [this] { FProgram->Tick(); });
    connect(&FDownloadTimer, &QTimer::timeout, this,
            [this] { Guard([this] { FProgram->ServiceDownloads(); }); });
    connect(FButtonExit, &QPushButton::clicked, this,
            [this] { Guard([this] { FProgram->Exit(); }); });
    connect(FButtonRestart, &QPushButton::clicked, this,
            [this] { Guard([this] { FProgram->Rebuild(); }); });
    connect(FButton1, &QPushButton::clicked, this,
            [this] { Guard([this] { FProgram->Rebuild(); }); });
    connect(FButtonSkip, &QPushButton::clicked, this,
            [this] { Guard([this] { FProgram->SkipPass(); }); });
    connect(FButtonUpdateLocation, &QPushButton::clicked, this,
            [this] { Guard([this] { FProgram->ApplyLocation(); }); });
    connect(FBitBtnReadZenolithLocn, &QPushButton::clicked, this,
            [this] { Guard([this] { FProgram->UseSiblingLocation(); }); });
    connect(FButtonTleFolder, &QPushButton::clicked, this,
            [this] { Guard([this] { ButtonTleFolderClick(); }); });
    connect(FButtonPortSetup, &QPushButton::clicked, this,
            [this] { Guard([this] { ButtonPortSetupClick(); }); });
    connect(FButtonAbout, &QPushButton::clicked, this, [this] { FAboutBox->exec(); });

    const auto edit = [this](QLineEdit* control, std::string TControlValues::*value) {
        connect(control, &QLineEdit::textChanged, this, [this, value](const QString& text) {
            FProgram->Controls().*value = text.toStdString();
        });
    };
    edit(FEditLatitude, &TControlValues::Latitude);
    edit(FEditLongitude, &TControlValues::Longitude);
    edit(FEditHeight, &TControlValues::Height);
    for (const TSpinEditSpec& entry : PassSettingSpinEdits()) {
        const TPassSetting which = entry.Setting;
        QSpinBox* spin = FSpinEdits[static_cast<int>(which)];
        // The editor's text, also while it is outside the range (the spin box tells only of
        // values inside it).
        connect(spin->findChild<QLineEdit*>(), &QLineEdit::textChanged, this,
                [this, which](const QString& text) {
                    if (!FShowingValues)
                        FProgram->SetPassSetting(which, text.toStdString());
                });
        connect(spin, &QSpinBox::editingFinished, this,
                [this, which] { FProgram->ClampPassSetting(which); });
    }

    connect(FComboBoxRxType, &QComboBox::currentIndexChanged, this,
            [this](int index) { FProgram->Controls().ReceiverType = index; });
    connect(FComboBoxRxType, &TqmrComboBox::Click, this,
            [this](int index) { Guard([this, index] { FProgram->SetReceiverType(index); }); });
    connect(FCheckBoxScanWhenIdle, &TqmrCheckBox::Click, this, [this](bool checked) {
        Guard([this, checked] { FProgram->SetScanWhenIdle(checked); });
    });
    connect(FChannelButtons, &QButtonGroup::idClicked, this,
            [this](int index) { Guard([this, index] { FProgram->SelectChannelItem(index); }); });

    // A line the user selects is the sequencer's: the lines up to it go when the reception ends.
    connect(FListBoxSatelliteList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (FShowingPassList)
            return;
        FSelectingPass = true;
        FProgram->PassList().SetItemIndex(row);
        FSelectingPass = false;
    });
    connect(FStringGridSatList, &QTableWidget::itemChanged, this, [this] { ReadGridRows(); });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        const auto inGrid = [this](QWidget* widget) {
            return widget != nullptr &&
                   (widget == FStringGridSatList || FStringGridSatList->isAncestorOf(widget));
        };
        if (inGrid(old) && !inGrid(now))
            FProgram->StoreSatellites();
    });
}

void TFormMain::Guard(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowError(error.what());
    }
}

void TFormMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        Guard([this] { FormShow(); });
}

void TFormMain::FormShow() {
    FPassListDelegate->SetAlternateRowColour(
        QColor::fromRgb(FListBoxSatelliteList->palette().color(QPalette::Base).rgb() ^ 0x101010));
    FPassListDelegate->SetRowHeight(QFontMetrics(FListBoxSatelliteList->font()).height() + 2);
    FLabelVersion->setText(Q("Program version: " + FVersionInfoReader.StringByIndex(3)));
    FLabelVersion->adjustSize();
    FProgram->Start();
    ShowPortState();
}

void TFormMain::ButtonTleFolderClick() {
    const QString folder = FServices.ChooseFolder(this, FEditDataPath->text());
    if (folder.isEmpty())
        return;
    FProgram->SetElementFolder(folder.toStdString());
    ShowElementSetProblems();
}

void TFormMain::ButtonPortSetupClick() {
    FProgram->SetUpPort(*FServices.ComSetup);
    ShowPortState();
    if (FProgram->PortWantedButClosed() &&
        FServices.Ask(this, Q("The port " + FProgram->Port().Port() +
                              " is closed, and the receiver needs it. Open it now?"))) {
        FProgram->OpenPort();
        ShowPortState();
    }
}

void TFormMain::ShowPortState() {
    FLabelPortState->setText(Q(FProgram->PortState()));
}

void TFormMain::AddSatelliteClick() {
    const QString name =
        FServices.ChooseSatellite(this, FProgram->ElementSets(), FProgram->Clock().UtcNow());
    if (name.isEmpty())
        return;
    FProgram->AddSatellite(name.toStdString());
    ShowControlValues();
    ShowElementSetProblems();
    ShowMessage(name.toStdString() + " is on the list: click Restart to predict its passes.");
}

void TFormMain::RemoveSatelliteClick() {
    const int row = FStringGridSatList->currentRow();
    const QTableWidgetItem* name = FStringGridSatList->item(row, 0);
    if (name == nullptr ||
        !FServices.Ask(this, "Remove " + name->text() + " from the satellite list?"))
        return;
    FProgram->RemoveSatellite(row);
    ShowControlValues();
    ShowElementSetProblems();
}

void TFormMain::ShowElementSetProblems() {
    QStringList problems;
    for (const std::string& problem : FProgram->ElementSetProblems())
        problems << Q(problem);
    for (QLabel* label : {FLabelSatWarning, FLabelPassWarning}) {
        label->setToolTip(problems.join('\n'));
        label->setText(
            label->fontMetrics().elidedText(problems.join("; "), Qt::ElideRight, label->width()));
    }
}

void TFormMain::StatusChanged(const TStationStatus&) {
    const QString line = Q(FProgram->StatusLine());
    FLabelStatus->setText(
        FLabelStatus->fontMetrics().elidedText(line, Qt::ElideRight, FStatusBar1->width() - 8));
    FLabelStatus->setToolTip(line);
    ShowPortState();
}

void TFormMain::PassListBuilt(const std::vector<TPassLine>&) {
    ShowElementSetProblems();
}

void TFormMain::ShowPassList() {
    // The list shows the user's own selection already.
    if (FSelectingPass)
        return;
    const TPassList& passList = FProgram->PassList();
    FShowingPassList = true;
    FListBoxSatelliteList->clear();
    for (const TPassLine& pass : passList.Passes()) {
        auto* item = new QListWidgetItem(Q(pass.Text), FListBoxSatelliteList);
        item->setData(TPassListDelegate::PassRole, QVariant::fromValue(pass));
    }
    FListBoxSatelliteList->setCurrentRow(passList.ItemIndex());
    FShowingPassList = false;
}

void TFormMain::ReadGridRows() {
    if (FShowingValues)
        return;
    const auto cell = [this](int row, int column) {
        const QTableWidgetItem* item = FStringGridSatList->item(row, column);
        return item != nullptr ? item->text().toStdString() : std::string();
    };
    // The channel cell shows a frequency in MHz; the row's own channel (with its mode and
    // passband) is kept with it.
    const auto stored = [this](int row) {
        const QTableWidgetItem* item = FStringGridSatList->item(row, ChannelColumn);
        return item != nullptr ? item->data(Qt::UserRole).toString().toStdString() : std::string();
    };
    std::vector<TSatelliteRow> rows;
    for (int row = 0; row < FStringGridSatList->rowCount(); ++row)
        rows.push_back({cell(row, 0), cell(row, 1), cell(row, 2),
                        ChannelFromCell(cell(row, ChannelColumn), stored(row))});
    FProgram->Controls().Rows = rows;
}

void TFormMain::ShowControlValues() {
    if (!FProgram)
        return;
    FShowingValues = true;
    const TControlValues& controls = FProgram->Controls();
    FEditDataPath->setText(Q(controls.DataPath));
    FEditLatitude->setText(Q(controls.Latitude));
    FEditLongitude->setText(Q(controls.Longitude));
    FEditHeight->setText(Q(controls.Height));
    for (const TSpinEditSpec& entry : PassSettingSpinEdits())
        FSpinEdits[static_cast<int>(entry.Setting)]->setValue(FProgram->PassSetting(entry.Setting));
    FComboBoxRxType->setCurrentIndex(controls.ReceiverType);
    FCheckBoxScanWhenIdle->setChecked(controls.ScanWhenIdle);
    FStringGridSatList->setRowCount(static_cast<int>(controls.Rows.size()));
    for (int row = 0; row < static_cast<int>(controls.Rows.size()); ++row) {
        const TSatelliteRow& entry = controls.Rows[static_cast<std::size_t>(row)];
        const std::string cells[] = {entry.Name, entry.Direction, entry.MinLength,
                                     ChannelCellText(entry.Channel)};
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(Q(cells[column]));
            if (column == ChannelColumn)
                item->setData(Qt::UserRole, Q(entry.Channel));
            if (column == 0) {
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(palette().button());
            }
            FStringGridSatList->setItem(row, column, item);
        }
    }
    FShowingValues = false;
}

void TFormMain::SetTimerEnabled(bool enabled) {
    if (enabled)
        FTimer.start();
    else
        FTimer.stop();
}

void TFormMain::SetTimerInterval(int milliseconds) {
    FTimer.setInterval(milliseconds);
}

void TFormMain::ShowMessage(const std::string& text) {
    FServices.ShowBox(this, Lines(text), false);
}

void TFormMain::ShowError(const std::string& text) {
    FServices.ShowBox(this, Lines(text), true);
}

void TFormMain::SetCaption(const std::string& caption) {
    setWindowTitle(Q(caption));
}

void TFormMain::SetTitle(const std::string& title) {
    FTitle = Q(title);
    if (FTrayIcon)
        FTrayIcon->setToolTip(FTitle);
}

void TFormMain::SetStatusText(const std::string& text) {
    FStatusBar1->showMessage(Q(text));
}

void TFormMain::SetLedColor(TColor color) {
    FLED1->SetColour(color);
}

void TFormMain::SetUtcLabel(const std::string& text) {
    FLabelUTC->setText(Q(text));
}

void TFormMain::SetNextPassLabel(const std::string& text) {
    FLabelNextPass->setText(Q(text));
}

void TFormMain::SetVersionLabelVisible(bool visible) {
    FLabelVersion->setVisible(visible);
}

void TFormMain::SetProgressVisible(bool visible) {
    FProgressBarPass->setVisible(visible);
}

void TFormMain::SetProgressRange(int maximum) {
    FProgressBarPass->setRange(0, maximum);
}

void TFormMain::SetProgressPosition(int position) {
    FProgressBarPass->setValue(position);
}

void TFormMain::SetSkipEnabled(bool enabled) {
    FButtonSkip->setEnabled(enabled);
}

void TFormMain::ShowBusyCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void TFormMain::RestoreCursor() {
    QApplication::restoreOverrideCursor();
}

void TFormMain::ShowSetupTab() {
    FPageControl1->setCurrentWidget(FTabSheetSetup);
}

void TFormMain::ShowTimerTab() {
    FPageControl1->setCurrentWidget(FTabSheetControl);
}

void TFormMain::ChannelSelectorChanged() {
    if (!FProgram)
        return;
    const TReceiverControl& receiver = FProgram->Receiver();
    for (int i = 0; i < ChannelItemCount; ++i)
        FChannelButtons->button(i)->setText(Q(receiver.ItemText(i)));
    if (QAbstractButton* selected = FChannelButtons->button(receiver.ChannelIndex()))
        selected->setChecked(true);
    FRadioGroupChannel->setToolTip(Lines(receiver.Hint()));
}

void TFormMain::SetTrackingText(const std::string& text) {
    // The whole line stays readable: a desktop font too wide for the edit is made smaller for it.
    const QString line = Q(text);
    const int room = FEditDDEstring->width() - 12; // the frame and the text margins
    QFont font = LayoutFont();
    while (QFontMetrics(font).horizontalAdvance(line) > room && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    FEditDDEstring->setFont(font);
    FEditDDEstring->setText(line);
    FEditDDEstring->setCursorPosition(0); // show the frequency, not the end
}

void TFormMain::SetTrackingHint(const std::string& hint) {
    FEditDDEstring->setToolTip(Q(hint));
}

void TFormMain::SetVersionHint(const std::string& hint) {
    FLabelVersion->setToolTip(Q(hint));
}

void TFormMain::SetPortHint(const std::string& hint) {
    FButtonPortSetup->setToolTip(Q(hint));
}

void TFormMain::ElementSetsRefreshed(TDateTime at, const std::string& text) {
    const TDateTimeParts parts = DecodeDateTime(at);
    FLabelTleRefreshed->setText(QString("refreshed %1:%2 UTC")
                                    .arg(parts.Hour, 2, 10, QChar('0'))
                                    .arg(parts.Minute, 2, 10, QChar('0')));
    FLabelTleRefreshed->setToolTip(Q(text));
}

int TFormMain::WindowState() const {
    if (isMinimized())
        return 1;
    return isMaximized() ? 2 : 0;
}

int TFormMain::Width() const {
    const QMargins margins = FrameMargins();
    return width() + margins.left() + margins.right();
}

int TFormMain::Height() const {
    const QMargins margins = FrameMargins();
    return height() + margins.top() + margins.bottom();
}

void TFormMain::RememberFrame(int extraWidth, int extraHeight) {
    // Borders of equal width left, right and below, the title bar above.
    if (extraWidth < 0 || extraHeight < 0 || extraWidth > 200 || extraHeight > 200)
        return;
    const int border = extraWidth / 2;
    FStoredFrame = QMargins(border, std::max(0, extraHeight - border), extraWidth - border,
                            std::min(border, extraHeight));
}

QMargins TFormMain::FrameMargins() const {
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    if (frame == client)
        return FStoredFrame;
    return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom());
}

void TFormMain::PlaceFrameAt(int left, int top) {
    const QMargins margins = FrameMargins();
    setGeometry(left + margins.left(), top + margins.top(), width(), height());
}

std::vector<TScreenArea> TFormMain::WorkAreas() const {
    std::vector<TScreenArea> areas;
    QList<QScreen*> screens = QGuiApplication::screens();
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary != nullptr) {
        screens.removeAll(primary);
        screens.prepend(primary);
    }
    for (const QScreen* screen : screens) {
        const QRect area = screen->availableGeometry();
        areas.push_back({area.left(), area.top(), area.width(), area.height()});
    }
    return areas;
}

} // namespace kestrune
