#include "platform/windows/DdeClient.h"

#include "core/TrackingString.h"

#include <stdexcept>

// The Windows types before the header that uses them.
// clang-format off
#include <windows.h>
#include <ddeml.h>
// clang-format on

namespace kestrune {

namespace {

// How long one transaction may take.
constexpr DWORD TransactionTimeoutMs = 5000;

// The client of this thread: DDE callbacks name no instance, so a thread has one client at a
// time.
thread_local std::deque<TDdeClient::TUpdate>* CurrentUpdates = nullptr;
thread_local bool* CurrentDisconnected = nullptr;

HDDEDATA CALLBACK Callback(UINT type, UINT, HCONV, HSZ, HSZ, HDDEDATA data, ULONG_PTR, ULONG_PTR) {
    if (!CurrentUpdates)
        return nullptr;
    if (type == XTYP_ADVDATA) {
        TDdeClient::TUpdate update;
        update.Notice = data == nullptr;
        if (data) {
            DWORD size = 0;
            if (const BYTE* bytes = DdeAccessData(data, &size)) {
                update.Data.assign(reinterpret_cast<const char*>(bytes), size);
                DdeUnaccessData(data);
            }
        }
        CurrentUpdates->push_back(std::move(update));
        return reinterpret_cast<HDDEDATA>(DDE_FACK);
    }
    if (type == XTYP_DISCONNECT)
        *CurrentDisconnected = true;
    return nullptr;
}

// A string handle of the instance, freed at the end of the scope.
class TName {
public:
    TName(DWORD instance, const std::string& text)
        : FInstance(instance),
          FName(text.empty() ? nullptr
                             : DdeCreateStringHandleA(instance, text.c_str(), CP_WINANSI)) {}
    ~TName() {
        if (FName)
            DdeFreeStringHandle(FInstance, FName);
    }
    TName(const TName&) = delete;
    TName& operator=(const TName&) = delete;
    HSZ Get() const { return FName; }

private:
    DWORD FInstance;
    HSZ FName;
};

} // namespace

TDdeClient::TDdeClient(const std::string& service, const std::string& topic)
    : FService(service), FTopic(topic) {
    DWORD instance = 0;
    const UINT error = DdeInitializeA(&instance, &Callback, APPCMD_CLIENTONLY, 0);
    if (error != DMLERR_NO_ERROR)
        throw std::runtime_error(DdeStartErrorText(error));
    FInstance = instance;
    CurrentUpdates = &FUpdates;
    CurrentDisconnected = &FDisconnected;
    if (!Connect()) {
        const UINT last = DdeGetLastError(FInstance);
        DdeUninitialize(FInstance);
        throw std::runtime_error("No DDE server answers for " +
                                 (service.empty() ? std::string("any service") : service) + "|" +
                                 topic + ": " + DdeStartErrorText(last));
    }
}

TDdeClient::~TDdeClient() {
    DdeDisconnect(static_cast<HCONV>(FConversation));
    DdeUninitialize(FInstance);
    if (CurrentUpdates == &FUpdates) {
        CurrentUpdates = nullptr;
        CurrentDisconnected = nullptr;
    }
}

bool TDdeClient::Connect() {
    const TName serviceName(FInstance, FService), topicName(FInstance, FTopic);
    FConversation = DdeConnect(FInstance, serviceName.Get(), topicName.Get(), nullptr);
    FDisconnected = FConversation == nullptr;
    return FConversation != nullptr;
}

void TDdeClient::Renew() {
    DdeDisconnect(static_cast<HCONV>(FConversation));
    if (!Connect())
        return;
    for (const auto& [item, warm] : FLinks)
        Transact({}, item, warm ? XTYP_ADVSTART | XTYPF_NODATA : XTYP_ADVSTART);
}

void* TDdeClient::Transact(const std::string& bytes, const std::string& item, unsigned type) {
    const TName itemName(FInstance, item);
    DWORD status = 0;
    const bool withData = type == XTYP_POKE || type == XTYP_EXECUTE;
    HDDEDATA result = DdeClientTransaction(
        withData ? reinterpret_cast<LPBYTE>(const_cast<char*>(bytes.c_str())) : nullptr,
        withData ? static_cast<DWORD>(bytes.size() + 1) : 0, static_cast<HCONV>(FConversation),
        itemName.Get(), CF_TEXT, type, TransactionTimeoutMs, &status);
    // Only the server's acknowledgement says whether it took a poke: Wine's client returns TRUE
    // for a refused one too.
    if (type != XTYP_REQUEST && !(status & DDE_FACK))
        return nullptr;
    return result;
}

std::optional<std::string> TDdeClient::Request(const std::string& item) {
    const auto data = static_cast<HDDEDATA>(Transact({}, item, XTYP_REQUEST));
    // Wine's server acknowledges a request once more after answering it, and its client takes
    // that for the answer to the conversation's next transaction; a new conversation leaves it
    // behind.
    Renew();
    if (!data)
        return std::nullopt;
    DWORD size = 0;
    std::string bytes;
    if (const BYTE* access = DdeAccessData(data, &size)) {
        bytes.assign(reinterpret_cast<const char*>(access), size);
        DdeUnaccessData(data);
    }
    DdeFreeDataHandle(data);
    return bytes;
}

bool TDdeClient::Advise(const std::string& item, bool warm) {
    if (!Transact({}, item, warm ? XTYP_ADVSTART | XTYPF_NODATA : XTYP_ADVSTART))
        return false;
    FLinks.emplace_back(item, warm);
    return true;
}

bool TDdeClient::Unadvise(const std::string& item, bool warm) {
    std::erase(FLinks, std::pair(item, warm));
    return Transact({}, item, XTYP_ADVSTOP) != nullptr;
}

bool TDdeClient::Poke(const std::string& item, const std::string& text) {
    return Transact(text, item, XTYP_POKE) != nullptr;
}

bool TDdeClient::Execute(const std::string& command) {
    return Transact(command, {}, XTYP_EXECUTE) != nullptr;
}

std::optional<TDdeClient::TUpdate> TDdeClient::NextUpdate(unsigned timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (FUpdates.empty() && !FDisconnected) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end)
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (FUpdates.empty())
        return std::nullopt;
    TUpdate update = std::move(FUpdates.front());
    FUpdates.pop_front();
    return update;
}

} // namespace kestrune
