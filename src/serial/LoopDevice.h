#pragma once
// The device behind the port name "loop://": what is written can be read back, RTS is wired to
// CTS and DTR to DSR, and every call succeeds. For trying the program without hardware.

#include "serial/SerialDevice.h"

#include <condition_variable>
#include <mutex>
#include <string>

namespace kestrune {

class TLoopDevice final : public ISerialDevice {
public:
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

private:
    // Sets a line and, when it changes, raises the event of the line wired to it.
    void SetLine(bool& line, bool on, std::uint32_t event);
    void Raise(std::uint32_t events);

    std::mutex FMutex;
    std::condition_variable FChanged;
    // Bytes beyond the input queue's size are lost, as they would be on a real port.
    std::size_t FInputSize = 4096;
    std::string FReceived;
    std::uint32_t FErrors = 0;
    bool FRts = false;
    bool FDtr = false;
    std::uint32_t FMask = 0;
    std::uint32_t FPending = 0;
    bool FCancelled = false;
};

} // namespace kestrune
