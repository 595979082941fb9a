#include "ui/Led.h"

#include <QPainter>
#include <QRegion>

// Outside any namespace: the registration function that rcc generates lives in the global one.
static void RegisterResourcesOnce() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(Resources);
        return true;
    }();
    (void)registered;
}

namespace kestrune {

namespace {

// The template's pixels of exactly this colour take the lamp colour.
constexpr QRgb LampBodyRgb = 0x00FF00;

QRgb RgbOf(TColor colour) {
    return qRgb(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

} // namespace

void RegisterUiResources() {
    RegisterResourcesOnce();
}

TLED::TLED(QWidget* parent) : TLED(parent, QStringLiteral(":/TLED")) {}

TLED::TLED(QWidget* parent, const QString& templateName) : QWidget(parent) {
    RegisterUiResources();
    resize(DefaultSize, DefaultSize);
    // A template that is missing or unreadable leaves a null image: the lamp stays blank.
    FBitmap.load(templateName);
    ColourLamp();
}

void TLED::SetColour(TColor colour) {
    if (colour == FColour)
        return;
    FColour = colour;
    ColourLamp();
    update();
}

void TLED::ColourLamp() {
    if (FBitmap.isNull()) {
        FLamp = QImage();
        return;
    }
    FLamp = FBitmap.convertToFormat(QImage::Format_RGB32);
    const QRgb lampRgb = RgbOf(FColour);
    for (int y = 0; y < FLamp.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(FLamp.scanLine(y));
        for (int x = 0; x < FLamp.width(); ++x)
            if ((line[x] & 0xFFFFFF) == LampBodyRgb)
                line[x] = lampRgb;
    }
}

void TLED::paintEvent(QPaintEvent* /*event*/) {
    if (FLamp.isNull())
        return;
    // The circle's square runs from (0, 0) to (w + 3, w + 3), right and bottom edges excluded;
    // both extents follow the picture's width. The picture sits one pixel in from the corner,
    // so the rim keeps its colours and the template's corners fall outside.
    const int side = FLamp.width() + 3;
    QPainter painter(this);
    painter.setClipRegion(QRegion(0, 0, side, side, QRegion::Ellipse));
    painter.drawImage(1, 1, FLamp);
}

} // namespace kestrune
