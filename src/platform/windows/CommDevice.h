#pragma once
// A serial device on the Windows communications API: the port opened for exclusive, overlapped
// use, so that the event thread's WaitCommEvent and the other thread's writes go on side by
// side and a wait can be ended at once. Answers are Win32 error codes.

#include "platform/windows/UniqueHandle.h"
#include "serial/SerialDevice.h"

#include <atomic>

namespace kestrune {

// The name CreateFileW takes for a port: "COM3" is "\\.\COM3" (which COM10 and above need); a
// name that starts with "\\" is used as it is.
std::wstring CommDeviceName(const std::string& portName);

class TCommDevice final : public ISerialDevice {
public:
    // Opens the port for exclusive use; 0 or the Win32 error (2: no such port, 5: in use).
    static int Open(const std::string& portName, std::unique_ptr<ISerialDevice>& device);
    ~TCommDevice() override;
    TCommDevice(const TCommDevice&) = delete;
    TCommDevice& operator=(const TCommDevice&) = delete;

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
    explicit TCommDevice(HANDLE port);
    // Waits for an overlapped call that went pending; 0 or the error.
    int Complete(BOOL started, OVERLAPPED& overlapped, DWORD& transferred);

    const TUniqueHandle FPortHandle;
    const HANDLE FPort;
    // One event per kind of overlapped call: the event thread waits while this one writes.
    const TUniqueHandle FWaitEvent;
    const TUniqueHandle FReadEvent;
    const TUniqueHandle FWriteEvent;
    // Set by CancelWait, cleared by SetCommMask.
    const TUniqueHandle FCancelEvent;
    std::atomic<bool> FCancelled = false;
    // Line errors that ReadFile's look at the queue cleared, kept for the next ClearCommError.
    std::atomic<std::uint32_t> FLineErrors = 0;
};

} // namespace kestrune
