#pragma once
// A serial device on a Linux terminal device (a UART, a USB adapter, a pseudo-terminal).

#include "serial/SerialDevice.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace kestrune {

// The terminal's control bits (c_cflag) for the block's data bits, parity and stop bits; EINVAL
// for what a UART cannot do (1.5 stop bits exist only with 5 data bits, 2 stop bits not with 5).
int TermiosLineControl(const TDeviceControlBlock& dcb, std::uint32_t& controlFlags);

class TTermiosDevice final : public ISerialDevice {
public:
    // Opens the device at the path for exclusive use; 0 or the system's error number.
    static int Open(const std::string& path, std::unique_ptr<ISerialDevice>& device);
    ~TTermiosDevice() override;
    TTermiosDevice(const TTermiosDevice&) = delete;
    TTermiosDevice& operator=(const TTermiosDevice&) = delete;

    int SetupComm(std::int32_t inputSize, std::int32_t outputSize) override;
    int SetCommState(const TDeviceControlBlock& dcb) override;
    int SetCommTimeouts(const TCommTimeouts& timeouts) override;
    int SetCommMask(std::uint32_t mask) override;
    int WaitCommEvent(std::uint32_t& mask) override;
    void CancelWait() override;
    int WriteFile(const void* data, std::size_t length, std::size_t& written) override;
    int ReadFile(void* data, std::size_t capacity, std::size_t& read) override;
    int EscapeCommFunction(TEscapeFunction function) override;
    int GetCommModemStatus(std::uint32_t& status) override;
    int ClearCommError(std::uint32_t& errors, TComStat& stat) override;
    int PurgeComm(std::uint32_t flags) override;

    // What the device showed at one moment, for telling what has changed since.
    struct TSnapshot {
        std::uint32_t InQue = 0;
        std::uint32_t OutQue = 0;
        std::uint32_t ModemStatus = 0;
        // Counters of received bytes, breaks and line errors; all 0 when the driver keeps none.
        std::uint32_t Rx = 0;
        std::uint32_t Breaks = 0;
        std::uint32_t Frame = 0;
        std::uint32_t Overrun = 0;
        std::uint32_t Parity = 0;
        std::uint32_t BufferOverrun = 0;
    };

private:
    TTermiosDevice(int fd, int stopFd);
    int TakeSnapshot(TSnapshot& snapshot) const;
    // The events that the change from the baseline to now stands for.
    std::uint32_t EventsSince(const TSnapshot& now);

    const int FFd;
    const int FStopFd;
    std::atomic<std::uint32_t> FMask = 0;
    std::atomic<bool> FTxPending = false;
    std::mutex FMutex;
    std::uint32_t FInputSize = 0;
    TCommTimeouts FTimeouts;
    TSnapshot FWaitBaseline;
    TSnapshot FErrorBaseline;
};

} // namespace kestrune
