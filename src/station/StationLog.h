#pragma once
// Where the station's log lines go. On a terminal or into a file every line starts with the UTC
// time to the millisecond and goes to standard output, errors and warnings to standard error as
// well. When standard error is the journal, every line goes there once, with its syslog
// priority in front and no time of its own (the journal keeps the time).

#include "core/DateTime.h"
#include "station/StationView.h"

#include <functional>
#include <string>

namespace kestrune {

class TStationLog {
public:
    using TWrite = std::function<void(const std::string& line)>;

    TStationLog(const IClock& clock, bool journal, TWrite out, TWrite err);
    void Write(TLogLevel level, const std::string& text);

private:
    const IClock& FClock;
    bool FJournal;
    TWrite FOut, FErr;
};

} // namespace kestrune
