#pragma once
// The two controls that keep their own setting: a drop-down list whose selected index is stored
// (TqmrComboBox) and a check box whose state is (TqmrCheckBox). Each reads its value when the
// window has finished loading it (Loaded) and writes it when it is destroyed.

#include "settings/PersistedControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <memory>

namespace kestrune {

// What both controls share: the value name, the logic object, and the click handler that is
// detached while a stored value is applied.
template <typename TWidget, typename TView, typename TLogic>
class TPersistedWidget : public TWidget, protected TView {
public:
    explicit TPersistedWidget(QWidget* parent) : TWidget(parent) {}

    QString NamedAs() const {
        return FPersisted ? QString::fromStdString(FPersisted->NamedAs()) : FNamedAs;
    }
    void SetNamedAs(const QString& namedAs) {
        FNamedAs = namedAs;
        if (FPersisted)
            FPersisted->SetNamedAs(namedAs.toStdString());
    }
    // Reads the stored value and applies it without the click handler running.
    void Loaded(const TSettingsContext& settings) {
        if (FPersisted)
            return;
        FPersisted = std::make_unique<TLogic>(settings, static_cast<TView&>(*this));
        FPersisted->SetNamedAs(FNamedAs.toStdString());
        FPersisted->Loaded();
    }

protected:
    // Writes the setting. The control's destructor calls it, while the control still answers
    // for its state and items.
    void Release() { FPersisted.reset(); }
    bool ClickAttached() const { return FClickAttached; }
    TLogic* Persisted() const { return FPersisted.get(); }

private:
    std::string ComponentName() const override { return this->objectName().toStdString(); }
    void DetachClickHandler() override { FClickAttached = false; }
    void AttachClickHandler() override { FClickAttached = true; }

    QString FNamedAs;
    bool FClickAttached = true;
    std::unique_ptr<TLogic> FPersisted;
};

class TqmrComboBox final : public TPersistedWidget<QComboBox, IComboBoxView, TPersistedComboBox> {
    Q_OBJECT
public:
    explicit TqmrComboBox(QWidget* parent = nullptr);
    ~TqmrComboBox() override { Release(); }

signals:
    // The user picked an item (the control's click handler).
    void Click(int index);

protected:
    // Captures the selection.
    void focusOutEvent(QFocusEvent* event) override;

private:
    int ItemIndex() const override { return currentIndex(); }
    int ItemCount() const override { return count(); }
    // An index outside the list selects nothing.
    void SetItemIndex(int index) override { setCurrentIndex(index < count() ? index : -1); }
};

class TqmrCheckBox final : public TPersistedWidget<QCheckBox, ICheckBoxView, TPersistedCheckBox> {
    Q_OBJECT
public:
    explicit TqmrCheckBox(QWidget* parent = nullptr);
    ~TqmrCheckBox() override { Release(); }

signals:
    // The user clicked the box (the control's click handler).
    void Click(bool checked);

private:
    bool Checked() const override { return isChecked(); }
    void SetChecked(bool checked) override { setChecked(checked); }
};

} // namespace kestrune
