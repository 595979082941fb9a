// kestrune-dde: a DDE client of the tracking string, as an SDR program is one: shows what the
// Kestrune window or station serves, for setting up a station and for the tests.

#include "core/DateTime.h"
#include "core/Text.h"
#include "platform/windows/DdeClient.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

using namespace kestrune;

namespace {

const char* const Help =
    R"(Usage: kestrune-dde [--service NAME] [--topic NAME] COMMAND

Talks to a DDE server as an SDR program does; by default to the Kestrune
window or station (service Kestrune, topic Tracking; --service "" asks any
service). Texts are in the ANSI code page.

  request ITEM          prints the item's text
  hot ITEM [COUNT]      holds a hot link and prints each update with the UTC
                        time it came (COUNT updates, else until ended)
  warm ITEM [COUNT]     the same with a warm link: prints the time of each
                        notice and the text requested then
  poke ITEM TEXT        gives the item a text
  execute COMMAND       sends a command

Exit status: 0 when the server answered, 1 when it refused, 2 when there is
no server or no such command. The tracking item is "Data".
)";

// The data without its zero byte and line end.
std::string Shown(std::string data) {
    while (!data.empty() && (data.back() == '\0' || data.back() == '\n' || data.back() == '\r'))
        data.pop_back();
    return data;
}

std::string Now() {
    using namespace std::chrono;
    return FormatIsoUtc(
        FromUnixSeconds(duration<double>(system_clock::now().time_since_epoch()).count()));
}

int Links(TDdeClient& client, const std::string& item, bool warm, int count) {
    if (!client.Advise(item, warm)) {
        std::fprintf(stderr, "kestrune-dde: the server refused a link on %s\n", item.c_str());
        return 1;
    }
    for (int received = 0; count <= 0 || received < count;) {
        const auto update = client.NextUpdate(60'000);
        if (client.Disconnected()) {
            std::fprintf(stderr, "kestrune-dde: the server ended the conversation\n");
            return 1;
        }
        if (!update)
            continue;
        const std::string text =
            update->Notice ? Shown(client.Request(item).value_or("")) : Shown(update->Data);
        std::printf("%s %s\n", Now().c_str(), text.c_str());
        std::fflush(stdout);
        ++received;
    }
    client.Unadvise(item, warm);
    return 0;
}

int Run(const std::vector<std::string>& args) {
    if (!args.empty() && args[0] == "--help") {
        std::fputs(Help, stdout);
        return 0;
    }
    std::string service = "Kestrune", topic = "Tracking";
    std::size_t at = 0;
    for (; at + 1 < args.size() && args[at].rfind("--", 0) == 0; at += 2)
        (args[at] == "--service" ? service : topic) = args[at + 1];
    const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(at), args.end());
    if (rest.size() < 2 || (rest[0] == "poke" && rest.size() < 3)) {
        std::fputs(Help, stderr);
        return 2;
    }
    TDdeClient client(service, topic);
    const std::string& command = rest[0];
    if (command == "request") {
        const auto data = client.Request(rest[1]);
        if (data)
            std::printf("%s\n", Shown(*data).c_str());
        return data ? 0 : 1;
    }
    if (command == "hot" || command == "warm")
        return Links(client, rest[1], command == "warm",
                     rest.size() > 2 ? ParseInt(rest[2]).value_or(0) : 0);
    if (command == "poke")
        return client.Poke(rest[1], rest[2]) ? 0 : 1;
    if (command == "execute")
        return client.Execute(rest[1]) ? 0 : 1;
    std::fputs(Help, stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kestrune-dde: %s\n", error.what());
        return 2;
    }
}
