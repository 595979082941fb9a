// Only the kernel's own termios2 structure is used here (<asm/termbits.h>), never the C
// library's <termios.h>, whose struct termios has the same name and another layout.
#include "platform/linux/TermiosDevice.h"

#include "platform/linux/UniqueFd.h"

#include <asm/termbits.h>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kestrune {

namespace {

// How often the wait looks at the modem lines and a non-empty input queue, which poll cannot
// report as changes.
constexpr int PollIntervalMs = 20;
// A driver that cannot make the asked baud rate within this many percent refuses it.
constexpr double BaudToleranceFraction = 0.03;

bool NoModemLines(int error) {
    return error == ENOTTY || error == EINVAL;
}

int IoctlError(int result) {
    return result < 0 ? errno : 0;
}

int SetModemLine(int fd, int line, bool on) {
    return IoctlError(ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line));
}

} // namespace

int TermiosLineControl(const TDeviceControlBlock& dcb, std::uint32_t& cflag) {
    static constexpr tcflag_t Sizes[] = {CS5, CS6, CS7, CS8};
    if (dcb.ByteSize < 5 || dcb.ByteSize > 8) {
        return EINVAL;
    }
    cflag = Sizes[dcb.ByteSize - 5];
    switch (dcb.Parity) {
    case comm::NoParity:
        break;
    case comm::OddParity:
        cflag |= PARENB | PARODD;
        break;
    case comm::EvenParity:
        cflag |= PARENB;
        break;
    case comm::MarkParity:
        cflag |= PARENB | CMSPAR | PARODD;
        break;
    case comm::SpaceParity:
        cflag |= PARENB | CMSPAR;
        break;
    default:
        return EINVAL;
    }
    const bool fiveBits = dcb.ByteSize == 5;
    switch (dcb.StopBits) {
    case comm::OneStopBit:
        break;
    case comm::One5StopBits:
    case comm::TwoStopBits:
        // With 5 data bits the UART's second stop bit is one and a half bits long.
        if (fiveBits != (dcb.StopBits == comm::One5StopBits)) {
            return EINVAL;
        }
        cflag |= CSTOPB;
        break;
    default:
        return EINVAL;
    }
    return 0;
}

int TTermiosDevice::Open(const std::string& path, std::unique_ptr<ISerialDevice>& device) {
    TUniqueFd fd(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (fd.Get() < 0) {
        return errno;
    }
    // Raw at once: no echo of received bytes back to the sender, no line editing, until the
    // port's line settings arrive.
    termios2 settings{};
    if (ioctl(fd.Get(), TCGETS2, &settings) < 0) {
        return errno;
    }
    settings.c_iflag = 0;
    settings.c_oflag = 0;
    settings.c_lflag = 0;
    settings.c_cflag |= CREAD | CLOCAL;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    // Exclusive use: the terminal refuses further opens, and the lock keeps out every program
    // that locks serial devices the same way, root's included.
    if (flock(fd.Get(), LOCK_EX | LOCK_NB) < 0) {
        return errno == EWOULDBLOCK ? EBUSY : errno;
    }
    if (ioctl(fd.Get(), TIOCEXCL) < 0 || ioctl(fd.Get(), TCSETS2, &settings) < 0) {
        const int error = errno;
        ioctl(fd.Get(), TIOCNXCL);
        return error;
    }
    TUniqueFd stopFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (stopFd.Get() < 0) {
        const int error = errno;
        ioctl(fd.Get(), TIOCNXCL);
        return error;
    }
    std::unique_ptr<TTermiosDevice> opened(new TTermiosDevice(fd.Release(), stopFd.Release()));
    // Line errors and arrivals count from the open on, not from the driver's start.
    TSnapshot now;
    if (const int error = opened->TakeSnapshot(now); error != 0) {
        return error;
    }
    opened->FWaitBaseline = now;
    opened->FErrorBaseline = now;
    device = std::move(opened);
    return 0;
}

TTermiosDevice::TTermiosDevice(int fd, int stopFd) : FFd(fd), FStopFd(stopFd) {}

TTermiosDevice::~TTermiosDevice() {
    ioctl(FFd, TIOCNXCL);
    close(FFd);
    close(FStopFd);
}

int TTermiosDevice::SetupComm(std::int32_t inputSize, std::int32_t) {
    // The kernel's queues have fixed sizes; the input size only sets the 80% mark.
    const std::lock_guard lock(FMutex);
    FInputSize = inputSize > 0 ? static_cast<std::uint32_t>(inputSize) : 0;
    return 0;
}

int TTermiosDevice::SetCommState(const TDeviceControlBlock& dcb) {
    std::uint32_t lineControl = 0;
    if (const int error = TermiosLineControl(dcb, lineControl); error != 0) {
        return error;
    }
    // Linux has no output flow control on DSR, no DTR handshake and no RTS toggling.
    if (dcb.BaudRate == 0 || dcb.fOutxDsrFlow || dcb.fDtrControl == comm::DtrControlHandshake ||
        dcb.fRtsControl == comm::RtsControlToggle) {
        return dcb.BaudRate == 0 ? EINVAL : EOPNOTSUPP;
    }
    termios2 settings{};
    if (ioctl(FFd, TCGETS2, &settings) < 0) {
        return errno;
    }
    settings.c_iflag = (dcb.fParity ? INPCK : 0) | (dcb.fOutX ? IXON : 0) | (dcb.fInX ? IXOFF : 0);
    settings.c_oflag = 0;
    settings.c_lflag = 0;
    // CRTSCTS is both directions at once: either half of the handshake asks for it.
    const bool handshake = dcb.fOutxCtsFlow || dcb.fRtsControl == comm::RtsControlHandshake;
    settings.c_cflag = CREAD | CLOCAL | HUPCL | BOTHER | (BOTHER << IBSHIFT) | lineControl |
                       (handshake ? CRTSCTS : 0);
    settings.c_ispeed = dcb.BaudRate;
    settings.c_ospeed = dcb.BaudRate;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    settings.c_cc[VSTART] = dcb.XonChar;
    settings.c_cc[VSTOP] = dcb.XoffChar;
    if (ioctl(FFd, TCSETS2, &settings) < 0) {
        return errno;
    }
    // The driver writes back the rate it could make.
    if (ioctl(FFd, TCGETS2, &settings) < 0) {
        return errno;
    }
    if (std::abs(static_cast<double>(settings.c_ospeed) - dcb.BaudRate) >
        dcb.BaudRate * BaudToleranceFraction) {
        return EINVAL;
    }
    const int dtr = SetModemLine(FFd, TIOCM_DTR, dcb.fDtrControl == comm::DtrControlEnable);
    if (dtr != 0 && !NoModemLines(dtr)) {
        return dtr;
    }
    if (!handshake) {
        const int rts = SetModemLine(FFd, TIOCM_RTS, dcb.fRtsControl == comm::RtsControlEnable);
        if (rts != 0 && !NoModemLines(rts)) {
            return rts;
        }
    }
    return 0;
}

int TTermiosDevice::SetCommTimeouts(const TCommTimeouts& timeouts) {
    const std::lock_guard lock(FMutex);
    FTimeouts = timeouts;
    return 0;
}

int TTermiosDevice::SetCommMask(std::uint32_t mask) {
    std::uint64_t count = 0;
    // Ends an earlier CancelWait; an empty counter answers EAGAIN, which is fine.
    [[maybe_unused]] const ssize_t ignored = read(FStopFd, &count, sizeof count);
    TSnapshot now;
    const int error = TakeSnapshot(now);
    const std::lock_guard lock(FMutex);
    FWaitBaseline = now;
    FMask = mask;
    return error;
}

void TTermiosDevice::CancelWait() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t ignored = write(FStopFd, &one, sizeof one);
}

int TTermiosDevice::TakeSnapshot(TSnapshot& snapshot) const {
    int count = 0;
    if (ioctl(FFd, FIONREAD, &count) < 0) {
        return errno;
    }
    snapshot.InQue = static_cast<std::uint32_t>(count);
    if (ioctl(FFd, TIOCOUTQ, &count) < 0) {
        return errno;
    }
    snapshot.OutQue = static_cast<std::uint32_t>(count);
    int lines = 0;
    if (ioctl(FFd, TIOCMGET, &lines) < 0) {
        if (!NoModemLines(errno)) {
            return errno;
        }
        lines = 0;
    }
    snapshot.ModemStatus = ((lines & TIOCM_CTS) != 0 ? comm::MsCtsOn : 0) |
                           ((lines & TIOCM_DSR) != 0 ? comm::MsDsrOn : 0) |
                           ((lines & TIOCM_RNG) != 0 ? comm::MsRingOn : 0) |
                           ((lines & TIOCM_CAR) != 0 ? comm::MsRlsdOn : 0);
    serial_icounter_struct counters{};
    if (ioctl(FFd, TIOCGICOUNT, &counters) < 0) {
        if (!NoModemLines(errno)) {
            return errno;
        }
        counters = {};
    }
    snapshot.Rx = static_cast<std::uint32_t>(counters.rx);
    snapshot.Breaks = static_cast<std::uint32_t>(counters.brk);
    snapshot.Frame = static_cast<std::uint32_t>(counters.frame);
    snapshot.Overrun = static_cast<std::uint32_t>(counters.overrun);
    snapshot.Parity = static_cast<std::uint32_t>(counters.parity);
    snapshot.BufferOverrun = static_cast<std::uint32_t>(counters.buf_overrun);
    return 0;
}

std::uint32_t TTermiosDevice::EventsSince(const TSnapshot& now) {
    const std::lock_guard lock(FMutex);
    const TSnapshot& before = FWaitBaseline;
    std::uint32_t events = 0;
    if (now.InQue > before.InQue || now.Rx != before.Rx) {
        events |= comm::EvRxChar;
    }
    const std::uint32_t fullMark = FInputSize / 5 * 4;
    if (FInputSize > 0 && now.InQue >= fullMark && before.InQue < fullMark) {
        events |= comm::EvRx80Full;
    }
    if (now.OutQue == 0 && FTxPending.exchange(false)) {
        events |= comm::EvTxEmpty;
    }
    const std::uint32_t changed = now.ModemStatus ^ before.ModemStatus;
    events |= ((changed & comm::MsCtsOn) != 0 ? comm::EvCts : 0) |
              ((changed & comm::MsDsrOn) != 0 ? comm::EvDsr : 0) |
              ((changed & comm::MsRlsdOn) != 0 ? comm::EvRlsd : 0);
    // A ring is reported as the ring indicator goes off, after the ring.
    if ((changed & comm::MsRingOn) != 0 && (now.ModemStatus & comm::MsRingOn) == 0) {
        events |= comm::EvRing;
    }
    if (now.Breaks != before.Breaks) {
        events |= comm::EvBreak;
    }
    if (now.Frame != before.Frame || now.Overrun != before.Overrun || now.Parity != before.Parity ||
        now.BufferOverrun != before.BufferOverrun) {
        events |= comm::EvErr;
    }
    FWaitBaseline = now;
    return events;
}

int TTermiosDevice::WaitCommEvent(std::uint32_t& mask) {
    mask = 0;
    for (;;) {
        const std::uint32_t wanted = FMask;
        if (wanted == 0) {
            return EINVAL;
        }
        TSnapshot now;
        if (const int error = TakeSnapshot(now); error != 0) {
            return error;
        }
        mask = EventsSince(now) & wanted;
        if (mask != 0) {
            return 0;
        }
        // Arrival into an empty input queue wakes poll; everything else is looked at on a timer.
        pollfd fds[2] = {{FFd, static_cast<short>(now.InQue == 0 ? POLLIN : 0), 0},
                         {FStopFd, POLLIN, 0}};
        const std::uint32_t timed = comm::EvCts | comm::EvDsr | comm::EvRlsd | comm::EvRing |
                                    comm::EvBreak | comm::EvErr | comm::EvTxEmpty;
        const bool timer = now.InQue > 0 || (wanted & timed) != 0;
        if (poll(fds, 2, timer ? PollIntervalMs : -1) < 0 && errno != EINTR) {
            return errno;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            return 0;
        }
        // The device has gone (a USB adapter pulled out) or its other side has hung up.
        if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            return EIO;
        }
    }
}

int TTermiosDevice::WriteFile(const void* data, std::size_t length, std::size_t& written) {
    TCommTimeouts timeouts;
    {
        const std::lock_guard lock(FMutex);
        timeouts = FTimeouts;
    }
    // Both write timeouts 0: no limit.
    const bool limited =
        timeouts.WriteTotalTimeoutMultiplier != 0 || timeouts.WriteTotalTimeoutConstant != 0;
    const auto deadline =
        std::chrono::steady_clock::now() +
        std::chrono::milliseconds(std::uint64_t{timeouts.WriteTotalTimeoutMultiplier} * length +
                                  timeouts.WriteTotalTimeoutConstant);
    const auto* bytes = static_cast<const unsigned char*>(data);
    written = 0;
    while (written < length) {
        const ssize_t count = write(FFd, bytes + written, length - written);
        if (count > 0) {
            written += static_cast<std::size_t>(count);
            FTxPending = true;
            continue;
        }
        if (count < 0 && errno != EAGAIN && errno != EINTR) {
            return errno;
        }
        int waitMs = -1;
        if (limited) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                break;
            }
            waitMs = static_cast<int>(std::min<std::int64_t>(left.count(), 60000));
        }
        pollfd fds = {FFd, POLLOUT, 0};
        if (poll(&fds, 1, waitMs) < 0 && errno != EINTR) {
            return errno;
        }
        if ((fds.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            return EIO;
        }
    }
    return 0;
}

int TTermiosDevice::ReadFile(void* data, std::size_t capacity, std::size_t& read) {
    read = 0;
    const ssize_t count = ::read(FFd, data, capacity);
    if (count < 0) {
        return errno == EAGAIN ? 0 : errno;
    }
    read = static_cast<std::size_t>(count);
    return 0;
}

int TTermiosDevice::EscapeCommFunction(TEscapeFunction function) {
    switch (function) {
    case TEscapeFunction::SetRts:
        return SetModemLine(FFd, TIOCM_RTS, true);
    case TEscapeFunction::ClrRts:
        return SetModemLine(FFd, TIOCM_RTS, false);
    case TEscapeFunction::SetDtr:
        return SetModemLine(FFd, TIOCM_DTR, true);
    case TEscapeFunction::ClrDtr:
        return SetModemLine(FFd, TIOCM_DTR, false);
    }
    return EINVAL;
}

int TTermiosDevice::GetCommModemStatus(std::uint32_t& status) {
    TSnapshot now;
    const int error = TakeSnapshot(now);
    status = now.ModemStatus;
    return error;
}

int TTermiosDevice::ClearCommError(std::uint32_t& errors, TComStat& stat) {
    TSnapshot now;
    if (const int error = TakeSnapshot(now); error != 0) {
        return error;
    }
    const std::lock_guard lock(FMutex);
    const TSnapshot& before = FErrorBaseline;
    errors = (now.Frame != before.Frame ? comm::CeFrame : 0) |
             (now.Overrun != before.Overrun ? comm::CeOverrun : 0) |
             (now.Parity != before.Parity ? comm::CeRxParity : 0) |
             (now.BufferOverrun != before.BufferOverrun ? comm::CeRxOver : 0) |
             (now.Breaks != before.Breaks ? comm::CeBreak : 0);
    FErrorBaseline = now;
    stat.InQue = now.InQue;
    stat.OutQue = now.OutQue;
    return 0;
}

int TTermiosDevice::PurgeComm(std::uint32_t flags) {
    // Every read and write here has finished by the time it returns, so there is never a
    // pending request for the abort flags to cancel.
    if ((flags & comm::PurgeTxClear) != 0 && ioctl(FFd, TCFLSH, TCOFLUSH) < 0) {
        return errno;
    }
    if ((flags & comm::PurgeRxClear) != 0 && ioctl(FFd, TCFLSH, TCIFLUSH) < 0) {
        return errno;
    }
    return 0;
}

} // namespace kestrune
