#pragma once
// The port setup dialog ("Setup"): the six drop-down lists of the port's settings with OK and
// Cancel.

#include "ComSetup.h"

class QWidget;

namespace kestrune {

class TComSetupDialog final : public IComSetupView {
public:
    explicit TComSetupDialog(QWidget* parent) : FParent(parent) {}
    bool ShowModal(TComSetupForm& form) override;

private:
    QWidget* FParent;
};

} // namespace kestrune
