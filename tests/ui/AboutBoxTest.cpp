#include "ui/AboutBox.h"

#include "support/TempDir.h"
#include "version/VersionBlock.h"

#include <QApplication>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <gtest/gtest.h>

namespace kestrune {
namespace {

QLabel* Label(const QDialog& box, const char* name) {
    auto* label = box.findChild<QLabel*>(QString::fromLatin1(name));
    EXPECT_NE(label, nullptr) << name;
    return label;
}

// A box whose opener records what it is given instead of starting a browser.
struct TRecordingBox {
    TAboutBoxQmr1 Box;
    QStringList Opened;
    TRecordingBox() {
        Box.SetUrlOpener([this](const QString& address) { Opened << address; });
    }
};

std::vector<std::uint8_t> SampleBlock() {
    TVersionBlockContents contents;
    contents.Strings = {{"ProductName", "Kestrune & Co"},
                        {"LegalCopyright", "(C) 2026 Q & K"},
                        {"FileVersion", "0.1.0"},
                        {"Comments", "Pass scheduler"},
                        {"Web site", "kestrune.example.org"}};
    return BuildVersionBlock(contents);
}

void ClickWebSite(QLabel& webSite) {
    const QPointF inside(webSite.width() - 2, webSite.height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, inside, webSite.mapToGlobal(inside), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, webSite.mapToGlobal(inside),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&webSite, &press);
    QApplication::sendEvent(&webSite, &release);
}

TEST(AboutBoxTest, FileWithoutVersionBlockGivesEmptyTextsAndAnInertWebSite) {
    const test::TTempDir folder;
    TRecordingBox recording;
    TAboutBoxQmr1& box = recording.Box;
    box.VersionInfoReader().SetFileName(folder.Write("plain.txt", "no version here").string());

    const QIcon previousIcon = QApplication::windowIcon();
    QPixmap red(64, 64);
    red.fill(Qt::red);
    QApplication::setWindowIcon(QIcon(red));
    box.show();
    QApplication::setWindowIcon(previousIcon);

    EXPECT_EQ(box.windowTitle(), QStringLiteral("About "));
    EXPECT_EQ(Label(box, "ProductName")->text(), QString());
    EXPECT_EQ(Label(box, "Copyright")->text(), QString());
    const QString exeName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    EXPECT_EQ(Label(box, "Version")->text(), exeName + QStringLiteral(", V, "));
    EXPECT_FALSE(Label(box, "Comments")->text().isEmpty()) << "the fixed notice stays";
    const QPixmap icon = Label(box, "ProgramIcon")->pixmap();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.toImage().pixel(16, 16), qRgb(255, 0, 0));

    QLabel* webSite = Label(box, "WebSite");
    EXPECT_EQ(webSite->text(), QString());
    ClickWebSite(*webSite);
    box.WebSiteClick();
    EXPECT_TRUE(recording.Opened.isEmpty());

    // Escape closes the box with the OK button's result.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&box, &escape);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
}

TEST(AboutBoxTest, VersionBlockFillsTheTextsAndTheWebSiteOpensWithHttpInFront) {
    TRecordingBox recording;
    TAboutBoxQmr1& box = recording.Box;
    box.VersionInfoReader().SetBlock(SampleBlock());
    box.show();
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Kestrune & Co"));
    EXPECT_EQ(Label(box, "ProductName")->text(), QStringLiteral("Kestrune & Co"));
    EXPECT_EQ(Label(box, "Copyright")->text(), QStringLiteral("(C) 2026 Q & K"));
    const QString exeName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    EXPECT_EQ(Label(box, "Version")->text(), exeName + QStringLiteral(", V0.1.0, Pass scheduler"));

    QLabel* webSite = Label(box, "WebSite");
    ASSERT_EQ(webSite->text(), QStringLiteral("kestrune.example.org"));
    ClickWebSite(*webSite);
    webSite->setText(QStringLiteral("see http://example.org/kestrune"));
    box.WebSiteClick();
    webSite->setText(QStringLiteral("https://example.org"));
    box.WebSiteClick();
    webSite->setText(QStringLiteral("HTTP://example.org"));
    box.WebSiteClick();
    EXPECT_EQ(recording.Opened, QStringList({QStringLiteral("http://kestrune.example.org"),
                                             QStringLiteral("see http://example.org/kestrune"),
                                             QStringLiteral("https://example.org"),
                                             QStringLiteral("http://HTTP://example.org")}));

    // Everything lies inside the box, the labels inside the panel, none over another.
    const auto* panel = box.findChild<QFrame*>(QStringLiteral("Panel1"));
    const auto* ok = box.findChild<QPushButton*>(QStringLiteral("OKButton"));
    ASSERT_TRUE(panel && ok);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_TRUE(box.rect().contains(ok->geometry()));
    EXPECT_GT(ok->y(), panel->geometry().bottom());
    QList<QRect> taken;
    for (const char* name :
         {"ProgramIcon", "ProductName", "Version", "Copyright", "Comments", "WebSite"}) {
        const QRect area = Label(box, name)->geometry();
        EXPECT_TRUE(panel->contentsRect().contains(area)) << name;
        for (const QRect& other : taken)
            EXPECT_FALSE(area.intersects(other)) << name;
        taken << area;
    }
}

} // namespace
} // namespace kestrune
