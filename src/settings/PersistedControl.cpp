#include "settings/PersistedControl.h"

namespace kestrune {

TPersistedControl::TPersistedControl(const TSettingsContext& context, IPersistedControlView& view)
    : FContext(context), FView(view) {}

const std::string& TPersistedControl::ResolveNamedAs() {
    if (FNamedAs.empty())
        FNamedAs = FView.ComponentName();
    return FNamedAs;
}

void TPersistedControl::ApplyDetached(const std::function<void()>& apply) {
    struct TReattach {
        IPersistedControlView& View;
        ~TReattach() { View.AttachClickHandler(); }
    };
    FView.DetachClickHandler();
    const TReattach reattach{FView};
    apply();
}

TPersistedComboBox::TPersistedComboBox(const TSettingsContext& context, IComboBoxView& view)
    : TPersistedControl(context, view), FView(view) {}

TPersistedComboBox::~TPersistedComboBox() {
    // The selection at shutdown is kept even when the control still has the focus.
    if (FSetting != nullptr)
        FSetting->Value = FView.ItemIndex();
}

void TPersistedComboBox::Loaded() {
    if (FSetting != nullptr)
        return;
    FSetting = std::make_unique<TRegistryInteger>(FContext, ResolveNamedAs(), FView.ItemIndex());
    const int index = FSetting->Value;
    ApplyDetached(
        [&] { FView.SetItemIndex(index >= 0 && index < FView.ItemCount() ? index : -1); });
}

void TPersistedComboBox::FocusLost() {
    if (FSetting != nullptr)
        FSetting->Value = FView.ItemIndex();
}

TPersistedCheckBox::TPersistedCheckBox(const TSettingsContext& context, ICheckBoxView& view)
    : TPersistedControl(context, view), FView(view) {}

TPersistedCheckBox::~TPersistedCheckBox() {
    if (FSetting != nullptr)
        FSetting->Value = FView.Checked();
}

void TPersistedCheckBox::Loaded() {
    if (FSetting != nullptr)
        return;
    FSetting = std::make_unique<TRegistryBoolean>(FContext, ResolveNamedAs(), FView.Checked());
    const bool checked = FSetting->Value;
    ApplyDetached([&] { FView.SetChecked(checked); });
}

} // namespace kestrune
