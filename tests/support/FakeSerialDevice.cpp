#include "support/FakeSerialDevice.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <sstream>

namespace kestrune::test {

class TFakeSerialDevice final : public ISerialDevice {
public:
    explicit TFakeSerialDevice(TFakeSerialHardware& hardware) : FHardware(hardware) {}

    ~TFakeSerialDevice() override {
        const std::lock_guard lock(FHardware.FMutex);
        FHardware.FCalls.push_back("Close");
        FHardware.FDeviceOpen = false;
    }

    int SetupComm(std::int32_t inputSize, std::int32_t outputSize) override {
        return FHardware.Record("SetupComm",
                                std::to_string(inputSize) + " " + std::to_string(outputSize));
    }

    int SetCommState(const TDeviceControlBlock& dcb) override {
        {
            const std::lock_guard lock(FHardware.FMutex);
            FHardware.FStates.push_back(dcb);
        }
        return FHardware.Record("SetCommState");
    }

    int SetCommTimeouts(const TCommTimeouts& timeouts) override {
        {
            const std::lock_guard lock(FHardware.FMutex);
            FHardware.FTimeouts = timeouts;
        }
        return FHardware.Record("SetCommTimeouts");
    }

    int SetCommMask(std::uint32_t mask) override {
        std::ostringstream text;
        text << "0x" << std::hex << std::uppercase << mask;
        {
            const std::lock_guard lock(FHardware.FMutex);
            FHardware.FMask = mask;
            FHardware.FCancelled = false;
        }
        return FHardware.Record("SetCommMask", text.str());
    }

    int WaitCommEvent(std::uint32_t& mask) override {
        std::unique_lock lock(FHardware.FMutex);
        const auto failure = FHardware.FFailures.find("WaitCommEvent");
        if (failure != FHardware.FFailures.end()) {
            return failure->second;
        }
        FHardware.FWaiting = true;
        FHardware.FChanged.notify_all();
        FHardware.FChanged.wait(
            lock, [this] { return FHardware.FCancelled || !FHardware.FEvents.empty(); });
        FHardware.FWaiting = false;
        if (FHardware.FCancelled) {
            mask = 0;
            return 0;
        }
        mask = FHardware.FEvents.front() & FHardware.FMask;
        FHardware.FEvents.pop_front();
        FHardware.FChanged.notify_all();
        return 0;
    }

    void CancelWait() override {
        const std::lock_guard lock(FHardware.FMutex);
        FHardware.FCancelled = true;
        FHardware.FChanged.notify_all();
    }

    int WriteFile(const void* data, std::size_t length, std::size_t& written) override {
        const int error = FHardware.Record("WriteFile", std::to_string(length));
        const std::lock_guard lock(FHardware.FMutex);
        if (error == 0) {
            written = std::min(length, FHardware.FWriteLimit);
            FHardware.FWritten.append(static_cast<const char*>(data), written);
        }
        return error;
    }

    int ReadFile(void*, std::size_t, std::size_t& read) override {
        read = 0;
        return FHardware.Record("ReadFile");
    }

    int EscapeCommFunction(TEscapeFunction function) override {
        static const std::map<TEscapeFunction, std::string> Names{
            {TEscapeFunction::SetRts, "SetRts"},
            {TEscapeFunction::ClrRts, "ClrRts"},
            {TEscapeFunction::SetDtr, "SetDtr"},
            {TEscapeFunction::ClrDtr, "ClrDtr"}};
        return FHardware.Record("EscapeCommFunction", Names.at(function));
    }

    int GetCommModemStatus(std::uint32_t& status) override {
        {
            const std::lock_guard lock(FHardware.FMutex);
            status = FHardware.FModemStatus;
        }
        return FHardware.Record("GetCommModemStatus");
    }

    int ClearCommError(std::uint32_t& errors, TComStat& stat) override {
        {
            const std::lock_guard lock(FHardware.FMutex);
            errors = FHardware.FLineErrors;
            FHardware.FLineErrors = 0;
            stat.InQue = FHardware.FInQue;
        }
        return FHardware.Record("ClearCommError");
    }

    int PurgeComm(std::uint32_t flags) override {
        return FHardware.Record("PurgeComm", std::to_string(flags));
    }

private:
    TFakeSerialHardware& FHardware;
};

int TFakeSerialHardware::Open(const std::string& portName, std::unique_ptr<ISerialDevice>& device) {
    const int error = Record("Open", portName);
    if (error != 0) {
        return error;
    }
    const std::lock_guard lock(FMutex);
    if (Ports.count(portName) == 0) {
        return ENOENT;
    }
    FDeviceOpen = true;
    FCancelled = false;
    FEvents.clear();
    device = std::make_unique<TFakeSerialDevice>(*this);
    return 0;
}

int TFakeSerialHardware::Record(const std::string& callName, const std::string& arguments) {
    const std::lock_guard lock(FMutex);
    FCalls.push_back(arguments.empty() ? callName : callName + " " + arguments);
    const auto failure = FFailures.find(callName);
    return failure == FFailures.end() ? 0 : failure->second;
}

std::vector<std::string> TFakeSerialHardware::Calls() const {
    const std::lock_guard lock(FMutex);
    return FCalls;
}

void TFakeSerialHardware::ClearCalls() {
    const std::lock_guard lock(FMutex);
    FCalls.clear();
    FStates.clear();
}

int TFakeSerialHardware::CountOf(const std::string& callName) const {
    const std::lock_guard lock(FMutex);
    return static_cast<int>(std::count_if(FCalls.begin(), FCalls.end(), [&](const std::string& c) {
        return c == callName || c.rfind(callName + " ", 0) == 0;
    }));
}

std::vector<TDeviceControlBlock> TFakeSerialHardware::States() const {
    const std::lock_guard lock(FMutex);
    return FStates;
}

TCommTimeouts TFakeSerialHardware::LastTimeouts() const {
    const std::lock_guard lock(FMutex);
    return FTimeouts;
}

std::string TFakeSerialHardware::Written() const {
    const std::lock_guard lock(FMutex);
    return FWritten;
}

void TFakeSerialHardware::FailCall(const std::string& callName, int error) {
    const std::lock_guard lock(FMutex);
    if (error == 0) {
        FFailures.erase(callName);
    } else {
        FFailures[callName] = error;
    }
}

void TFakeSerialHardware::PostEvents(std::uint32_t mask) {
    const std::lock_guard lock(FMutex);
    FEvents.push_back(mask);
    FChanged.notify_all();
}

bool TFakeSerialHardware::WaitUntilIdle() {
    std::unique_lock lock(FMutex);
    return FChanged.wait_for(lock, std::chrono::seconds(5),
                             [this] { return FWaiting && FEvents.empty(); });
}

void TFakeSerialHardware::SetModemStatus(std::uint32_t status) {
    const std::lock_guard lock(FMutex);
    FModemStatus = status;
}

void TFakeSerialHardware::SetLineErrors(std::uint32_t errors) {
    const std::lock_guard lock(FMutex);
    FLineErrors = errors;
}

void TFakeSerialHardware::SetInQue(std::uint32_t count) {
    const std::lock_guard lock(FMutex);
    FInQue = count;
}

void TFakeSerialHardware::SetWriteLimit(std::size_t bytes) {
    const std::lock_guard lock(FMutex);
    FWriteLimit = bytes;
}

bool TFakeSerialHardware::DeviceOpen() const {
    const std::lock_guard lock(FMutex);
    return FDeviceOpen;
}

} // namespace kestrune::test
