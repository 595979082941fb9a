#include "serial/LoopDevice.h"

#include <algorithm>

namespace kestrune {

int TLoopDevice::SetupComm(std::int32_t inputSize, std::int32_t) {
    const std::lock_guard lock(FMutex);
    if (inputSize > 0) {
        FInputSize = static_cast<std::size_t>(inputSize);
    }
    return 0;
}

int TLoopDevice::SetCommState(const TDeviceControlBlock& dcb) {
    const std::lock_guard lock(FMutex);
    // The line settings drive the lines as a real port's driver does; under handshake the
    // receiver is always ready here.
    SetLine(FDtr, dcb.fDtrControl != comm::DtrControlDisable, comm::EvDsr);
    SetLine(FRts, dcb.fRtsControl != comm::RtsControlDisable, comm::EvCts);
    return 0;
}

int TLoopDevice::SetCommTimeouts(const TCommTimeouts&) {
    return 0;
}

int TLoopDevice::SetCommMask(std::uint32_t mask) {
    const std::lock_guard lock(FMutex);
    FMask = mask;
    FCancelled = false;
    return 0;
}

int TLoopDevice::WaitCommEvent(std::uint32_t& mask) {
    std::unique_lock lock(FMutex);
    FChanged.wait(lock, [this] { return FCancelled || (FPending & FMask) != 0; });
    mask = FCancelled ? 0 : FPending & FMask;
    FPending &= ~mask;
    return 0;
}

void TLoopDevice::CancelWait() {
    const std::lock_guard lock(FMutex);
    FCancelled = true;
    FChanged.notify_all();
}

void TLoopDevice::Raise(std::uint32_t events) {
    FPending |= events;
    FChanged.notify_all();
}

void TLoopDevice::SetLine(bool& line, bool on, std::uint32_t event) {
    if (line != on) {
        line = on;
        Raise(event);
    }
}

int TLoopDevice::WriteFile(const void* data, std::size_t length, std::size_t& written) {
    const std::lock_guard lock(FMutex);
    written = length;
    if (length == 0) {
        return 0;
    }
    const std::size_t room = FInputSize - std::min(FInputSize, FReceived.size());
    const std::size_t kept = std::min(room, length);
    FReceived.append(static_cast<const char*>(data), kept);
    std::uint32_t events = comm::EvRxChar | comm::EvTxEmpty;
    if (kept < length) {
        FErrors |= comm::CeRxOver;
        events |= comm::EvErr;
    }
    const std::size_t fullMark = FInputSize / 5 * 4;
    if (FReceived.size() >= fullMark && FReceived.size() - kept < fullMark) {
        events |= comm::EvRx80Full;
    }
    Raise(events);
    return 0;
}

int TLoopDevice::ReadFile(void* data, std::size_t capacity, std::size_t& read) {
    const std::lock_guard lock(FMutex);
    read = std::min(capacity, FReceived.size());
    std::copy_n(FReceived.begin(), read, static_cast<char*>(data));
    FReceived.erase(0, read);
    return 0;
}

int TLoopDevice::EscapeCommFunction(TEscapeFunction function) {
    const std::lock_guard lock(FMutex);
    switch (function) {
    case TEscapeFunction::SetRts:
    case TEscapeFunction::ClrRts:
        SetLine(FRts, function == TEscapeFunction::SetRts, comm::EvCts);
        break;
    case TEscapeFunction::SetDtr:
    case TEscapeFunction::ClrDtr:
        SetLine(FDtr, function == TEscapeFunction::SetDtr, comm::EvDsr);
        break;
    }
    return 0;
}

int TLoopDevice::GetCommModemStatus(std::uint32_t& status) {
    const std::lock_guard lock(FMutex);
    status = (FRts ? comm::MsCtsOn : 0) | (FDtr ? comm::MsDsrOn : 0);
    return 0;
}

int TLoopDevice::ClearCommError(std::uint32_t& errors, TComStat& stat) {
    const std::lock_guard lock(FMutex);
    errors = FErrors;
    FErrors = 0;
    stat.InQue = static_cast<std::uint32_t>(FReceived.size());
    stat.OutQue = 0;
    return 0;
}

int TLoopDevice::PurgeComm(std::uint32_t flags) {
    const std::lock_guard lock(FMutex);
    if ((flags & comm::PurgeRxClear) != 0) {
        FReceived.clear();
    }
    return 0;
}

} // namespace kestrune
