#include "core/ReceiverControl.h"

#include <cstdio>
#include <cstdlib>
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

std::string MegahertzText(long long frequencyHz, int decimals) {
    // Parts of a megahertz, rounded: integers throughout, so no locale and no rounding of
    // binary fractions shows.
    long long perMegahertz = 1;
    for (int i = 0; i < decimals; ++i)
        perMegahertz *= 10;
    const long long step = 1'000'000 / perMegahertz;
    const long long parts = (frequencyHz + step / 2) / step;
    char text[48];
    std::snprintf(text, sizeof text, "%lld.%0*lld", parts / perMegahertz, decimals,
                  parts % perMegahertz);
    return text;
}

const TChannel* ChannelNear(long long frequencyHz) {
    const TChannel* nearest = nullptr;
    const auto distance = [&](const TChannel& channel) {
        return std::llabs(channel.FrequencyHz - frequencyHz);
    };
    for (const TChannel& channel : Channels) {
        if (distance(channel) <= SerialReceiverPassbandHz / 2 &&
            (nearest == nullptr || distance(channel) < distance(*nearest)))
            nearest = &channel;
    }
    return nearest;
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
    FTuning.reset();
    Select(index);
}

void TReceiverControl::Select(int index) {
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

void TReceiverControl::SelectSatelliteFrequency(const TTuning& tuning,
                                                const std::string& satellite) {
    const TReceiverTypeInfo* type = FindReceiverType(FView.ReceiverType());
    int item = 0;
    if (type != nullptr && type->SerialPort) {
        if (const TChannel* channel = ChannelNear(tuning.FrequencyHz))
            item = channel->Number + 1;
        else if (const std::string megahertz = MegahertzText(tuning.FrequencyHz, 3);
                 FWarnedFrequencies.insert(satellite + "\n" + megahertz).second)
            FView.Warn(satellite + "'s frequency, " + megahertz + " MHz, is not within " +
                       std::to_string(SerialReceiverPassbandHz / 2000) +
                       " kHz of any channel of the " + type->Name +
                       ": the receiver scans or stands by during its passes; give the satellite "
                       "a channel digit in \"SatChannels\" (the satellite grid's channel "
                       "column) or use a receiver type that tunes by frequency (rigctl)");
    }
    FTuning = tuning;
    Select(item);
    RadioGroupChannelClick();
}

void TReceiverControl::RadioGroupChannelClick() {
    // "No type" sends no command.
    const TReceiverTypeInfo* type = FindReceiverType(FView.ReceiverType());
    if (FTuning && (type == nullptr || !type->SerialPort))
        HandleOwnFrequency(*FTuning);
    else if (FChannelIndex == 0)
        HandleScanOrStandby(type);
    else if (FChannelIndex >= 1 && FChannelIndex < ChannelItemCount)
        HandleChannel(type, Channels[static_cast<std::size_t>(FChannelIndex) - 1]);
    // The satellite's own frequency, also when a serial receiver takes the channel near it.
    if (FTuning)
        FChannelFrequencyHz = FTuning->FrequencyHz;
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
                FRig->Tune(TTuning{channel.FrequencyHz});
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

void TReceiverControl::HandleOwnFrequency(const TTuning& tuning) {
    Guarded([&] {
        FChannelFrequencyHz = tuning.FrequencyHz;
        const TReceiverTypeInfo* type = FindReceiverType(FView.ReceiverType());
        if (type != nullptr && type->Channel == TChannelDriver::RigFrequency) {
            if (FRig)
                FRig->Tune(tuning);
            FView.SetCaption("RX " + MegahertzText(tuning.FrequencyHz, 3) + " MHz");
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
