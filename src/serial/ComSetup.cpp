#include "serial/ComSetup.h"

#include "core/Text.h"
#include "serial/ComPort.h"
#include "settings/Registry.h"

#include <algorithm>

namespace kestrune {

namespace {

constexpr const char* SerialCommKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr const char* RegistryReadPlace = "registry read";
// The buffers offered for each value: 256 characters of name, 256 bytes of data.
constexpr std::uint32_t NameCapacity = 256;
constexpr std::uint32_t DataCapacity = 256;

template <typename E> std::vector<std::string> AllTexts(E last, std::string (*text)(E)) {
    std::vector<std::string> texts;
    for (int i = 0; i <= static_cast<int>(last); ++i) {
        texts.push_back(text(static_cast<E>(i)));
    }
    return texts;
}

std::vector<std::string> ItemsOf(TComProperty property, IRegistry& registry) {
    switch (property) {
    case TComProperty::cpNone:
        return {};
    case TComProperty::cpPort:
        return EnumComPorts(registry);
    case TComProperty::cpBaudRate:
        return AllTexts(TBaudRate::br256000, BaudRateText);
    case TComProperty::cpDataBits:
        return AllTexts(TDataBits::dbEight, DataBitsText);
    case TComProperty::cpStopBits:
        return AllTexts(TStopBits::sbTwoStopBits, StopBitsText);
    case TComProperty::cpParity:
        return AllTexts(TParityBits::prSpace, ParityText);
    case TComProperty::cpFlowControl:
        return AllTexts(TFlowControl::fcCustom, FlowControlText);
    }
    return {};
}

std::string CurrentText(TComProperty property, const TCustomComPort& comPort) {
    switch (property) {
    case TComProperty::cpNone:
        return {};
    case TComProperty::cpPort:
        return comPort.Port();
    case TComProperty::cpBaudRate:
        return BaudRateText(comPort.BaudRate());
    case TComProperty::cpDataBits:
        return DataBitsText(comPort.DataBits());
    case TComProperty::cpStopBits:
        return StopBitsText(comPort.StopBits());
    case TComProperty::cpParity:
        return ParityText(comPort.Parity().Bits());
    case TComProperty::cpFlowControl:
        return FlowControlText(comPort.FlowControl().FlowControl());
    }
    return {};
}

} // namespace

std::vector<std::string> EnumComPorts(IRegistry& registry) {
    std::unique_ptr<IRegistryKey> key;
    const TRegResult opened = registry.OpenKey(TRootKey::LocalMachine, SerialCommKey, KeyRead, key);
    if (opened != ErrorSuccess) {
        throw EComPort(comerr::RegError, RegistryReadPlace, opened);
    }
    std::vector<std::string> ports;
    for (std::uint32_t index = 0;; ++index) {
        std::string name;
        TRegType type = RegNone;
        std::vector<std::uint8_t> data;
        const TRegResult result =
            key->EnumValue(index, NameCapacity, DataCapacity, name, type, data);
        if (result == ErrorNoMoreItems) {
            break;
        }
        if (result != ErrorSuccess) {
            throw EComPort(comerr::RegError, RegistryReadPlace, result);
        }
        ports.push_back(TextFromUtf16Bytes(data));
    }
    std::stable_sort(ports.begin(), ports.end(), [](const std::string& a, const std::string& b) {
        return UpperCaseAscii(a) < UpperCaseAscii(b);
    });
    return ports;
}

void TComSelect::SelectValue(TComProperty property, const std::string& itemText) {
    switch (property) {
    case TComProperty::cpNone:
        break;
    case TComProperty::cpPort:
        FPort = itemText;
        break;
    case TComProperty::cpBaudRate:
        FBaudRate = BaudRateFromText(itemText);
        break;
    case TComProperty::cpDataBits:
        FDataBits = DataBitsFromText(itemText);
        break;
    case TComProperty::cpStopBits:
        FStopBits = StopBitsFromText(itemText);
        break;
    case TComProperty::cpParity:
        FParity = ParityFromText(itemText);
        break;
    case TComProperty::cpFlowControl:
        FFlowControl = FlowControlFromText(itemText);
        break;
    }
}

void TComSelect::ApplyValue(TComProperty property, TCustomComPort& comPort) const {
    switch (property) {
    case TComProperty::cpNone:
        break;
    case TComProperty::cpPort:
        comPort.SetPort(FPort);
        break;
    case TComProperty::cpBaudRate:
        comPort.SetBaudRate(FBaudRate);
        break;
    case TComProperty::cpDataBits:
        comPort.SetDataBits(FDataBits);
        break;
    case TComProperty::cpStopBits:
        comPort.SetStopBits(FStopBits);
        break;
    case TComProperty::cpParity:
        comPort.Parity().SetBits(FParity);
        break;
    case TComProperty::cpFlowControl:
        comPort.FlowControl().SetFlowControl(FFlowControl);
        break;
    }
}

TComComboBox::~TComComboBox() {
    Unbind();
}

void TComComboBox::Unbind() {
    if (FComPort != nullptr) {
        std::erase(FComPort->FBoundLists, this);
        FComPort = nullptr;
    }
}

void TComComboBox::SetComPort(TCustomComPort* comPort) {
    if (comPort == FComPort) {
        return;
    }
    Unbind();
    FComPort = comPort;
    if (comPort != nullptr) {
        comPort->FBoundLists.push_back(this);
    }
    SelectCurrentValue();
}

void TComComboBox::ComPortDestroyed() {
    FComPort = nullptr;
    FItemIndex = FItems.empty() ? -1 : 0;
}

void TComComboBox::SetComProperty(TComProperty value) {
    FComProperty = value;
    FItems.clear();
    FItemIndex = -1;
    FItems = ItemsOf(value, FRegistry);
    if (FItems.empty()) {
        return;
    }
    if (FComPort != nullptr) {
        SelectCurrentValue();
    } else {
        FItemIndex = 0;
    }
}

std::string TComComboBox::Text() const {
    return FItemIndex >= 0 ? FItems[static_cast<std::size_t>(FItemIndex)] : std::string();
}

int TComComboBox::IndexOf(const std::string& text) const {
    const std::string wanted = UpperCaseAscii(text);
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        if (UpperCaseAscii(FItems[i]) == wanted) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void TComComboBox::SetText(const std::string& value) {
    const int index = IndexOf(value);
    if (index >= 0) {
        FItemIndex = index;
    }
}

void TComComboBox::SelectItem(int itemIndex) {
    FItemIndex = itemIndex;
    if (itemIndex >= 0) {
        FSelect.SelectValue(FComProperty, FItems[static_cast<std::size_t>(itemIndex)]);
    }
}

void TComComboBox::SelectCurrentValue() {
    if (FComPort != nullptr) {
        SelectItem(IndexOf(CurrentText(FComProperty, *FComPort)));
    }
}

void TComComboBox::ApplyValue() {
    // A port list without a selection (the port's name is not among the machine's ports and the
    // user picked none) keeps the port's name rather than emptying it.
    if (FComPort == nullptr || (FComProperty == TComProperty::cpPort && FItemIndex < 0)) {
        return;
    }
    FSelect.ApplyValue(FComProperty, *FComPort);
}

void TComComboBox::Change(int itemIndex) {
    if (itemIndex < 0 || itemIndex >= static_cast<int>(FItems.size())) {
        return;
    }
    SelectItem(itemIndex);
    if (FAutoApply) {
        ApplyValue();
    }
}

TComSetupForm::TComSetupForm(IRegistry& registry)
    : Combo1(registry), Combo2(registry), Combo3(registry), Combo4(registry), Combo5(registry),
      Combo6(registry) {
    Combo1.SetComProperty(TComProperty::cpPort);
    Combo2.SetComProperty(TComProperty::cpBaudRate);
    Combo3.SetComProperty(TComProperty::cpDataBits);
    Combo4.SetComProperty(TComProperty::cpStopBits);
    Combo5.SetComProperty(TComProperty::cpParity);
    Combo6.SetComProperty(TComProperty::cpFlowControl);
}

std::vector<TComComboBox*> TComSetupForm::Combos() {
    return {&Combo1, &Combo2, &Combo3, &Combo4, &Combo5, &Combo6};
}

void TCustomComPort::RunSetupDialog(IComSetupView& view) {
    TComSetupForm form(FEnvironment.Registry);
    const std::vector<TComComboBox*> combos = form.Combos();
    for (TComComboBox* combo : combos) {
        combo->SetComPort(this);
    }
    for (TComComboBox* combo : combos) {
        combo->SelectCurrentValue();
    }
    if (!view.ShowModal(form)) {
        return;
    }
    BeginUpdate();
    try {
        for (TComComboBox* combo : combos) {
            combo->ApplyValue();
        }
    } catch (...) {
        // The first failure is the one reported; the batch is closed either way.
        try {
            EndUpdate();
        } catch (...) {
        }
        throw;
    }
    EndUpdate();
}

} // namespace kestrune
