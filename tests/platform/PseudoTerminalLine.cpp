// Reads the terminal side's settings with the kernel's termios2, which the C library's
// <termios.h> (pulled in by <pty.h>) would clash with; hence a file of its own.
#include "platform/PseudoTerminal.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace kestrune::test {

TPseudoTerminal::TLineState TPseudoTerminal::LineState() const {
    termios2 settings{};
    TLineState state;
    // On a master, the terminal calls read the terminal side's settings.
    if (ioctl(FMaster, TCGETS2, &settings) < 0) {
        return state;
    }
    state.BaudRate = settings.c_ospeed;
    state.TwoStopBits = (settings.c_cflag & CSTOPB) != 0;
    state.Crtscts = (settings.c_cflag & CRTSCTS) != 0;
    state.Ixon = (settings.c_iflag & IXON) != 0;
    state.Ixoff = (settings.c_iflag & IXOFF) != 0;
    state.Inpck = (settings.c_iflag & INPCK) != 0;
    state.Raw = settings.c_lflag == 0 && settings.c_oflag == 0;
    return state;
}

} // namespace kestrune::test
