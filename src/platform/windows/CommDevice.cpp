#include "platform/windows/CommDevice.h"

#include "platform/windows/WideText.h"

#include <algorithm>

namespace kestrune {

std::wstring CommDeviceName(const std::string& portName) {
    return WideFromUtf8(portName.starts_with("\\\\") ? portName : "\\\\.\\" + portName);
}

int TCommDevice::Open(const std::string& portName, std::unique_ptr<ISerialDevice>& device) {
    // No sharing: a second opener, this program or another, is refused with error 5.
    const HANDLE port =
        ::CreateFileW(CommDeviceName(portName).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                      OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE)
        return static_cast<int>(::GetLastError());
    std::unique_ptr<TCommDevice> opened(new TCommDevice(port));
    if (opened->FWaitEvent == nullptr || opened->FReadEvent == nullptr ||
        opened->FWriteEvent == nullptr || opened->FCancelEvent == nullptr)
        return static_cast<int>(::GetLastError());
    device = std::move(opened);
    return 0;
}

TCommDevice::TCommDevice(HANDLE port)
    : FPortHandle(port), FPort(port), FWaitEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      FReadEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      FWriteEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      FCancelEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

TCommDevice::~TCommDevice() {
    ::CancelIoEx(FPort, nullptr);
}

namespace {

int LastError() {
    return static_cast<int>(::GetLastError());
}

int Answer(BOOL succeeded) {
    return succeeded ? 0 : LastError();
}

} // namespace

int TCommDevice::Complete(BOOL started, OVERLAPPED& overlapped, DWORD& transferred) {
    if (!started && ::GetLastError() != ERROR_IO_PENDING)
        return LastError();
    return Answer(::GetOverlappedResult(FPort, &overlapped, &transferred, TRUE));
}

int TCommDevice::SetupComm(std::int32_t inputSize, std::int32_t outputSize) {
    return Answer(
        ::SetupComm(FPort, static_cast<DWORD>(inputSize), static_cast<DWORD>(outputSize)));
}

int TCommDevice::SetCommState(const TDeviceControlBlock& dcb) {
    DCB state{};
    state.DCBlength = sizeof(state);
    state.BaudRate = dcb.BaudRate;
    state.fBinary = dcb.fBinary;
    state.fParity = dcb.fParity;
    state.fOutxCtsFlow = dcb.fOutxCtsFlow;
    state.fOutxDsrFlow = dcb.fOutxDsrFlow;
    state.fDtrControl = dcb.fDtrControl;
    state.fDsrSensitivity = dcb.fDsrSensitivity;
    state.fTXContinueOnXoff = dcb.fTXContinueOnXoff;
    state.fOutX = dcb.fOutX;
    state.fInX = dcb.fInX;
    state.fErrorChar = dcb.fErrorChar;
    state.fNull = dcb.fNull;
    state.fRtsControl = dcb.fRtsControl;
    state.fAbortOnError = dcb.fAbortOnError;
    state.XonLim = dcb.XonLim;
    state.XoffLim = dcb.XoffLim;
    state.ByteSize = dcb.ByteSize;
    state.Parity = dcb.Parity;
    state.StopBits = dcb.StopBits;
    state.XonChar = static_cast<char>(dcb.XonChar);
    state.XoffChar = static_cast<char>(dcb.XoffChar);
    state.ErrorChar = static_cast<char>(dcb.ErrorChar);
    state.EofChar = static_cast<char>(dcb.EofChar);
    state.EvtChar = static_cast<char>(dcb.EvtChar);
    return Answer(::SetCommState(FPort, &state));
}

int TCommDevice::SetCommTimeouts(const TCommTimeouts& timeouts) {
    COMMTIMEOUTS values{timeouts.ReadIntervalTimeout, timeouts.ReadTotalTimeoutMultiplier,
                        timeouts.ReadTotalTimeoutConstant, timeouts.WriteTotalTimeoutMultiplier,
                        timeouts.WriteTotalTimeoutConstant};
    return Answer(::SetCommTimeouts(FPort, &values));
}

int TCommDevice::SetCommMask(std::uint32_t mask) {
    FCancelled = false;
    ::ResetEvent(FCancelEvent.get());
    return Answer(::SetCommMask(FPort, mask));
}

int TCommDevice::WaitCommEvent(std::uint32_t& mask) {
    mask = 0;
    if (FCancelled)
        return 0;
    OVERLAPPED overlapped{};
    overlapped.hEvent = FWaitEvent.get();
    DWORD events = 0;
    if (!::WaitCommEvent(FPort, &events, &overlapped)) {
        if (::GetLastError() != ERROR_IO_PENDING)
            return LastError();
        const HANDLE handles[] = {FWaitEvent.get(), FCancelEvent.get()};
        if (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0) {
            // Ended by CancelWait: the wait is taken back before its OVERLAPPED goes away.
            ::CancelIoEx(FPort, &overlapped);
            DWORD ignored = 0;
            ::GetOverlappedResult(FPort, &overlapped, &ignored, TRUE);
            return 0;
        }
        DWORD ignored = 0;
        if (!::GetOverlappedResult(FPort, &overlapped, &ignored, FALSE))
            return LastError();
    }
    mask = events;
    return 0;
}

void TCommDevice::CancelWait() {
    FCancelled = true;
    ::SetEvent(FCancelEvent.get());
}

int TCommDevice::WriteFile(const void* data, std::size_t length, std::size_t& written) {
    written = 0;
    OVERLAPPED overlapped{};
    overlapped.hEvent = FWriteEvent.get();
    DWORD transferred = 0;
    const BOOL started =
        ::WriteFile(FPort, data, static_cast<DWORD>(length), &transferred, &overlapped);
    const int error = Complete(started, overlapped, transferred);
    written = transferred;
    // A write timeout ends the write with what went out.
    return error == ERROR_TIMEOUT || error == ERROR_SEM_TIMEOUT ? 0 : error;
}

int TCommDevice::ReadFile(void* data, std::size_t capacity, std::size_t& read) {
    read = 0;
    // Only what has arrived, so that the read completes at once whatever the read timeouts. The
    // look at the queue clears the line errors: they are kept for ClearCommError.
    DWORD errors = 0;
    COMSTAT stat{};
    if (!::ClearCommError(FPort, &errors, &stat))
        return LastError();
    FLineErrors |= errors;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(capacity, stat.cbInQue));
    if (wanted == 0)
        return 0;
    OVERLAPPED overlapped{};
    overlapped.hEvent = FReadEvent.get();
    DWORD transferred = 0;
    const BOOL started = ::ReadFile(FPort, data, wanted, &transferred, &overlapped);
    const int error = Complete(started, overlapped, transferred);
    read = transferred;
    return error;
}

int TCommDevice::EscapeCommFunction(TEscapeFunction function) {
    // The function numbers are Windows' own (SETRTS 3, CLRRTS 4, SETDTR 5, CLRDTR 6).
    return Answer(::EscapeCommFunction(FPort, static_cast<DWORD>(function)));
}

int TCommDevice::GetCommModemStatus(std::uint32_t& status) {
    DWORD value = 0;
    const int error = Answer(::GetCommModemStatus(FPort, &value));
    status = value;
    return error;
}

int TCommDevice::ClearCommError(std::uint32_t& errors, TComStat& stat) {
    DWORD value = 0;
    COMSTAT queues{};
    const int error = Answer(::ClearCommError(FPort, &value, &queues));
    errors = value | FLineErrors.exchange(0);
    stat.InQue = queues.cbInQue;
    stat.OutQue = queues.cbOutQue;
    return error;
}

int TCommDevice::PurgeComm(std::uint32_t flags) {
    return Answer(::PurgeComm(FPort, flags));
}

} // namespace kestrune
