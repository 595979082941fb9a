#include "serial/ComTypes.h"

#include "core/Text.h"
#include "serial/SerialDevice.h"

#include <array>
#include <charconv>

namespace kestrune {

namespace {

constexpr std::array BaudRateTexts{"Custom", "110",    "300",    "600",   "1200",  "2400",
                                   "4800",   "9600",   "14400",  "19200", "38400", "56000",
                                   "57600",  "115200", "128000", "256000"};
constexpr std::array<std::uint32_t, 16> BaudRateValues{0,     110,    300,    600,   1200,  2400,
                                                       4800,  9600,   14400,  19200, 38400, 56000,
                                                       57600, 115200, 128000, 256000};
constexpr std::array StopBitsTexts{"1", "1.5", "2"};
constexpr std::array DataBitsTexts{"5", "6", "7", "8"};
constexpr std::array ParityTexts{"None", "Odd", "Even", "Mark", "Space"};
constexpr std::array FlowControlTexts{"Hardware", "Software", "None", "Custom"};
constexpr std::array RTSControlTexts{"Disable", "Enable", "Handshake", "Toggle"};
constexpr std::array DTRControlTexts{"Disable", "Enable", "Handshake"};

// The device's event bits in the order of TComEvent, and its error bits in that of TComError.
constexpr std::array<std::uint32_t, 10> EventBits{
    comm::EvRxChar, comm::EvTxEmpty, comm::EvRxFlag, comm::EvRing, comm::EvBreak,
    comm::EvCts,    comm::EvDsr,     comm::EvErr,    comm::EvRlsd, comm::EvRx80Full};
constexpr std::array<std::uint32_t, 8> ErrorBits{comm::CeFrame,  comm::CeRxParity, comm::CeOverrun,
                                                 comm::CeBreak,  comm::CeIoe,      comm::CeMode,
                                                 comm::CeRxOver, comm::CeTxFull};

constexpr std::array ErrorTexts{"Unable to open com port",
                                "WriteFile function failed",
                                "ReadFile function failed",
                                "Invalid Async parameter",
                                "PurgeComm function failed",
                                "Unable to get async status",
                                "SetCommState function failed",
                                "SetCommTimeouts failed",
                                "SetupComm function failed",
                                "ClearCommError function failed",
                                "GetCommModemStatus function failed",
                                "EscapeCommFunction function failed",
                                "TransmitCommChar function failed",
                                "Cannot set property while connected",
                                "EnumPorts function failed",
                                "Failed to store settings",
                                "Failed to load settings",
                                "Link (un)registration failed",
                                "Cannot change led state if ComPort is selected",
                                "Cannot wait for event if event thread is created",
                                "WaitForEvent method failed",
                                "A component is linked to OnRxBuf event",
                                "Registry error"};

template <typename E, std::size_t N>
std::string TextOf(const std::array<const char*, N>& texts, E value) {
    return texts[static_cast<std::size_t>(value)];
}

template <typename E, std::size_t N>
E FromText(const std::array<const char*, N>& texts, const std::string& text, E fallback) {
    const std::string wanted = UpperCaseAscii(text);
    for (std::size_t i = 0; i < N; ++i) {
        if (UpperCaseAscii(texts[i]) == wanted) {
            return static_cast<E>(i);
        }
    }
    return fallback;
}

template <typename E, std::size_t N>
TEnumSet<E> SetFromMask(const std::array<std::uint32_t, N>& bits, std::uint32_t mask) {
    TEnumSet<E> result;
    for (std::size_t i = 0; i < N; ++i) {
        if ((mask & bits[i]) != 0) {
            result.Include(static_cast<E>(i));
        }
    }
    return result;
}

std::string ErrorMessage(std::int32_t code, const std::string* place) {
    std::string message = "COM Port Error: " + ComErrorText(code);
    if (place != nullptr) {
        message += " on " + *place;
    }
    return message;
}

// The first character of UTF-8 text; a byte that starts no valid sequence stands for itself.
std::uint32_t FirstCodePoint(const std::string& text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (length == 1 || text.size() < length) {
        return lead;
    }
    std::uint32_t code = lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) {
            return lead;
        }
        code = (code << 6) | (next & 0x3Fu);
    }
    return code;
}

} // namespace

std::string BaudRateText(TBaudRate value) {
    return TextOf(BaudRateTexts, value);
}
TBaudRate BaudRateFromText(const std::string& text) {
    return FromText(BaudRateTexts, text, TBaudRate::br9600);
}
std::string StopBitsText(TStopBits value) {
    return TextOf(StopBitsTexts, value);
}
TStopBits StopBitsFromText(const std::string& text) {
    return FromText(StopBitsTexts, text, TStopBits::sbOneStopBit);
}
std::string DataBitsText(TDataBits value) {
    return TextOf(DataBitsTexts, value);
}
TDataBits DataBitsFromText(const std::string& text) {
    return FromText(DataBitsTexts, text, TDataBits::dbEight);
}
std::string ParityText(TParityBits value) {
    return TextOf(ParityTexts, value);
}
TParityBits ParityFromText(const std::string& text) {
    return FromText(ParityTexts, text, TParityBits::prNone);
}
std::string FlowControlText(TFlowControl value) {
    return TextOf(FlowControlTexts, value);
}
TFlowControl FlowControlFromText(const std::string& text) {
    return FromText(FlowControlTexts, text, TFlowControl::fcCustom);
}
std::string RTSControlText(TRTSFlowControl value) {
    return TextOf(RTSControlTexts, value);
}
TRTSFlowControl RTSControlFromText(const std::string& text) {
    return FromText(RTSControlTexts, text, TRTSFlowControl::rtsDisable);
}
std::string DTRControlText(TDTRFlowControl value) {
    return TextOf(DTRControlTexts, value);
}
TDTRFlowControl DTRControlFromText(const std::string& text) {
    return FromText(DTRControlTexts, text, TDTRFlowControl::dtrDisable);
}

std::uint32_t BaudRateValue(TBaudRate value) {
    return BaudRateValues[static_cast<std::size_t>(value)];
}
std::uint8_t StopBitsValue(TStopBits value) {
    return static_cast<std::uint8_t>(value);
}
std::uint8_t DataBitsValue(TDataBits value) {
    return static_cast<std::uint8_t>(5 + static_cast<int>(value));
}
std::uint8_t ParityValue(TParityBits value) {
    return static_cast<std::uint8_t>(value);
}
std::uint8_t DTRControlValue(TDTRFlowControl value) {
    return static_cast<std::uint8_t>(value);
}
std::uint8_t RTSControlValue(TRTSFlowControl value) {
    return static_cast<std::uint8_t>(value);
}

std::uint32_t ComEventsMask(TComEvents events) {
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < EventBits.size(); ++i) {
        if (events.Contains(static_cast<TComEvent>(i))) {
            mask |= EventBits[i];
        }
    }
    return mask;
}
TComEvents ComEventsFromMask(std::uint32_t mask) {
    return SetFromMask<TComEvent>(EventBits, mask);
}
TComErrors ComErrorsFromMask(std::uint32_t mask) {
    return SetFromMask<TComError>(ErrorBits, mask);
}

std::string BoolText(bool value) {
    return value ? "Yes" : "No";
}
bool BoolFromText(const std::string& text) {
    return UpperCaseAscii(text) == "YES";
}

std::string CharText(std::uint8_t value) {
    if (value >= 33 && value <= 127) {
        return std::string(1, static_cast<char>(value));
    }
    return "#" + std::to_string(value);
}

std::uint8_t CharFromText(const std::string& text) {
    if (text.empty()) {
        return 0;
    }
    if (text[0] == '#' && text.size() > 1) {
        // The whole rest must be a 32-bit decimal number; anything else reads as 0.
        std::int32_t number = 0;
        const char* last = text.data() + text.size();
        const auto [end, error] = std::from_chars(text.data() + 1, last, number);
        if (error != std::errc() || end != last || number < 0) {
            return 0;
        }
        return static_cast<std::uint8_t>(number % 256);
    }
    return static_cast<std::uint8_t>(FirstCodePoint(text));
}

std::string ComErrorText(std::int32_t code) {
    if (code >= 1 && code <= static_cast<std::int32_t>(ErrorTexts.size())) {
        return ErrorTexts[static_cast<std::size_t>(code - 1)];
    }
    return "Unknown Error #" + std::to_string(code);
}

EComPort::EComPort(std::int32_t code)
    : std::runtime_error(ErrorMessage(code, nullptr)), FErrorCode(code), FSystemError(-1) {}

EComPort::EComPort(std::int32_t code, const std::string& place, std::int32_t systemError)
    : std::runtime_error(ErrorMessage(code, &place)), FErrorCode(code), FSystemError(systemError) {}

} // namespace kestrune
