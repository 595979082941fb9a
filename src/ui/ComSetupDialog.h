#pragma once
// The port setup dialog ("Setup"): six drop-down lists for the port name, baud rate, data
// bits, stop bits, parity and flow control, with OK and Cancel.

#include "serial/ComSetup.h"

#include <QDialog>

class QComboBox;

namespace kestrune {

class TComSetupFrm final : public QDialog {
    Q_OBJECT
public:
    // Shows the form's lists with their selections; each pick goes to that list's Change.
    TComSetupFrm(TComSetupForm& form, QWidget* parent);

private:
    QComboBox* FCombos[6] = {};
};

// Shows TComSetupFrm modally over the given window.
class TComSetupDialog final : public IComSetupView {
public:
    explicit TComSetupDialog(QWidget* parent) : FParent(parent) {}
    bool ShowModal(TComSetupForm& form) override;

private:
    QWidget* FParent;
};

} // namespace kestrune
