#include "PersistedControls.h"

namespace kestrune {

TqmrComboBox::TqmrComboBox(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (FClickAttached)
            emit Click(index);
    });
}

TqmrComboBox::~TqmrComboBox() {
    // The setting goes before the items it indexes.
    FPersisted.reset();
}

const QString TqmrComboBox::NamedAs() const {
    return FPersisted ? QString::fromStdString(FPersisted->NamedAs()) : FNamedAs;
}

void TqmrComboBox::SetNamedAs(const QString& namedAs) {
    FNamedAs = namedAs;
    if (FPersisted)
        FPersisted->SetNamedAs(namedAs.toStdString());
}

void TqmrComboBox::Loaded(const TSettingsContext& settings) {
    if (FPersisted)
        return;
    FPersisted = std::make_unique<TPersistedComboBox>(settings, static_cast<IComboBoxView&>(*this));
    FPersisted->SetNamedAs(FNamedAs.toStdString());
    FPersisted->Loaded();
}

void TqmrComboBox::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    if (FPersisted)
        FPersisted->FocusLost();
}

void TqmrComboBox::SetItemIndex(int index) {
    setCurrentIndex(index >= 0 && index < count() ? index : -1);
}

TqmrCheckBox::TqmrCheckBox(QWidget* parent) : QCheckBox(parent) {
    connect(this, &QCheckBox::clicked, this, [this](bool checked) {
        if (FClickAttached)
            emit Click(checked);
    });
}

TqmrCheckBox::~TqmrCheckBox() {
    FPersisted.reset();
}

const QString TqmrCheckBox::NamedAs() const {
    return FPersisted ? QString::fromStdString(FPersisted->NamedAs()) : FNamedAs;
}

void TqmrCheckBox::SetNamedAs(const QString& namedAs) {
    FNamedAs = namedAs;
    if (FPersisted)
        FPersisted->SetNamedAs(namedAs.toStdString());
}

void TqmrCheckBox::Loaded(const TSettingsContext& settings) {
    if (FPersisted)
        return;
    FPersisted = std::make_unique<TPersistedCheckBox>(settings, static_cast<ICheckBoxView&>(*this));
    FPersisted->SetNamedAs(FNamedAs.toStdString());
    FPersisted->Loaded();
}

} // namespace kestrune
