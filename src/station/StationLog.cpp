#include "station/StationLog.h"

namespace kestrune {

TStationLog::TStationLog(const IClock& clock, bool journal, TWrite out, TWrite err)
    : FClock(clock), FJournal(journal), FOut(std::move(out)), FErr(std::move(err)) {}

void TStationLog::Write(TLogLevel level, const std::string& text) {
    if (FJournal) {
        FErr("<" + std::to_string(static_cast<int>(level)) + ">" + text);
        return;
    }
    const std::string line = FormatIsoUtc(FClock.UtcNow()) + " " + text;
    FOut(line);
    if (level != TLogLevel::Info)
        FErr(line);
}

} // namespace kestrune
