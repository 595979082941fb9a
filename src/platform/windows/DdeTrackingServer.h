#pragma once
// The tracking string for DDE clients (SDR programs): service = the program's name, topic
// "Tracking", item "Data", CF_TEXT in the ANSI code page, through the DDE Management Library.
//
// DDEML delivers its callbacks through the message loop of the thread that initialised it, so
// the server runs on a thread of its own with its own loop; the program's ticks hand each text
// over under a lock and post it, and every callback runs on that thread. A client is never
// answered from a half-built text, and a slow client never holds up the tick.

#include "core/LocaleInfo.h"
#include "core/TrackingServer.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace kestrune {

class TDdeTrackingServer final : public ITrackingServer {
public:
    // Starts the server and registers the service; throws std::runtime_error with the DDE
    // library's message ("An error returned from DDE  ($0400f)") when it cannot.
    TDdeTrackingServer(std::string serviceName, TLocaleInfo locale);
    // Unregisters the service and ends the server's thread.
    ~TDdeTrackingServer() override;
    TDdeTrackingServer(const TDdeTrackingServer&) = delete;
    TDdeTrackingServer& operator=(const TDdeTrackingServer&) = delete;

    // From any thread: the item's new text, sent to every linked client once, even when it did
    // not change.
    void SetItemText(const std::string& text) override;

private:
    class TServerThread;
    // The texts published and not yet taken by the server's thread, in the ANSI code page.
    std::deque<std::string> TakePublished();

    const TLocaleInfo FLocale;
    std::mutex FMutex;
    std::deque<std::string> FPublished;
    std::uint32_t FThreadId = 0;
    std::thread FThread;
};

} // namespace kestrune
