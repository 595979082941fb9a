#pragma once
// The serial device as the port component drives it. The calls and their values follow the
// Windows communications calls one to one (CreateFile, SetupComm, SetCommState, ...), so that the
// component's logic reads the same on every platform and only the device changes. Every call
// answers with the system's error number, 0 for success.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kestrune {

namespace comm {

// Event mask bits.
constexpr std::uint32_t EvRxChar = 0x0001;
constexpr std::uint32_t EvRxFlag = 0x0002;
constexpr std::uint32_t EvTxEmpty = 0x0004;
constexpr std::uint32_t EvCts = 0x0008;
constexpr std::uint32_t EvDsr = 0x0010;
constexpr std::uint32_t EvRlsd = 0x0020;
constexpr std::uint32_t EvBreak = 0x0040;
constexpr std::uint32_t EvErr = 0x0080;
constexpr std::uint32_t EvRing = 0x0100;
constexpr std::uint32_t EvRx80Full = 0x0400;

// Line error bits.
constexpr std::uint32_t CeRxOver = 0x0001;
constexpr std::uint32_t CeOverrun = 0x0002;
constexpr std::uint32_t CeRxParity = 0x0004;
constexpr std::uint32_t CeFrame = 0x0008;
constexpr std::uint32_t CeBreak = 0x0010;
constexpr std::uint32_t CeTxFull = 0x0100;
constexpr std::uint32_t CeIoe = 0x0400;
constexpr std::uint32_t CeMode = 0x8000;

// Modem status bits.
constexpr std::uint32_t MsCtsOn = 0x0010;
constexpr std::uint32_t MsDsrOn = 0x0020;
constexpr std::uint32_t MsRingOn = 0x0040;
constexpr std::uint32_t MsRlsdOn = 0x0080;

// Purge flags.
constexpr std::uint32_t PurgeTxAbort = 0x0001;
constexpr std::uint32_t PurgeRxAbort = 0x0002;
constexpr std::uint32_t PurgeTxClear = 0x0004;
constexpr std::uint32_t PurgeRxClear = 0x0008;

// Device values of the DTR and RTS control modes.
constexpr std::uint8_t DtrControlDisable = 0;
constexpr std::uint8_t DtrControlEnable = 1;
constexpr std::uint8_t DtrControlHandshake = 2;
constexpr std::uint8_t RtsControlDisable = 0;
constexpr std::uint8_t RtsControlEnable = 1;
constexpr std::uint8_t RtsControlHandshake = 2;
constexpr std::uint8_t RtsControlToggle = 3;

// Device values of the stop bits and parity.
constexpr std::uint8_t OneStopBit = 0;
constexpr std::uint8_t One5StopBits = 1;
constexpr std::uint8_t TwoStopBits = 2;
constexpr std::uint8_t NoParity = 0;
constexpr std::uint8_t OddParity = 1;
constexpr std::uint8_t EvenParity = 2;
constexpr std::uint8_t MarkParity = 3;
constexpr std::uint8_t SpaceParity = 4;

constexpr std::uint32_t DcbSize = 28;

} // namespace comm

enum class TEscapeFunction { SetRts = 3, ClrRts = 4, SetDtr = 5, ClrDtr = 6 };

// The device-control block. The field names are those of the Windows structure so that the
// mapping from the port's settings reads one to one; every field not set is zero.
struct TDeviceControlBlock {
    std::uint32_t DCBlength = 0;
    std::uint32_t BaudRate = 0;
    bool fBinary = false;
    bool fParity = false;
    bool fOutxCtsFlow = false;
    bool fOutxDsrFlow = false;
    std::uint8_t fDtrControl = 0;
    bool fDsrSensitivity = false;
    bool fTXContinueOnXoff = false;
    bool fOutX = false;
    bool fInX = false;
    bool fErrorChar = false;
    bool fNull = false;
    std::uint8_t fRtsControl = 0;
    bool fAbortOnError = false;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 0;
    std::uint8_t Parity = 0;
    std::uint8_t StopBits = 0;
    std::uint8_t XonChar = 0;
    std::uint8_t XoffChar = 0;
    std::uint8_t ErrorChar = 0;
    std::uint8_t EofChar = 0;
    std::uint8_t EvtChar = 0;
    friend bool operator==(const TDeviceControlBlock&, const TDeviceControlBlock&) = default;
};

// Milliseconds, taken as unsigned 32-bit values by the device (-1 is the largest value).
struct TCommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
    friend bool operator==(const TCommTimeouts&, const TCommTimeouts&) = default;
};

// Bytes waiting in the driver's queues.
struct TComStat {
    std::uint32_t InQue = 0;
    std::uint32_t OutQue = 0;
};

// One open device; destroying it closes it. The port's event thread calls WaitCommEvent, and
// SetCommMask and PurgeComm as it ends, while the GUI thread makes every other call; an
// implementation must allow that overlap.
class ISerialDevice {
public:
    virtual ~ISerialDevice() = default;
    // The driver's queue sizes in bytes.
    virtual int SetupComm(std::int32_t inputSize, std::int32_t outputSize) = 0;
    virtual int SetCommState(const TDeviceControlBlock& dcb) = 0;
    virtual int SetCommTimeouts(const TCommTimeouts& timeouts) = 0;
    // Sets the events that WaitCommEvent reports and ends a CancelWait.
    virtual int SetCommMask(std::uint32_t mask) = 0;
    // Blocks until one of the masked events happens and reports them in `mask`. After CancelWait
    // it returns at once with an empty mask, until SetCommMask is called again.
    virtual int WaitCommEvent(std::uint32_t& mask) = 0;
    // Ends a pending WaitCommEvent at once; safe to call from any thread.
    virtual void CancelWait() = 0;
    // Writes the bytes within the write timeouts; a timeout is not a failure, `written` then
    // tells how many bytes went out. Both write timeouts 0 means no limit.
    virtual int WriteFile(const void* data, std::size_t length, std::size_t& written) = 0;
    // Takes what has been received so far, up to `capacity` bytes, without waiting (what the
    // port's default read timeouts ask for).
    virtual int ReadFile(void* data, std::size_t capacity, std::size_t& read) = 0;
    virtual int EscapeCommFunction(TEscapeFunction function) = 0;
    virtual int GetCommModemStatus(std::uint32_t& status) = 0;
    // Reads and clears the line errors since the last call, and the queue counts.
    virtual int ClearCommError(std::uint32_t& errors, TComStat& stat) = 0;
    virtual int PurgeComm(std::uint32_t flags) = 0;
};

// Opens a device by its port name (CreateFile with exclusive access).
class ISerialDeviceFactory {
public:
    virtual ~ISerialDeviceFactory() = default;
    // On success `device` holds the open device and the answer is 0.
    virtual int Open(const std::string& portName, std::unique_ptr<ISerialDevice>& device) = 0;
};

} // namespace kestrune
