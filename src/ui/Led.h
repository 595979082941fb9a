#pragma once
// The lamp on the timer tab: a small round light in the sequencer's colour. It draws on its
// parent's surface (a plain widget has no native window of its own) from a 15 x 15 picture of a
// lit lamp, with the picture's pure-green pixels in the lamp's colour and everything clipped to
// a circle.

#include "core/PassSequencer.h"

#include <QImage>
#include <QString>
#include <QWidget>

namespace kestrune {

// Registers the pictures compiled into the window's library (the lamp, the program icon) with
// Qt's resource system. Call it before using ":/kestrune.png"; calling it again does nothing.
void RegisterUiResources();

class TLED : public QWidget {
    Q_OBJECT

public:
    static constexpr int DefaultSize = 17;

    // Loads the lamp picture from the resource ":/TLED"; a picture that cannot be read leaves
    // the lamp empty and it then draws nothing.
    explicit TLED(QWidget* parent = nullptr);
    // The same with the picture taken from another file or resource.
    TLED(QWidget* parent, const QString& templateName);

    // The lamp colour as 0x00BBGGRR. Setting another value repaints the lamp later; setting
    // the current one does nothing.
    TColor Colour() const { return FColour; }
    void SetColour(TColor colour);
    // The lamp picture (empty when it could not be read).
    const QImage& Bitmap() const { return FBitmap; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ColourLamp();

    QImage FBitmap;
    TColor FColour = ClLime;
    // The picture with its green pixels already in the lamp colour.
    QImage FLamp;
};

} // namespace kestrune
