#pragma once
// Receiver control: turns the channel selection into commands for the 137 MHz receiver, shows
// the receiver's state in the window caption and keeps the selected channel's frequency.

#include "core/LocaleInfo.h"

#include <array>
#include <string>

namespace kestrune {

// The receiver types of the type selector, by index: the serial receivers, and an SDR program
// tuned over the network ("rigctl").
enum TReceiverType : int { RxDde = 0, RxR139 = 1, RxR2fx = 2, RxRx2 = 3, RxRigctl = 4 };

// A receiver tuned by frequency rather than by channel number.
class IRigControl {
public:
    virtual ~IRigControl() = default;
    // Tunes it; throws when it cannot. Never takes much longer than its timeout.
    virtual void Tune(long long frequencyHz) = 0;
};

// The serial port as receiver control and the pass sequencer use it.
class IReceiverPort {
public:
    virtual ~IReceiverPort() = default;
    // True while the port is open.
    virtual bool Connected() const = 0;
    // Writes exactly these bytes and waits until they are written; throws on failure.
    virtual void WriteStr(const std::string& bytes) = 0;
    virtual void SetRTSLine(bool high) = 0;
    // Closes the port after a failure (an adapter pulled out), whatever fails on the way.
    virtual void CloseAfterFailure() = 0;
    // Opens the port again when the receiver is driven through it and it is closed (pulled
    // out, or missing at start and plugged in since). Never throws: a port that stays away was
    // reported when it went.
    virtual void Reopen() = 0;
};

class ISleeper {
public:
    virtual ~ISleeper() = default;
    virtual void Sleep(int milliseconds) = 0;
};

// What receiver control reads from and shows in the window.
class IReceiverView {
public:
    virtual ~IReceiverView() = default;
    // The receiver-type selector's index (-1: none selected).
    virtual int ReceiverType() const = 0;
    virtual bool ScanWhenIdle() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // The channel selector's index, item texts or hint changed: show them again.
    virtual void ChannelSelectorChanged() = 0;
    virtual void ShowMessage(const std::string& text) = 0;
};

constexpr int ChannelItemCount = 11;

class TReceiverControl {
public:
    TReceiverControl(IReceiverView& view, IReceiverPort& port, ISleeper& sleeper,
                     const TLocaleInfo& locale);

    // The channel selector: item 0 is scan (or standby), items 1 to 10 are channels 0 to 9.
    int ChannelIndex() const { return FChannelIndex; }
    const std::string& ItemText(int index) const;
    const std::string& Hint() const { return FHint; }

    // Selects an item as a click or the program does: a change of index runs the channel
    // handler, selecting the item already selected does not.
    void SetChannelIndex(int index);
    // Selects the item and runs the handler once more.
    void SelectChannelItem(int index);
    // The channel handler, also run by every click of the scan-if-idle box.
    void RadioGroupChannelClick();
    // The user picked another receiver type.
    void ComboBoxRxTypeChange();
    // The receiver that type "rigctl" tunes; none until the program says.
    void SetRig(IRigControl* rig) { FRig = rig; }

    // The frequency in MHz of the channel handled last; 0 until one is.
    double ChannelFrequency() const { return FChannelFrequency; }

    void SendCommand(const std::string& text);
    // One character at a time, 250 ms after each, without the points.
    void SendCommandSlowly(const std::string& text);

private:
    void HandleScanOrStandby(int type);
    void HandleChannel(int type, int index);

    IReceiverView& FView;
    IReceiverPort& FPort;
    ISleeper& FSleeper;
    IRigControl* FRig = nullptr;
    const TLocaleInfo& FLocale;
    std::array<std::string, ChannelItemCount> FItems;
    int FChannelIndex = 0;
    std::string FHint;
    double FChannelFrequency = 0;
};

} // namespace kestrune
