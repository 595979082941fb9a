#pragma once
// The port setup dialog without its drawing: the machine's port list, the six drop-down lists
// bound to the port's properties, and the view interface that shows them.

#include "serial/ComTypes.h"

#include <string>
#include <vector>

namespace kestrune {

class IRegistry;
class TCustomComPort;

enum class TComProperty {
    cpNone,
    cpPort,
    cpBaudRate,
    cpDataBits,
    cpStopBits,
    cpParity,
    cpFlowControl
};

// The machine's serial ports from HKEY_LOCAL_MACHINE "HARDWARE\DEVICEMAP\SERIALCOMM", sorted
// without regard to case. Throws EComPort code 23 on "registry read".
std::vector<std::string> EnumComPorts(IRegistry& registry);

// The value a list has chosen for its property.
class TComSelect {
public:
    // Records the value that an item's text stands for.
    void SelectValue(TComProperty property, const std::string& itemText);
    // Writes the recorded value through the port's setter.
    void ApplyValue(TComProperty property, TCustomComPort& comPort) const;

    const std::string& Port() const { return FPort; }
    TBaudRate BaudRate() const { return FBaudRate; }
    TDataBits DataBits() const { return FDataBits; }
    TStopBits StopBits() const { return FStopBits; }
    TParityBits Parity() const { return FParity; }
    TFlowControl FlowControl() const { return FFlowControl; }

private:
    std::string FPort;
    TBaudRate FBaudRate = TBaudRate::brCustom;
    TDataBits FDataBits = TDataBits::dbFive;
    TStopBits FStopBits = TStopBits::sbOneStopBit;
    TParityBits FParity = TParityBits::prNone;
    TFlowControl FFlowControl = TFlowControl::fcHardware;
};

// A drop-down list (pick-only) bound to one property of a port. The window layer draws it and
// reports the user's pick through Change.
class TComComboBox {
public:
    // The registry gives the port list.
    explicit TComComboBox(IRegistry& registry) : FRegistry(registry) {}
    ~TComComboBox();
    TComComboBox(const TComComboBox&) = delete;
    TComComboBox& operator=(const TComComboBox&) = delete;

    TCustomComPort* ComPort() const { return FComPort; }
    // Binds the port and selects its current value. When the port is destroyed, the list
    // forgets it and selects its first item.
    void SetComPort(TCustomComPort* comPort);
    TComProperty ComProperty() const { return FComProperty; }
    // Fills the list; then selects the bound port's current value, or else the first item.
    void SetComProperty(TComProperty value);
    bool AutoApply() const { return FAutoApply; }
    void SetAutoApply(bool value) { FAutoApply = value; }

    const std::vector<std::string>& Items() const { return FItems; }
    // -1 when nothing is selected.
    int ItemIndex() const { return FItemIndex; }
    // The selected item's text, or empty text.
    std::string Text() const;
    // Selects the item with that text (ignoring letter case), if there is one.
    void SetText(const std::string& value);

    // Selects the item showing the bound port's current value, or nothing.
    void SelectCurrentValue();
    // Writes the chosen value into the bound port.
    void ApplyValue();
    // The user picked the item.
    void Change(int itemIndex);
    const TComSelect& Select() const { return FSelect; }

private:
    friend class TCustomComPort;
    void ComPortDestroyed();
    void Unbind();
    int IndexOf(const std::string& text) const;
    void SelectItem(int itemIndex);

    IRegistry& FRegistry;
    TCustomComPort* FComPort = nullptr;
    TComProperty FComProperty = TComProperty::cpNone;
    bool FAutoApply = false;
    std::vector<std::string> FItems;
    int FItemIndex = -1;
    TComSelect FSelect;
};

// The dialog's content: the six lists, filled when it is created (which reads the port list
// and may throw EComPort code 23).
class TComSetupForm {
public:
    explicit TComSetupForm(IRegistry& registry);
    TComSetupForm(const TComSetupForm&) = delete;
    TComSetupForm& operator=(const TComSetupForm&) = delete;

    TComComboBox Combo1; // port
    TComComboBox Combo2; // baud rate
    TComComboBox Combo3; // data bits
    TComComboBox Combo4; // stop bits
    TComComboBox Combo5; // parity
    TComComboBox Combo6; // flow control

    // The six lists in the order port, baud rate, data bits, stop bits, parity, flow control.
    std::vector<TComComboBox*> Combos();
};

// Shows the setup dialog ("Setup") modally.
class IComSetupView {
public:
    virtual ~IComSetupView() = default;
    // Shows the form's lists with their selections; each pick goes to that list's Change. True
    // when the dialog was closed with OK.
    virtual bool ShowModal(TComSetupForm& form) = 0;
};

} // namespace kestrune
