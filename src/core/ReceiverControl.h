#pragma once
// Receiver control: turns the channel selection into commands for the 137 MHz receiver, shows
// the receiver's state in the window caption and keeps the selected channel's frequency.

#include "core/LocaleInfo.h"

#include <array>
#include <optional>
#include <set>
#include <string>

namespace kestrune {

// The receiver types of the type selector, by index: the serial receivers, and an SDR program
// tuned over the network ("rigctl").
enum TReceiverType : int { RxDde = 0, RxR139 = 1, RxR2fx = 2, RxRx2 = 3, RxRigctl = 4 };

// How a receiver type is sent a channel.
enum class TChannelDriver {
    None,                  // nothing: another program listens to the tracking string
    ChannelDigit,          // "F" and the channel's digit
    FrequencyDigitsSlowly, // "C0" and the frequency's digits, one character every 250 ms
    RigFrequency,          // the frequency, through the rig-control connection
};

// What the program knows of a receiver type: everything that differs between types is here, so
// that a new type is one entry (and, when it tunes in a new way, one driver).
struct TReceiverTypeInfo {
    TReceiverType Type;
    // As the type selector lists it.
    const char* Name;
    // Whether the receiver is driven through the serial port (which is then opened at start).
    bool SerialPort;
    // Scanning while idle: the command (none: nothing is sent) and the caption (none: the
    // caption stays as it is).
    const char* ScanCommand;
    const char* ScanCaption;
    // Whether the receiver has a standby ("F0") for when it should not scan.
    bool Standby;
    TChannelDriver Channel;
    // What the user must set up before the type works, said when it is picked; none for DDE.
    const char* SetupMessage;
};

inline constexpr const char* ComPortSetupMessage =
    "Please set up the COM port, and restart the program.";

inline constexpr std::array<TReceiverTypeInfo, 5> ReceiverTypes{{
    {RxDde, "DDE", false, nullptr, nullptr, false, TChannelDriver::None, nullptr},
    {RxR139, "R139", true, "FS", "RX scanning...", true, TChannelDriver::ChannelDigit,
     ComPortSetupMessage},
    {RxR2fx, "R2FX", true, nullptr, "R2FX...", true, TChannelDriver::FrequencyDigitsSlowly,
     ComPortSetupMessage},
    {RxRx2, "RX2", true, "S", "RX scanning...", true, TChannelDriver::ChannelDigit,
     ComPortSetupMessage},
    {RxRigctl, "rigctl", false, nullptr, nullptr, false, TChannelDriver::RigFrequency,
     "Please set up \"RigctlAddress\" (the rig-control server's host:port; 127.0.0.1:4532 when "
     "it is empty), and restart the program."},
}};

// The type at a selector index; null for "none selected" (-1) and any index outside the list.
// Only the index's low byte counts, as the type selector's stored value is read.
const TReceiverTypeInfo* FindReceiverType(int index);

// One of the receivers' ten channels: its number and its frequency.
struct TChannel {
    int Number;
    long long FrequencyHz;
};

// Channel 0 doubles as standby for the serial receivers.
inline constexpr std::array<TChannel, 10> Channels{{
    {0, 137'200'000},
    {1, 137'100'000},
    {2, 137'400'000},
    {3, 137'500'000},
    {4, 137'620'000},
    {5, 137'910'000},
    {6, 137'300'000},
    {7, 137'700'000},
    {8, 137'800'000},
    {9, 137'850'000},
}};

// The frequency in MHz with two (or the given number of) decimals and a point, whatever the
// locale: "137.62", "137.900".
std::string MegahertzText(long long frequencyHz, int decimals = 2);

// What a receiver tuned by frequency is set to: the frequency, and the rig-control mode and
// passband (0: the rig's normal passband for the mode). A channel is FM 40 kHz wide, enough for
// APT.
struct TTuning {
    long long FrequencyHz = 0;
    std::string Mode = "FM";
    int PassbandHz = 40000;
    friend bool operator==(const TTuning&, const TTuning&) = default;
};

// How wide the serial receivers' passband is: a frequency within half of it of a channel is
// received on that channel.
constexpr long long SerialReceiverPassbandHz = 40000;
// The channel whose frequency is nearest to the given one, when it is within half the serial
// receivers' passband of it; null otherwise.
const TChannel* ChannelNear(long long frequencyHz);

// A receiver tuned by frequency rather than by channel number.
class IRigControl {
public:
    virtual ~IRigControl() = default;
    // Tunes it; throws when it cannot. Never takes much longer than its timeout.
    virtual void Tune(const TTuning& tuning) = 0;
    // Scan, or standby between passes: the rig stays where it is, and a tuning that failed is not
    // tried again.
    virtual void LeaveAlone() = 0;
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
    // A mistake in the setup that would otherwise go unnoticed, with what to do about it.
    virtual void Warn(const std::string& text) = 0;
};

// The channel selector: item 0 is scan (or standby), items 1 to 10 are channels 0 to 9.
constexpr int ChannelItemCount = 11;

class TReceiverControl {
public:
    TReceiverControl(IReceiverView& view, IReceiverPort& port, ISleeper& sleeper,
                     const TLocaleInfo& locale);

    int ChannelIndex() const { return FChannelIndex; }
    const std::string& ItemText(int index) const;
    const std::string& Hint() const { return FHint; }

    // Selects an item as a click or the program does: a change of index runs the channel
    // handler, selecting the item already selected does not.
    void SetChannelIndex(int index);
    // Selects the item and runs the handler once more: the sequencer's selection. Its item 1 is
    // standby (channel 0) before and after a pass, which leaves a rig tuned over the network
    // where it is.
    void SelectChannelItem(int index);
    // The start of a pass on the satellite's own frequency, the sequencer's selection too: a
    // receiver tuned by frequency is tuned to it with its mode and passband; a serial receiver
    // is given the channel near it (ChannelNear; none: it scans or stands by, and is warned once
    // for the satellite and frequency). The frequency is the one handled, whatever the type,
    // until the next selection of an item.
    void SelectSatelliteFrequency(const TTuning& tuning, const std::string& satellite);
    // The channel handler, also run by every click of the scan-if-idle box.
    void RadioGroupChannelClick();
    // The user picked another receiver type.
    void ComboBoxRxTypeChange();
    // The receiver that type "rigctl" tunes; none until the program says.
    void SetRig(IRigControl* rig) { FRig = rig; }

    // The frequency of the channel handled last; 0 until one is.
    long long ChannelFrequencyHz() const { return FChannelFrequencyHz; }
    // Whether that is a satellite's own frequency, selected for its pass.
    bool OwnFrequency() const { return FTuning.has_value(); }

    void SendCommand(const std::string& text);
    // One character at a time, 250 ms after each, without the points.
    void SendCommandSlowly(const std::string& text);

private:
    void Select(int index);
    void HandleScanOrStandby(const TReceiverTypeInfo* type);
    void HandleChannel(const TReceiverTypeInfo* type, const TChannel& channel);
    // Tunes a receiver tuned by frequency to the satellite's own frequency.
    void HandleOwnFrequency(const TTuning& tuning);

    IReceiverView& FView;
    IReceiverPort& FPort;
    ISleeper& FSleeper;
    IRigControl* FRig = nullptr;
    // Whether the sequencer is selecting standby.
    bool FStandby = false;
    const TLocaleInfo& FLocale;
    std::array<std::string, ChannelItemCount> FItems;
    int FChannelIndex = 0;
    std::string FHint;
    long long FChannelFrequencyHz = 0;
    // The satellite's own frequency while its pass is received.
    std::optional<TTuning> FTuning;
    // The satellites and frequencies warned of as near no channel.
    std::set<std::string> FWarnedFrequencies;
};

} // namespace kestrune
