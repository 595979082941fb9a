#include "core/ReceiverControl.h"

#include <cstdio>
#include <stdexcept>

namespace kestrune {

namespace {

constexpr int CharacterSpacingMs = 250; // the R2FX takes one character every 250 ms

// Runs one guarded block: a failure (a receiver command that could not be written) skips the
// rest of the block and is dropped without a word.
template <typename TBlock> void Guarded(TBlock block) {
    try {
        block();
    } catch (const std::exception&) {
    }
}

} // namespace

const TReceiverTypeInfo* FindReceiverType(int index) {
    const int type = index & 0xFF;
    for (const TReceiverTypeInfo& info : ReceiverTypes) {
        if (info.Type == type)
            return &info;
    }
    return nullptr;
}

std::string MegahertzText(long long frequencyHz) {
    // Hundredths of a megahertz, rounded: integers throughout, so no locale and no rounding
    // of binary fractions shows.
    const long long hundredths = (frequencyHz + 5'000) / 10'000;
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%02lld", hundredths / 100, hundredths % 100);
    return text;
}

TReceiverControl::TReceiverControl(IReceiverView& view, IReceiverPort& port, ISleeper& sleeper,
                                   const TLocaleInfo& locale)
    : FView(view), FPort(port), FSleeper(sleeper), FLocale(locale) {
    // Each channel's item: its digit, two blanks and its frequency ("4  137.62").
    FItems[0] = "Scan";
    for (const TChannel& channel : Channels) {
        FItems[static_cast<std::size_t>(channel.Number) + 1] =
            std::to_string(channel.Number) + "  " + MegahertzText(channel.FrequencyHz);
    }
}

const std::string& TReceiverControl::ItemText(int index) const {
    return FItems.at(static_cast<std::size_t>(index));
}

void TReceiverControl::SetChannelIndex(int index) {
    if (index < -1 || index >= ChannelItemCount)
        throw std::out_of_range("Channel item index out of range (" + std::to_string(index) + ")");
    if (index == FChannelIndex)
        return;
    FChannelIndex = index;
    FView.ChannelSelectorChanged();
    RadioGroupChannelClick();
}

void TReceiverControl::SelectChannelItem(int index) {
    FStandby = index == 1;
    SetChannelIndex(index);
    RadioGroupChannelClick();
    FStandby = false;
}

void TReceiverControl::RadioGroupChannelClick() {
    // "No type" sends no command.
    const TReceiverTypeInfo* type = FindReceiverType(FView.ReceiverType());
    if (FChannelIndex == 0)
        HandleScanOrStandby(type);
    else if (FChannelIndex >= 1 && FChannelIndex < ChannelItemCount)
        HandleChannel(type, Channels[static_cast<std::size_t>(FChannelIndex) - 1]);
    FHint = FView.ScanWhenIdle() ? "Select an RX channel"
                                 : "Select an RX channel\rStandby is channel 0";
    FView.ChannelSelectorChanged();
}

void TReceiverControl::HandleScanOrStandby(const TReceiverTypeInfo* type) {
    if (FRig && type != nullptr && type->Channel == TChannelDriver::RigFrequency)
        FRig->LeaveAlone();
    if (FView.ScanWhenIdle()) {
        Guarded([&] {
            if (type != nullptr && type->ScanCommand != nullptr)
                SendCommand(type->ScanCommand);
            if (type != nullptr && type->ScanCaption != nullptr)
                FView.SetCaption(type->ScanCaption);
            FItems[0] = "Scan";
        });
    } else if (type != nullptr && type->Standby) {
        Guarded([&] {
            SendCommand("F0");
            FView.SetCaption("RX standby");
            FItems[0] = "Standby";
        });
    }
}

void TReceiverControl::HandleChannel(const TReceiverTypeInfo* type, const TChannel& channel) {
    Guarded([&] {
        FChannelFrequencyHz = channel.FrequencyHz;
        const std::string caption = "RX channel " + std::to_string(channel.Number);
        switch (type != nullptr ? type->Channel : TChannelDriver::None) {
        case TChannelDriver::None:
            break;
        case TChannelDriver::ChannelDigit:
            SendCommand("F" + std::to_string(channel.Number));
            FView.SetCaption(caption);
            break;
        case TChannelDriver::RigFrequency:
            if (FRig && FStandby)
                FRig->LeaveAlone();
            else if (FRig)
                FRig->Tune(channel.FrequencyHz);
            FView.SetCaption(caption);
            break;
        case TChannelDriver::FrequencyDigitsSlowly: {
            // " 137.62" becomes the caption "R2FX  137.62MHz" and the command "C0376".
            const std::string frequencyText = " " + MegahertzText(channel.FrequencyHz);
            FView.SetCaption("R2FX " + frequencyText + "MHz");
            SendCommandSlowly("C0" + frequencyText.substr(2, 4));
            break;
        }
        }
    });
}

void TReceiverControl::SendCommand(const std::string& text) {
    if (!FPort.Connected())
        return;
    FPort.WriteStr(FLocale.ToSystemCharset(text));
}

void TReceiverControl::SendCommandSlowly(const std::string& text) {
    if (!FPort.Connected())
        return;
    for (char c : text) {
        if (c == '.')
            continue;
        FPort.WriteStr(FLocale.ToSystemCharset(std::string(1, c)));
        FSleeper.Sleep(CharacterSpacingMs);
    }
}

void TReceiverControl::ComboBoxRxTypeChange() {
    // "No type" is taken as a serial receiver.
    const TReceiverTypeInfo* type = FindReceiverType(FView.ReceiverType());
    const char* message = type != nullptr ? type->SetupMessage : ComPortSetupMessage;
    if (message != nullptr)
        FView.ShowMessage(message);
}

} // namespace kestrune
