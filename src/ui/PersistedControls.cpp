#include "ui/PersistedControls.h"

namespace kestrune {

TqmrComboBox::TqmrComboBox(QWidget* parent) : TPersistedWidget(parent) {
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (ClickAttached())
            emit Click(index);
    });
}

void TqmrComboBox::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    if (Persisted())
        Persisted()->FocusLost();
}

TqmrCheckBox::TqmrCheckBox(QWidget* parent) : TPersistedWidget(parent) {
    connect(this, &QCheckBox::clicked, this, [this](bool checked) {
        if (ClickAttached())
            emit Click(checked);
    });
}

} // namespace kestrune
