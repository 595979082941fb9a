#pragma once
// A log line written to a standard stream never holds up the station: the stream is switched
// to non-blocking writes for the object's life, and a line that cannot be written at once is
// dropped and counted; the count is written before the next line that gets through. A line
// that went in part is finished before anything else.

#include <cstddef>
#include <string>

namespace kestrune {

class TLogStream {
public:
    explicit TLogStream(int fd);
    ~TLogStream();
    TLogStream(const TLogStream&) = delete;
    TLogStream& operator=(const TLogStream&) = delete;

    // Writes the line and a line break.
    void WriteLine(const std::string& line);
    std::size_t Dropped() const { return FDropped; }

private:
    // Writes what is pending; whether all of it went.
    bool Flush();

    int FFd;
    int FFlags;
    std::string FPending;
    std::size_t FDropped = 0;
};

// Opens each of descriptors 0, 1 and 2 that is closed on /dev/null: a program started with its
// standard output or error closed would otherwise find them in the next files it opens, and
// write its log into them. Called first thing in main.
void OpenStandardDescriptors();

// Whether the descriptor is the journal's stream, as systemd names it in JOURNAL_STREAM
// ("device:inode").
bool IsJournalStream(int fd);

} // namespace kestrune
