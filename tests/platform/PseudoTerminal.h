#pragma once
// A pseudo-terminal pair for real byte traffic: the port opens the terminal side by its path,
// the test plays the far end on the master side.

#include <cstdint>
#include <string>

namespace kestrune::test {

class TPseudoTerminal {
public:
    TPseudoTerminal();
    ~TPseudoTerminal();
    TPseudoTerminal(const TPseudoTerminal&) = delete;
    TPseudoTerminal& operator=(const TPseudoTerminal&) = delete;

    // The terminal side's path, e.g. /dev/pts/3.
    const std::string& Path() const { return FPath; }
    // Sends bytes to the port; false when the terminal side has gone.
    bool Send(const std::string& bytes);
    // What the port has sent, waiting up to the timeout for `count` bytes.
    std::string Receive(std::size_t count, int timeoutMs = 2000);
    // Hangs up, as a pulled USB adapter does.
    void CloseMaster();

    // The terminal side's line settings, read through the master.
    struct TLineState {
        std::uint32_t BaudRate = 0;
        bool TwoStopBits = false;
        bool Crtscts = false;
        bool Ixon = false;
        bool Ixoff = false;
        bool Inpck = false;
        bool Raw = false;
    };
    TLineState LineState() const;

private:
    int FMaster = -1;
    std::string FPath;
};

} // namespace kestrune::test
