#include "app/ProgramFixture.h"

#include "core/Text.h"

#include <cmath>
#include <cstdio>

namespace kestrune::test {

void TProgramFixture::Open() {
    StorePort(PortName.empty() ? "spy://COM1?file=" + PortLogPath() : PortName);
    Program = std::make_unique<TProgram>(Environment(), View, nullptr);
    Program->Start();
}

void TProgramFixture::TickAt(double seconds) {
    Clock.Set(Start + seconds * OneSecond);
    Program->Tick();
}

void TProgramFixture::RunUntil(int lastSecond, int firstSecond) {
    if (firstSecond == 1)
        TickAt(0.2);
    for (int s = firstSecond; s <= lastSecond; ++s)
        TickAt(s);
}

std::string TProgramFixture::PortLogPath() const {
    return Utf8FromPath(Dir.Path() / "port.log");
}

std::vector<TProgramFixture::TPortEvent> TProgramFixture::PortEvents(long long fromMs) const {
    std::vector<TPortEvent> events;
    const std::string log = ReadFileBytes(PortLogPath());
    for (std::size_t at = 0, end; (end = log.find('\n', at)) != std::string::npos; at = end + 1) {
        // "2025-05-28T09:00:20.000Z WRITE "F0""
        const std::string line = log.substr(at, end - at);
        int year, month, day, hour, minute, second, ms;
        if (std::sscanf(line.c_str(), "%d-%d-%dT%d:%d:%d.%dZ", &year, &month, &day, &hour, &minute,
                        &second, &ms) != 7)
            continue;
        const TDateTime time = EncodeDateTime(year, month, day, hour, minute, second, ms);
        const long long atMs = std::llround((time - Start) * SecondsPerDay * 1000);
        const std::string what = ReplaceAll(line.substr(line.find(' ') + 1), "\"", "");
        if (atMs >= fromMs && (what.starts_with("WRITE ") || what.starts_with("RTS ")))
            events.push_back({atMs, what});
    }
    return events;
}

std::vector<std::string> TProgramFixture::Writes() const {
    std::vector<std::string> writes;
    for (const TPortEvent& event : PortEvents())
        if (event.What.starts_with("WRITE "))
            writes.push_back(event.What.substr(6));
    return writes;
}

} // namespace kestrune::test
