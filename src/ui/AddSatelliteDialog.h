#pragma once
// "Add satellite...": the names of the element sets in the current folder, each with its
// catalog number and the age of its set, filtered as the user types.

#include "core/DateTime.h"
#include "core/ElementSets.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;

namespace kestrune {

class TAddSatelliteDialog final : public QDialog {
    Q_OBJECT
public:
    TAddSatelliteDialog(const TElementSetIndex& sets, TDateTime now, QWidget* parent);
    // The picked name; empty when none is.
    QString ChosenName() const;

private:
    void Filter(const QString& text);
    void ShowHint();

    QLineEdit* FFilter;
    QListWidget* FNames;
    QLabel* FHint;
};

} // namespace kestrune
