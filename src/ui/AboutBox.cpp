#include "ui/AboutBox.h"

#include "platform/linux/Executable.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <algorithm>

namespace kestrune {

namespace {

// The box's layout at 96 dpi. The panel's children are placed in the panel's coordinates.
constexpr int Margin = 8;
constexpr int DesignedClientWidth = 402;
constexpr int DesignedPanelWidth = 386;
constexpr int DesignedPanelHeight = 161;
constexpr int DesignedOkLeft = 167;
constexpr int OkTopBelowPanel = 11;
constexpr int OkWidth = 75;
constexpr int OkHeight = 25;
constexpr int IconLeft = 16, IconTop = 16, IconSize = 32;
constexpr int NameLeft = 64, NameTop = 16;
constexpr int VersionLeft = 64, VersionTop = 40;
constexpr int CopyrightLeft = 8, CopyrightTop = 80;
constexpr int CommentsLeft = 8, CommentsTop = 104;
constexpr int WebSiteTop = 136;
// The web-site line's designed left edge and width; it grows to the left from its right edge.
constexpr int WebSiteLeft = 336, WebSiteWidth = 42;

// Version-block string indexes.
constexpr int CommentsIndex = 0;
constexpr int FileVersionIndex = 3;
constexpr int LegalCopyrightIndex = 5;
constexpr int ProductNameIndex = 9;

const char* const WebSiteName = "Web site";
const char* const CommentsNotice = "Reproduction without permission is prohibited.";

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    // Texts show as they are: no markup, and an ampersand is not an accelerator mark.
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    return label;
}

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

TAboutBoxQmr::TAboutBoxQmr(QWidget* parent)
    : QDialog(parent),
      FUrlOpener([](const QString& address) { QDesktopServices::openUrl(QUrl(address)); }) {
    setObjectName(QStringLiteral("AboutBoxQmr"));
    setWindowTitle(QStringLiteral("About"));
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) &
                   ~Qt::WindowContextHelpButtonHint);
    // The box follows the desktop's font rather than a designed one.
    setFont(QApplication::font());

    FPanel1 = new QFrame(this);
    FPanel1->setObjectName(QStringLiteral("Panel1"));
    // A lowered outer and a raised inner bevel.
    FPanel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    FPanel1->setLineWidth(1);
    FPanel1->setMidLineWidth(0);

    FProgramIcon = MakeLabel(FPanel1, "ProgramIcon", QString());
    FProgramIcon->setScaledContents(true);
    FProductName = MakeLabel(FPanel1, "ProductName", QStringLiteral("Product Name"));
    QFont bold = FProductName->font();
    bold.setBold(true);
    FProductName->setFont(bold);
    FVersion = MakeLabel(FPanel1, "Version", QStringLiteral("Version"));
    FCopyright = MakeLabel(FPanel1, "Copyright", QStringLiteral("Copyright"));
    FComments = MakeLabel(FPanel1, "Comments", QString::fromUtf8(CommentsNotice));

    FWebSite = MakeLabel(FPanel1, "WebSite", QString());
    FWebSite->setAlignment(Qt::AlignRight | Qt::AlignTop);
    FWebSite->setCursor(Qt::PointingHandCursor);
    QFont underlined = FWebSite->font();
    underlined.setUnderline(true);
    FWebSite->setFont(underlined);
    QPalette navy = FWebSite->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    FWebSite->setPalette(navy);
    FWebSite->installEventFilter(this);

    FFileLocations = MakeLabel(this, "FileLocations", QString());
    FFileLocations->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FFileLocations->hide();

    FOKButton = new QPushButton(QStringLiteral("OK"), this);
    FOKButton->setObjectName(QStringLiteral("OKButton"));
    FOKButton->setDefault(true);
    connect(FOKButton, &QPushButton::clicked, this, &QDialog::accept);

    Arrange();
}

void TAboutBoxQmr::SetFileLocations(const QString& text) {
    FFileLocations->setText(text);
    FFileLocations->setVisible(!text.isEmpty());
    Arrange();
}

void TAboutBoxQmr::WebSiteClick() {
    QString address = FWebSite->text();
    if (address.isEmpty())
        return;
    // An address that names its scheme already is opened as it is: "http://" in front of
    // "https://..." would make an address no browser can open.
    if (!address.contains(QStringLiteral("http://"), Qt::CaseSensitive) &&
        !address.contains(QStringLiteral("https://"), Qt::CaseSensitive))
        address.prepend(QStringLiteral("http://"));
    FUrlOpener(address);
}

void TAboutBoxQmr::showEvent(QShowEvent* event) {
    FillFromVersionInfo();
    Arrange();
    QDialog::showEvent(event);
}

void TAboutBoxQmr::keyPressEvent(QKeyEvent* event) {
    // The OK button is the cancel button too: Escape closes the box with its OK result.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        FOKButton->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TAboutBoxQmr::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FWebSite && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            FWebSite->rect().contains(mouse->position().toPoint())) {
            WebSiteClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBoxQmr::FillFromVersionInfo() {
    FProgramIcon->setPixmap(QApplication::windowIcon().pixmap(IconSize, IconSize));
    const QString productName = FromUtf8(FVersionInfoReader.StringByIndex(ProductNameIndex));
    setWindowTitle(QStringLiteral("About ") + productName);
    FCopyright->setText(FromUtf8(FVersionInfoReader.StringByIndex(LegalCopyrightIndex)));
    FProductName->setText(productName);
    FVersion->setText(
        QString::fromStdString(ExecutablePath().filename().string()) + QStringLiteral(", V") +
        FromUtf8(FVersionInfoReader.StringByIndex(FileVersionIndex)) + QStringLiteral(", ") +
        FromUtf8(FVersionInfoReader.StringByIndex(CommentsIndex)));
    FWebSite->setText(FromUtf8(FVersionInfoReader.StringByName(WebSiteName)));
}

void TAboutBoxQmr::Arrange() {
    // The designed positions, with the panel and the box grown where the desktop's font makes a
    // text wider or taller than the design allowed for, so that nothing is clipped.
    FProgramIcon->setGeometry(IconLeft, IconTop, IconSize, IconSize);
    FProductName->move(NameLeft, NameTop);
    FVersion->move(VersionLeft, VersionTop);
    FCopyright->move(CopyrightLeft, CopyrightTop);
    FComments->move(CommentsLeft, CommentsTop);

    int panelWidth = DesignedPanelWidth;
    int panelHeight = DesignedPanelHeight;
    for (QLabel* label : {FProductName, FVersion, FCopyright, FComments}) {
        label->adjustSize();
        panelWidth = std::max(panelWidth, label->geometry().right() + 1 + Margin);
        panelHeight = std::max(panelHeight, label->geometry().bottom() + 1 + Margin);
    }
    FFileLocations->adjustSize();
    if (!FFileLocations->isHidden())
        panelWidth = std::max(panelWidth, FFileLocations->width());
    // The web-site line keeps its distance from the panel's right edge and grows leftwards.
    const QSize webSize = FWebSite->sizeHint();
    const int webWidth = std::max(WebSiteWidth, webSize.width());
    const int webRightGap = DesignedPanelWidth - (WebSiteLeft + WebSiteWidth);
    panelWidth = std::max(panelWidth, Margin + webWidth + webRightGap);
    panelHeight = std::max(panelHeight, WebSiteTop + webSize.height() + Margin);
    FWebSite->setGeometry(panelWidth - webRightGap - webWidth, WebSiteTop, webWidth,
                          webSize.height());

    int belowPanel = Margin + panelHeight;
    if (!FFileLocations->isHidden()) {
        FFileLocations->move(Margin, belowPanel + Margin);
        belowPanel = FFileLocations->geometry().bottom() + 1;
    }
    FPanel1->setGeometry(Margin, Margin, panelWidth, panelHeight);
    const int clientWidth = panelWidth + 2 * Margin;
    const int okTop = belowPanel + OkTopBelowPanel;
    FOKButton->setGeometry(DesignedOkLeft + (clientWidth - DesignedClientWidth) / 2, okTop, OkWidth,
                           OkHeight);
    setFixedSize(clientWidth, okTop + OkHeight + Margin);
}

TAboutBoxQmr1::TAboutBoxQmr1(QWidget* parent) : TAboutBoxQmr(parent) {
    setObjectName(QStringLiteral("AboutBoxQmr1"));
}

} // namespace kestrune
