#pragma once
// A serial device that records every call, for the port component's tests. The hardware object
// stands for the machine: which ports exist, what the lines and queues show, which calls fail;
// the devices it opens write their calls into its log.

#include "serial/SerialDevice.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace kestrune::test {

class TFakeSerialHardware final : public ISerialDeviceFactory {
public:
    int Open(const std::string& portName, std::unique_ptr<ISerialDevice>& device) override;

    // Every call as one line, e.g. "SetupComm 1024 1024", "EscapeCommFunction SetRts".
    std::vector<std::string> Calls() const;
    void ClearCalls();
    // How many calls of that name were made.
    int CountOf(const std::string& callName) const;
    std::vector<TDeviceControlBlock> States() const;
    TCommTimeouts LastTimeouts() const;
    std::string Written() const;

    // Makes every later call of that name fail with the error number (0 removes it).
    void FailCall(const std::string& callName, int error);
    // Has the pending or next WaitCommEvent report the events.
    void PostEvents(std::uint32_t mask);
    // Blocks until a wait is pending with no events queued; false on timeout.
    bool WaitUntilIdle();
    void SetModemStatus(std::uint32_t status);
    void SetLineErrors(std::uint32_t errors);
    void SetInQue(std::uint32_t count);
    // How many bytes a write takes before it times out.
    void SetWriteLimit(std::size_t bytes);
    bool DeviceOpen() const;

    std::set<std::string> Ports{"COM1", "COM2"};

private:
    friend class TFakeSerialDevice;
    // Records the call and answers with its configured failure.
    int Record(const std::string& callName, const std::string& arguments = "");

    mutable std::mutex FMutex;
    std::condition_variable FChanged;
    std::vector<std::string> FCalls;
    std::map<std::string, int> FFailures;
    std::vector<TDeviceControlBlock> FStates;
    TCommTimeouts FTimeouts;
    std::string FWritten;
    std::deque<std::uint32_t> FEvents;
    std::uint32_t FMask = 0;
    bool FCancelled = false;
    bool FWaiting = false;
    std::uint32_t FModemStatus = 0;
    std::uint32_t FLineErrors = 0;
    std::uint32_t FInQue = 0;
    std::size_t FWriteLimit = SIZE_MAX;
    bool FDeviceOpen = false;
};

} // namespace kestrune::test
