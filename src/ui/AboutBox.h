#pragma once
// The about box: the program's name, version, copyright and web site, read from the version
// block of the program's own executable each time the box is shown. The web-site line opens the
// site in the user's browser when clicked.

#include "platform/linux/VersionInfoReader.h"

#include <QDialog>
#include <QString>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;

namespace kestrune {

class TAboutBoxQmr : public QDialog {
    Q_OBJECT

public:
    // Hands a web address to whatever opens it; the default asks the desktop to open the URL.
    using TUrlOpener = std::function<void(const QString& address)>;

    explicit TAboutBoxQmr(QWidget* parent = nullptr);

    // The reader the texts come from; it reads the running executable unless told otherwise.
    TVersionInfoReader& VersionInfoReader() { return FVersionInfoReader; }
    void SetUrlOpener(TUrlOpener opener) { FUrlOpener = std::move(opener); }
    // Lines under the panel saying where the program keeps its files; none by default.
    void SetFileLocations(const QString& text);

    // The web-site line was clicked: an empty line does nothing; a text without "http://"
    // anywhere gets it in front; the result goes to the opener, whose outcome is not checked.
    void WebSiteClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillFromVersionInfo();
    void Arrange();

    TVersionInfoReader FVersionInfoReader;
    TUrlOpener FUrlOpener;
    QFrame* FPanel1;
    QLabel* FProgramIcon;
    QLabel* FProductName;
    QLabel* FVersion;
    QLabel* FCopyright;
    QLabel* FComments;
    QLabel* FWebSite;
    QLabel* FFileLocations;
    QPushButton* FOKButton;
};

// The program's about box; its one instance lives from the main window's creation to the end.
class TAboutBoxQmr1 : public TAboutBoxQmr {
    Q_OBJECT

public:
    explicit TAboutBoxQmr1(QWidget* parent = nullptr);
};

} // namespace kestrune
