#include "serial/SpyDevice.h"

#include <cerrno>

namespace kestrune {

std::string SpyQuoted(const void* data, std::size_t length) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::string text = "\"";
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char byte = bytes[i];
        if (byte >= 0x20 && byte <= 0x7E && byte != '"' && byte != '\\') {
            text += static_cast<char>(byte);
        } else {
            text += "\\x";
            text += Hex[byte >> 4];
            text += Hex[byte & 0x0F];
        }
    }
    return text + "\"";
}

int TSpyDevice::Open(std::unique_ptr<ISerialDevice> inner, const std::string& logPath,
                     const IClock& clock, std::unique_ptr<ISerialDevice>& device) {
    std::FILE* log = std::fopen(logPath.c_str(), "ae");
    if (log == nullptr) {
        return errno != 0 ? errno : EIO;
    }
    device.reset(new TSpyDevice(std::move(inner), log, clock));
    return 0;
}

TSpyDevice::TSpyDevice(std::unique_ptr<ISerialDevice> inner, std::FILE* log, const IClock& clock)
    : FInner(std::move(inner)), FLog(log), FClock(clock) {}

int TSpyDevice::Log(const std::string& text) {
    const std::string line = FormatIsoUtc(FClock.UtcNow()) + " " + text + "\n";
    if (std::fputs(line.c_str(), FLog.get()) < 0 || std::fflush(FLog.get()) != 0) {
        return errno != 0 ? errno : EIO;
    }
    return 0;
}

int TSpyDevice::WriteFile(const void* data, std::size_t length, std::size_t& written) {
    written = 0;
    if (const int error = Log("WRITE " + SpyQuoted(data, length)); error != 0) {
        return error;
    }
    return FInner->WriteFile(data, length, written);
}

int TSpyDevice::EscapeCommFunction(TEscapeFunction function) {
    static constexpr const char* Lines[] = {"RTS 1", "RTS 0", "DTR 1", "DTR 0"};
    const auto index = static_cast<int>(function) - static_cast<int>(TEscapeFunction::SetRts);
    if (const int error = Log(Lines[index]); error != 0) {
        return error;
    }
    return FInner->EscapeCommFunction(function);
}

int TSpyDevice::SetupComm(std::int32_t inputSize, std::int32_t outputSize) {
    return FInner->SetupComm(inputSize, outputSize);
}
int TSpyDevice::SetCommState(const TDeviceControlBlock& dcb) {
    return FInner->SetCommState(dcb);
}
int TSpyDevice::SetCommTimeouts(const TCommTimeouts& timeouts) {
    return FInner->SetCommTimeouts(timeouts);
}
int TSpyDevice::SetCommMask(std::uint32_t mask) {
    return FInner->SetCommMask(mask);
}
int TSpyDevice::WaitCommEvent(std::uint32_t& mask) {
    return FInner->WaitCommEvent(mask);
}
void TSpyDevice::CancelWait() {
    FInner->CancelWait();
}
int TSpyDevice::ReadFile(void* data, std::size_t capacity, std::size_t& read) {
    return FInner->ReadFile(data, capacity, read);
}
int TSpyDevice::GetCommModemStatus(std::uint32_t& status) {
    return FInner->GetCommModemStatus(status);
}
int TSpyDevice::ClearCommError(std::uint32_t& errors, TComStat& stat) {
    return FInner->ClearCommError(errors, stat);
}
int TSpyDevice::PurgeComm(std::uint32_t flags) {
    return FInner->PurgeComm(flags);
}

} // namespace kestrune
