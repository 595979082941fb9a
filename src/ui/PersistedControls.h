#pragma once
// The two controls that keep their own setting: a drop-down list whose selected index is stored
// (TqmrComboBox) and a check box whose state is (TqmrCheckBox). Each reads its value when the
// window has finished loading it (Loaded) and writes it when it is destroyed.

#include "PersistedControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <memory>

namespace kestrune {

class TqmrComboBox final : public QComboBox, private IComboBoxView {
    Q_OBJECT
public:
    explicit TqmrComboBox(QWidget* parent = nullptr);
    // Writes the index captured when the focus left last.
    ~TqmrComboBox() override;

    const QString NamedAs() const;
    void SetNamedAs(const QString& namedAs);
    // Reads the stored index and selects it without the click handler running.
    void Loaded(const TSettingsContext& settings);

signals:
    // The user picked an item (the control's click handler).
    void Click(int index);

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    std::string ComponentName() const override { return objectName().toStdString(); }
    void DetachClickHandler() override { FClickAttached = false; }
    void AttachClickHandler() override { FClickAttached = true; }
    int ItemIndex() const override { return currentIndex(); }
    int ItemCount() const override { return count(); }
    void SetItemIndex(int index) override;

    QString FNamedAs;
    bool FClickAttached = true;
    std::unique_ptr<TPersistedComboBox> FPersisted;
};

class TqmrCheckBox final : public QCheckBox, private ICheckBoxView {
    Q_OBJECT
public:
    explicit TqmrCheckBox(QWidget* parent = nullptr);
    // Captures the checked state and writes it.
    ~TqmrCheckBox() override;

    const QString NamedAs() const;
    void SetNamedAs(const QString& namedAs);
    // Reads the stored state and applies it without the click handler running.
    void Loaded(const TSettingsContext& settings);

signals:
    // The user clicked the box (the control's click handler).
    void Click(bool checked);

private:
    std::string ComponentName() const override { return objectName().toStdString(); }
    void DetachClickHandler() override { FClickAttached = false; }
    void AttachClickHandler() override { FClickAttached = true; }
    bool Checked() const override { return isChecked(); }
    void SetChecked(bool checked) override { setChecked(checked); }

    QString FNamedAs;
    bool FClickAttached = true;
    std::unique_ptr<TPersistedCheckBox> FPersisted;
};

} // namespace kestrune
