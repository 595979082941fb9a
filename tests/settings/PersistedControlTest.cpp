#include "settings/PersistedControl.h"

#include "settings/MemoryRegistry.h"

#include <gtest/gtest.h>

namespace kestrune::test {
namespace {

// A control that notes whether its click handler would have run for a change.
class TFakeControl {
public:
    void DetachClickHandler() { Attached = false; }
    void AttachClickHandler() { Attached = true; }
    void Changed() {
        if (Attached)
            ++Clicks;
    }
    bool Attached = true;
    int Clicks = 0;
};

class TFakeComboBox : public IComboBoxView, public TFakeControl {
public:
    std::string ComponentName() const override { return "ComboBoxRxType"; }
    void DetachClickHandler() override { TFakeControl::DetachClickHandler(); }
    void AttachClickHandler() override { TFakeControl::AttachClickHandler(); }
    int ItemIndex() const override { return Index; }
    int ItemCount() const override { return 4; }
    void SetItemIndex(int index) override {
        Index = index;
        Changed();
    }
    int Index = -1;
};

class TFakeCheckBox : public ICheckBoxView, public TFakeControl {
public:
    std::string ComponentName() const override { return "CheckBoxScanWhenIdle"; }
    void DetachClickHandler() override { TFakeControl::DetachClickHandler(); }
    void AttachClickHandler() override { TFakeControl::AttachClickHandler(); }
    bool Checked() const override { return State; }
    void SetChecked(bool checked) override {
        State = checked;
        Changed();
    }
    bool State = true;
};

class PersistedControls : public ::testing::Test {
protected:
    std::int32_t Stored(const char* name) { return TRegistryInteger(FContext, name, -99).Value; }
    void Store(const char* name, std::int32_t value) {
        TRegistryInteger setting(FContext, name);
        setting.Value = value;
    }

    TMemoryRegistry FRegistry;
    TSettingsContext FContext{FRegistry, [] { return std::string("Kestrune"); }};
};

TEST_F(PersistedControls, ComboBoxAppliesTheStoredIndexWithoutItsClickHandler) {
    Store("ComboBoxRxType", 1);
    TFakeComboBox view;
    TPersistedComboBox combo(FContext, view);
    EXPECT_EQ(combo.Setting(), nullptr);
    combo.Loaded();
    EXPECT_EQ(combo.NamedAs(), "ComboBoxRxType");
    EXPECT_EQ(view.Index, 1);
    EXPECT_EQ(view.Clicks, 0);
    EXPECT_TRUE(view.Attached);

    Store("ComboBoxRxType", 2); // read once only
    combo.Loaded();
    EXPECT_EQ(view.Index, 1);
}

TEST_F(PersistedControls, ComboBoxWithNamedAsAndAnIndexOutsideTheList) {
    Store("Receiver", 7);
    TFakeComboBox view;
    view.Index = 2;
    TPersistedComboBox combo(FContext, view);
    combo.SetNamedAs("Receiver");
    combo.Loaded();
    EXPECT_EQ(view.Index, -1);
    EXPECT_EQ(combo.Setting()->Value, 7);
}

TEST_F(PersistedControls, ComboBoxCapturesOnFocusLossAndAtShutdown) {
    TFakeComboBox view;
    {
        TPersistedComboBox combo(FContext, view);
        combo.SetNamedAs("RxType");
        combo.Loaded();
        EXPECT_EQ(combo.Setting()->Value, -1); // first run: nothing selected
        view.Index = 2;
        combo.FocusLost();
        EXPECT_EQ(combo.Setting()->Value, 2);
        view.Index = 3; // chosen with the focus still on it, then the window closes
    }
    EXPECT_EQ(Stored("RxType"), 3);
}

TEST_F(PersistedControls, CheckBoxAppliesTheStoredStateAndCapturesAtShutdown) {
    TFakeCheckBox view;
    {
        TPersistedCheckBox check(FContext, view);
        check.Loaded();
        EXPECT_TRUE(check.Setting()->Value); // first run: the control's own state
        view.State = false;
    }
    EXPECT_EQ(Stored("CheckBoxScanWhenIdle"), 0);

    TFakeCheckBox again;
    TPersistedCheckBox check(FContext, again);
    check.Loaded();
    EXPECT_FALSE(again.State);
    EXPECT_EQ(again.Clicks, 0);
    EXPECT_TRUE(again.Attached);
}

} // namespace
} // namespace kestrune::test
