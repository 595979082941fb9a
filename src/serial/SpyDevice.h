#pragma once
// The device behind "spy://NAME?file=PATH": the device NAME, with a line appended to the file
// for every write and every RTS or DTR call, each flushed at once:
//   2026-12-08T05:50:01.123Z WRITE "F0"
//   2026-12-08T05:50:02.004Z RTS 1

#include "core/DateTime.h"
#include "serial/SerialDevice.h"

#include <cstdio>
#include <memory>
#include <string>

namespace kestrune {

class TSpyDevice final : public ISerialDevice {
public:
    // Takes the open device and opens the log for appending; 0 or the system's error number.
    static int Open(std::unique_ptr<ISerialDevice> inner, const std::string& logPath,
                    const IClock& clock, std::unique_ptr<ISerialDevice>& device);

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
    struct TCloseFile {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    TSpyDevice(std::unique_ptr<ISerialDevice> inner, std::FILE* log, const IClock& clock);
    // Appends the time-stamped line; 0 or the system's error number.
    int Log(const std::string& text);

    std::unique_ptr<ISerialDevice> FInner;
    std::unique_ptr<std::FILE, TCloseFile> FLog;
    const IClock& FClock;
};

// The bytes as the log shows them: printable ASCII as it is, every other byte and the double
// quote and backslash as \xNN.
std::string SpyQuoted(const void* data, std::size_t length);

} // namespace kestrune
