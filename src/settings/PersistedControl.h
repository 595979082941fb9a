#pragma once
// The logic of the two controls that keep their own setting: a combo box whose selected index
// is the setting "NamedAs" (TqmrComboBox), and a check box whose checked state is
// (TqmrCheckBox). The window's controls implement the view and call Loaded at the end of their
// loading, FocusLost (combo box) after their own exit handler, and destroy the logic object
// before their items are gone.

#include "settings/RegistryVariables.h"

#include <functional>
#include <memory>
#include <string>

namespace kestrune {

class IPersistedControlView {
public:
    virtual ~IPersistedControlView() = default;
    // The control's component name (its object name).
    virtual std::string ComponentName() const = 0;
    // Stop and restart the control's click handler around a change that is not the user's.
    virtual void DetachClickHandler() = 0;
    virtual void AttachClickHandler() = 0;
};

class IComboBoxView : public IPersistedControlView {
public:
    // -1 when nothing is selected.
    virtual int ItemIndex() const = 0;
    virtual int ItemCount() const = 0;
    virtual void SetItemIndex(int index) = 0;
};

class ICheckBoxView : public IPersistedControlView {
public:
    virtual bool Checked() const = 0;
    virtual void SetChecked(bool checked) = 0;
};

// What both controls share: the value name NamedAs (empty means the component's name) and
// putting the stored state into the control without its click handler running.
class TPersistedControl {
public:
    TPersistedControl(const TPersistedControl&) = delete;
    TPersistedControl& operator=(const TPersistedControl&) = delete;

    const std::string& NamedAs() const { return FNamedAs; }
    void SetNamedAs(std::string namedAs) { FNamedAs = std::move(namedAs); }

protected:
    TPersistedControl(const TSettingsContext& context, IPersistedControlView& view);
    ~TPersistedControl() = default;

    // NamedAs, set to the component's name first when it is empty.
    const std::string& ResolveNamedAs();
    // Runs apply with the click handler detached, re-attaching it whatever happens.
    void ApplyDetached(const std::function<void()>& apply);

    const TSettingsContext FContext;

private:
    IPersistedControlView& FView;
    std::string FNamedAs;
};

class TPersistedComboBox : public TPersistedControl {
public:
    TPersistedComboBox(const TSettingsContext& context, IComboBoxView& view);
    // Captures the selection and writes it.
    ~TPersistedComboBox();

    // The end of loading: creates the setting (once) with the current index as default and
    // selects the stored index; an index outside the list selects nothing.
    void Loaded();
    // The control lost the focus: the selection becomes the setting's value.
    void FocusLost();

    // Null before Loaded.
    const TRegistryInteger* Setting() const { return FSetting.get(); }

private:
    IComboBoxView& FView;
    std::unique_ptr<TRegistryInteger> FSetting;
};

class TPersistedCheckBox : public TPersistedControl {
public:
    TPersistedCheckBox(const TSettingsContext& context, ICheckBoxView& view);
    // Captures the checked state and writes it.
    ~TPersistedCheckBox();

    // The end of loading: creates the setting (once) with the current state as default and
    // applies the stored state.
    void Loaded();

    // Null before Loaded.
    const TRegistryBoolean* Setting() const { return FSetting.get(); }

private:
    ICheckBoxView& FView;
    std::unique_ptr<TRegistryBoolean> FSetting;
};

} // namespace kestrune
