#pragma once
// A DDE client of one service and topic, as an SDR program is one of the tracking string: it
// requests items, holds hot or warm links, pokes and executes. For checking a tracking server
// (the kestrune-dde tool and the tests); the program itself has no use for it.
//
// Everything happens on the thread that made the client: its updates arrive through that
// thread's messages, which NextUpdate pumps.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrune {

class TDdeClient {
public:
    // One update of a link: a hot link's data, or a warm link's notice without data.
    struct TUpdate {
        bool Notice = false;
        std::string Data;
    };

    // Connects to the service (any service when empty) and topic; throws std::runtime_error
    // when the DDE library cannot start or no server answers.
    TDdeClient(const std::string& service, const std::string& topic);
    ~TDdeClient();
    TDdeClient(const TDdeClient&) = delete;
    TDdeClient& operator=(const TDdeClient&) = delete;

    // The item's CF_TEXT data as the server gave it (its zero byte included); none when the
    // server refuses. The conversation is made anew afterwards, its links kept (see the .cpp).
    std::optional<std::string> Request(const std::string& item);
    // Whether the server took the link, the poke, the command.
    bool Advise(const std::string& item, bool warm);
    bool Unadvise(const std::string& item, bool warm);
    bool Poke(const std::string& item, const std::string& text);
    bool Execute(const std::string& command);
    // The next update of a link, waiting for it up to timeoutMs; none when none came.
    std::optional<TUpdate> NextUpdate(unsigned timeoutMs);
    // Whether the server has ended the conversation.
    bool Disconnected() const { return FDisconnected; }

private:
    bool Connect();
    // Ends the conversation and starts another with the same links.
    void Renew();
    // The transaction's result, null when it failed.
    void* Transact(const std::string& bytes, const std::string& item, unsigned type);

    const std::string FService;
    const std::string FTopic;
    std::uint32_t FInstance = 0;
    void* FConversation = nullptr;
    std::vector<std::pair<std::string, bool>> FLinks; // item, warm
    std::deque<TUpdate> FUpdates;
    bool FDisconnected = false;
};

} // namespace kestrune
