#include "core/ReceiverControl.h"

#include <cmath>
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

TReceiverControl::TReceiverControl(IReceiverView& view, IReceiverPort& port, ISleeper& sleeper,
                                   const TLocaleInfo& locale)
    : FView(view), FPort(port), FSleeper(sleeper),
      FLocale(locale), FItems{"Scan",      "0  137.20", "1  137.10", "2  137.40",
                              "3  137.50", "4  137.62", "5  137.91", "6  137.30",
                              "7  137.70", "8  137.80", "9  137.85"} {}

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
    SetChannelIndex(index);
    RadioGroupChannelClick();
}

void TReceiverControl::RadioGroupChannelClick() {
    // Only the low byte of the type's index counts, so "no type" (-1) is 255: no command.
    const int type = FView.ReceiverType() & 0xFF;
    if (FChannelIndex == 0)
        HandleScanOrStandby(type);
    else if (FChannelIndex >= 1 && FChannelIndex < ChannelItemCount)
        HandleChannel(type, FChannelIndex);
    FHint = FView.ScanWhenIdle() ? "Select an RX channel"
                                 : "Select an RX channel\rStandby is channel 0";
    FView.ChannelSelectorChanged();
}

void TReceiverControl::HandleScanOrStandby(int type) {
    if (FView.ScanWhenIdle()) {
        Guarded([&] {
            if (type == RxR139) {
                SendCommand("FS");
                FView.SetCaption("RX scanning...");
            } else if (type == RxR2fx) {
                FView.SetCaption("R2FX...");
            } else if (type == RxRx2) {
                SendCommand("S");
                FView.SetCaption("RX scanning...");
            }
            FItems[0] = "Scan";
        });
    } else if (type == RxR139 || type == RxR2fx || type == RxRx2) {
        Guarded([&] {
            SendCommand("F0");
            FView.SetCaption("RX standby");
            FItems[0] = "Standby";
        });
    }
}

void TReceiverControl::HandleChannel(int type, int index) {
    Guarded([&] {
        const std::string& item = FItems[static_cast<std::size_t>(index)];
        const std::string frequencyText = item.size() > 2 ? item.substr(2) : std::string();
        // The items are the program's own texts and always carry a point, whatever the user's
        // locale writes; reading them with the user's separator would make every channel 0 Hz.
        try {
            FChannelFrequency = StrToFloat(frequencyText, TLocaleInfo{});
        } catch (const EConvertError&) {
            FChannelFrequency = 0;
        }
        const int channel = index - 1;
        if (type == RxR139 || type == RxRx2) {
            SendCommand("F" + std::to_string(channel));
            FView.SetCaption("RX channel " + std::to_string(channel));
        } else if (type == RxRigctl) {
            if (FRig)
                FRig->Tune(std::llround(FChannelFrequency * 1'000'000));
            FView.SetCaption("RX channel " + std::to_string(channel));
        } else if (type == RxR2fx) {
            FView.SetCaption("R2FX " + frequencyText + "MHz");
            SendCommandSlowly(
                "C0" + frequencyText.substr(std::min<std::size_t>(2, frequencyText.size()), 4));
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
    // No port to set up for a receiver that needs none.
    const int type = FView.ReceiverType() & 0xFF;
    if (type != RxDde && type != RxRigctl)
        FView.ShowMessage("Please set up the COM port, and restart the program.");
}

} // namespace kestrune
