#include "ui/Led.h"

#include <QCoreApplication>
#include <QFile>
#include <cmath>
#include <gtest/gtest.h>

namespace kestrune {
namespace {

// The lamp picture as drawn: S silver, K black, M maroon, W white, G the lamp body.
const char* const TemplateRows[15] = {
    "SSSSSMMKKKSSSSS", "SSSMKKKKKKKKSSS", "SSMMKGGGGGKMKSS", "SMMKGGSSGGGKMKS", "SKKGWWGGGGGGKKS",
    "MKGGWGGGGGGGGKK", "MKGSGGGGGGGGGKK", "KKGSGGGGGGGGGKK", "KKGGGGGGGGGGGKK", "KKGGGGGGGGGGGKK",
    "SKKGGGGGGGGGKKS", "SKMKGGGGGGGKKMS", "SSKMKGGGGGKKMSS", "SSSKKKKKKKKMSSS", "SSSSSKKKKKSSSSS"};

QRgb LegendRgb(char code, QRgb body = qRgb(0, 255, 0)) {
    return code == 'S'   ? qRgb(192, 192, 192)
           : code == 'K' ? qRgb(0, 0, 0)
           : code == 'M' ? qRgb(128, 0, 0)
           : code == 'W' ? qRgb(255, 255, 255)
                         : body;
}

const QRgb Background = qRgb(10, 20, 30);

// The lamp drawn over a plain background, as its parent would show it.
QImage Render(TLED& led) {
    QImage image(led.size(), QImage::Format_RGB32);
    image.fill(Background);
    led.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

TEST(LedTest, TemplateResourceHoldsTheLampPicture) {
    TLED led;
    ASSERT_EQ(led.Bitmap().size(), QSize(15, 15));
    EXPECT_EQ(led.Bitmap().colorCount(), 16);
    QFile file(QStringLiteral(":/TLED"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(30);
    EXPECT_TRUE(header.startsWith("BM"));
    EXPECT_EQ(header.at(28), 4) << "bits per pixel";
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 15; ++x)
            EXPECT_EQ(led.Bitmap().pixel(x, y), LegendRgb(TemplateRows[y][x])) << x << "," << y;
}

TEST(LedTest, PaintsTheTemplateWithItsBodyInTheLampColourInsideTheCircle) {
    TLED led;
    EXPECT_EQ(led.size(), QSize(17, 17));
    EXPECT_EQ(led.Colour(), ClLime);
    for (const auto& [colour, body] :
         {std::pair{ClLime, qRgb(0, 255, 0)}, std::pair{ClYellow, qRgb(255, 255, 0)}}) {
        led.SetColour(colour);
        const QImage image = Render(led);
        for (int y = 0; y < 17; ++y)
            for (int x = 0; x < 17; ++x) {
                // The circle fills the 18 x 18 square at the corner; pixels whose centres lie
                // on its rim may fall either way.
                const double distance = std::hypot(x + 0.5 - 9, y + 0.5 - 9);
                const bool onTemplate = x >= 1 && x <= 15 && y >= 1 && y <= 15;
                const QRgb pixel = image.pixel(x, y);
                if (!onTemplate || distance > 9.5) {
                    EXPECT_EQ(pixel, Background) << x << "," << y;
                    continue;
                }
                const QRgb expected = LegendRgb(TemplateRows[y - 1][x - 1], body);
                if (distance < 8.5)
                    EXPECT_EQ(pixel, expected) << colour << ": " << x << "," << y;
                else
                    EXPECT_TRUE(pixel == expected || pixel == Background) << x << "," << y;
            }
    }
}

TEST(LedTest, RepaintsOnlyWhenTheColourChanges) {
    struct TPaintCounter : QObject {
        int Paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            Paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    TLED led;
    led.installEventFilter(&counter);
    led.show();
    QCoreApplication::processEvents();
    ASSERT_GT(counter.Paints, 0) << "the shown lamp paints";

    counter.Paints = 0;
    led.SetColour(ClYellow);
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.Paints, 1);
    led.SetColour(ClYellow);
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.Paints, 1) << "the same colour again costs nothing";
}

TEST(LedTest, ShowsTheBackgroundWhereThereIsNoPicture) {
    TLED tall;
    tall.resize(15, 21);
    const QImage image = Render(tall);
    EXPECT_EQ(image.pixel(8, 14), LegendRgb('K')) << "the rim, picture row 13";
    for (int y = 16; y < 21; ++y)
        for (int x = 0; x < 15; ++x)
            EXPECT_EQ(image.pixel(x, y), Background) << x << "," << y;

    TLED blank(nullptr, QStringLiteral(":/no-such-picture"));
    EXPECT_TRUE(blank.Bitmap().isNull());
    blank.SetColour(ClAqua);
    const QImage nothing = Render(blank);
    EXPECT_EQ(nothing.pixel(8, 8), Background);
    EXPECT_EQ(nothing.pixel(1, 8), Background);
}

} // namespace
} // namespace kestrune
