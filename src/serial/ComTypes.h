#pragma once
// The serial port's value types, their texts, and its exception.

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>

namespace kestrune {

enum class TBaudRate {
    brCustom,
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};
enum class TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum class TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum class TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum class TDTRFlowControl { dtrDisable, dtrEnable, dtrHandshake };
enum class TRTSFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum class TFlowControl { fcHardware, fcSoftware, fcNone, fcCustom };
enum class TSyncMethod { smThreadSync, smWindowSync, smNone, smDisableEvents };
enum class TComEvent {
    evRxChar,
    evTxEmpty,
    evRxFlag,
    evRing,
    evBreak,
    evCTS,
    evDSR,
    evError,
    evRLSD,
    evRx80Full
};
enum class TComError { ceFrame, ceRxParity, ceOverrun, ceBreak, ceIO, ceMode, ceRxOver, ceTxFull };
enum class TStoredGroup { Basic, FlowControl, Buffer, Timeouts, Parity, Others };
enum class TStorageKind { Registry = 0, IniFile = 1 };

// A set of enumeration members (at most 32).
template <typename E> class TEnumSet {
public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> members) {
        for (const E member : members) {
            Include(member);
        }
    }
    constexpr void Include(E member) { FBits |= Bit(member); }
    constexpr void Exclude(E member) { FBits &= ~Bit(member); }
    constexpr bool Contains(E member) const { return (FBits & Bit(member)) != 0; }
    constexpr bool Empty() const { return FBits == 0; }
    friend constexpr bool operator==(TEnumSet, TEnumSet) = default;

private:
    static constexpr std::uint32_t Bit(E member) { return 1u << static_cast<unsigned>(member); }
    std::uint32_t FBits = 0;
};

using TComEvents = TEnumSet<TComEvent>;
using TComErrors = TEnumSet<TComError>;
using TStoredGroups = TEnumSet<TStoredGroup>;

constexpr TComEvents AllComEvents{TComEvent::evRxChar,  TComEvent::evTxEmpty, TComEvent::evRxFlag,
                                  TComEvent::evRing,    TComEvent::evBreak,   TComEvent::evCTS,
                                  TComEvent::evDSR,     TComEvent::evError,   TComEvent::evRLSD,
                                  TComEvent::evRx80Full};

// Texts, and conversions from text: the upper-cased input is compared with each upper-cased text
// in enumeration order; no match gives a fixed fallback.
std::string BaudRateText(TBaudRate value);
TBaudRate BaudRateFromText(const std::string& text);
std::string StopBitsText(TStopBits value);
TStopBits StopBitsFromText(const std::string& text);
std::string DataBitsText(TDataBits value);
TDataBits DataBitsFromText(const std::string& text);
std::string ParityText(TParityBits value);
TParityBits ParityFromText(const std::string& text);
std::string FlowControlText(TFlowControl value);
TFlowControl FlowControlFromText(const std::string& text);
std::string RTSControlText(TRTSFlowControl value);
TRTSFlowControl RTSControlFromText(const std::string& text);
std::string DTRControlText(TDTRFlowControl value);
TDTRFlowControl DTRControlFromText(const std::string& text);

// Bits per second of a table rate; 0 for brCustom.
std::uint32_t BaudRateValue(TBaudRate value);
std::uint8_t StopBitsValue(TStopBits value);
std::uint8_t DataBitsValue(TDataBits value);
std::uint8_t ParityValue(TParityBits value);
std::uint8_t DTRControlValue(TDTRFlowControl value);
std::uint8_t RTSControlValue(TRTSFlowControl value);
std::uint32_t ComEventsMask(TComEvents events);
TComEvents ComEventsFromMask(std::uint32_t mask);
TComErrors ComErrorsFromMask(std::uint32_t mask);

// "Yes" / "No"; only "YES" in any letter case reads as true.
std::string BoolText(bool value);
bool BoolFromText(const std::string& text);
// Codes 33 to 127 as the character itself, any other as "#" and the code in decimal.
std::string CharText(std::uint8_t value);
std::uint8_t CharFromText(const std::string& text);

// Error codes of EComPort.
namespace comerr {
constexpr std::int32_t OpenFailed = 1;
constexpr std::int32_t WriteFailed = 2;
constexpr std::int32_t ReadFailed = 3;
constexpr std::int32_t InvalidAsync = 4;
constexpr std::int32_t PurgeFailed = 5;
constexpr std::int32_t AsyncCheck = 6;
constexpr std::int32_t SetStateFailed = 7;
constexpr std::int32_t TimeoutsFailed = 8;
constexpr std::int32_t SetupComFailed = 9;
constexpr std::int32_t ClearComFailed = 10;
constexpr std::int32_t ModemStatFailed = 11;
constexpr std::int32_t EscapeComFailed = 12;
constexpr std::int32_t TransmitFailed = 13;
constexpr std::int32_t ConnChangeProp = 14;
constexpr std::int32_t EnumPortsFailed = 15;
constexpr std::int32_t StoreFailed = 16;
constexpr std::int32_t LoadFailed = 17;
constexpr std::int32_t RegFailed = 18;
constexpr std::int32_t LedStateFailed = 19;
constexpr std::int32_t ThreadCreated = 20;
constexpr std::int32_t WaitFailed = 21;
constexpr std::int32_t HasLink = 22;
constexpr std::int32_t RegError = 23;
} // namespace comerr

std::string ComErrorText(std::int32_t code);

// The serial port's failure. Without a place the message is "COM Port Error: " and the code's
// text, and SystemError is -1; with one, " on " and the place follow.
class EComPort : public std::runtime_error {
public:
    explicit EComPort(std::int32_t code);
    EComPort(std::int32_t code, const std::string& place, std::int32_t systemError);

    std::int32_t ErrorCode() const { return FErrorCode; }
    std::int32_t SystemError() const { return FSystemError; }

private:
    std::int32_t FErrorCode;
    std::int32_t FSystemError;
};

} // namespace kestrune
