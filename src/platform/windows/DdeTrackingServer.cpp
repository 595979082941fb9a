#include "platform/windows/DdeTrackingServer.h"

#include "core/TrackingString.h"

#include <future>
#include <optional>
#include <stdexcept>
#include <utility>

// The Windows types before the header that uses them.
// clang-format off
#include <windows.h>
#include <ddeml.h>
// clang-format on

namespace kestrune {

namespace {

// Posted to the server's thread: texts were published (wParam 0), or a poke changed the text and
// the links are told (wParam 1).
constexpr UINT PublishMessage = WM_APP + 1;
constexpr WPARAM AfterPoke = 1;
// Texts waiting for a server thread that does not take them any more are dropped, oldest first.
constexpr std::size_t MaxPending = 64;
constexpr const char* TopicName = "Tracking";
constexpr const char* ItemName = "Data";

} // namespace

// Everything of the DDE instance: made, used and ended on the server's thread only.
class TDdeTrackingServer::TServerThread {
public:
    explicit TServerThread(TDdeTrackingServer& owner) : FOwner(owner) { Current = this; }
    ~TServerThread() {
        if (FService)
            DdeNameService(FInstance, FService, nullptr, DNS_UNREGISTER);
        for (HSZ name : {FService, FTopic, FItem})
            if (name)
                DdeFreeStringHandle(FInstance, name);
        if (FInstance)
            DdeUninitialize(FInstance);
        Current = nullptr;
    }
    TServerThread(const TServerThread&) = delete;
    TServerThread& operator=(const TServerThread&) = delete;

    // The DDE library's error code, 0 when the service is registered.
    UINT Start(const std::string& serviceName) {
        const UINT error = DdeInitializeA(
            &FInstance, &Callback,
            APPCLASS_STANDARD | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS, 0);
        if (error != DMLERR_NO_ERROR) {
            FInstance = 0;
            return error;
        }
        FService = DdeCreateStringHandleA(FInstance, serviceName.c_str(), CP_WINANSI);
        FTopic = DdeCreateStringHandleA(FInstance, TopicName, CP_WINANSI);
        FItem = DdeCreateStringHandleA(FInstance, ItemName, CP_WINANSI);
        if (FService && FTopic && FItem &&
            DdeNameService(FInstance, FService, nullptr, DNS_REGISTER))
            return DMLERR_NO_ERROR;
        const UINT last = DdeGetLastError(FInstance);
        return last != DMLERR_NO_ERROR ? last : DMLERR_SYS_ERROR;
    }

    // Until WM_QUIT: the DDE library's messages and the published texts.
    void Loop() {
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.hwnd == nullptr && message.message == PublishMessage) {
                if (message.wParam == AfterPoke)
                    DdePostAdvise(FInstance, FTopic, FItem);
                for (std::string& text : FOwner.TakePublished()) {
                    FText = std::move(text);
                    DdePostAdvise(FInstance, FTopic, FItem);
                }
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

private:
    static HDDEDATA CALLBACK Callback(UINT type, UINT format, HCONV, HSZ name1, HSZ name2,
                                      HDDEDATA data, ULONG_PTR, ULONG_PTR) {
        return Current ? Current->Answer(type, format, name1, name2, data) : nullptr;
    }

    // name1 is the topic, name2 the service (connects) or the item (everything else).
    HDDEDATA Answer(UINT type, UINT format, HSZ name1, HSZ name2, HDDEDATA data) {
        switch (type) {
        case XTYP_CONNECT:
            return Accepted(IsTopic(name1) && IsOurService(name2));
        case XTYP_WILDCONNECT:
            return IsTopic(name1) && IsOurService(name2) ? ServiceAndTopic(format) : nullptr;
        case XTYP_REQUEST:
        case XTYP_ADVREQ:
            return format == CF_TEXT && IsItem(name2) ? ItemData() : nullptr;
        case XTYP_ADVSTART:
            return Accepted(format == CF_TEXT && IsItem(name2));
        case XTYP_POKE:
            if (format != CF_TEXT || !IsItem(name2))
                return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
            FText = FirstLine(data);
            // The links are told once this callback has returned.
            PostThreadMessageW(GetCurrentThreadId(), PublishMessage, AfterPoke, 0);
            return reinterpret_cast<HDDEDATA>(DDE_FACK);
        case XTYP_EXECUTE:
            return reinterpret_cast<HDDEDATA>(DDE_FACK);
        default:
            return nullptr;
        }
    }

    static HDDEDATA Accepted(bool yes) { return reinterpret_cast<HDDEDATA>(yes ? TRUE : FALSE); }

    // The topic compares without regard to case (string handles do).
    bool IsTopic(HSZ topic) const { return topic && DdeCmpStringHandles(topic, FTopic) == 0; }
    bool IsOurService(HSZ service) const {
        return !service || DdeCmpStringHandles(service, FService) == 0;
    }
    // String handles are atoms, which know no letter case: a client's "data" is the item that
    // this server made as "Data", and nothing can tell them apart.
    bool IsItem(HSZ item) const { return item && DdeCmpStringHandles(item, FItem) == 0; }

    HDDEDATA ServiceAndTopic(UINT format) const {
        HSZPAIR pairs[2] = {{FService, FTopic}, {nullptr, nullptr}};
        return DdeCreateDataHandle(FInstance, reinterpret_cast<LPBYTE>(pairs), sizeof pairs, 0,
                                   nullptr, format, 0);
    }

    // The text, CR LF, and the terminating zero; before the first text only the zero.
    HDDEDATA ItemData() const {
        const std::string bytes = FText ? *FText + "\r\n" : std::string();
        return DdeCreateDataHandle(FInstance,
                                   reinterpret_cast<LPBYTE>(const_cast<char*>(bytes.c_str())),
                                   static_cast<DWORD>(bytes.size() + 1), 0, FItem, CF_TEXT, 0);
    }

    // A poked text up to its first CR, LF or zero byte.
    static std::string FirstLine(HDDEDATA data) {
        DWORD size = 0;
        const BYTE* bytes = data ? DdeAccessData(data, &size) : nullptr;
        if (!bytes)
            return {};
        std::string text(reinterpret_cast<const char*>(bytes), size);
        DdeUnaccessData(data);
        return text.substr(0, text.find_first_of(std::string("\r\n\0", 3)));
    }

    static thread_local TServerThread* Current;

    TDdeTrackingServer& FOwner;
    DWORD FInstance = 0;
    HSZ FService = nullptr;
    HSZ FTopic = nullptr;
    HSZ FItem = nullptr;
    // Nothing until the first publish or poke.
    std::optional<std::string> FText;
};

thread_local TDdeTrackingServer::TServerThread* TDdeTrackingServer::TServerThread::Current =
    nullptr;

TDdeTrackingServer::TDdeTrackingServer(std::string serviceName, TLocaleInfo locale)
    : FLocale(std::move(locale)) {
    std::promise<std::string> started;
    std::future<std::string> problem = started.get_future();
    FThread = std::thread([this, &started, serviceName] {
        // A message queue for the thread before anyone posts to it.
        MSG message;
        PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        FThreadId = GetCurrentThreadId();
        TServerThread server(*this);
        const UINT error = server.Start(serviceName);
        started.set_value(error == DMLERR_NO_ERROR ? std::string() : DdeStartErrorText(error));
        if (error == DMLERR_NO_ERROR)
            server.Loop();
    });
    if (const std::string text = problem.get(); !text.empty()) {
        FThread.join();
        throw std::runtime_error(text);
    }
}

TDdeTrackingServer::~TDdeTrackingServer() {
    PostThreadMessageW(FThreadId, WM_QUIT, 0, 0);
    FThread.join();
}

void TDdeTrackingServer::SetItemText(const std::string& text) {
    std::string ansi = FLocale.ToSystemCharset(text);
    {
        const std::lock_guard lock(FMutex);
        FPublished.push_back(std::move(ansi));
        if (FPublished.size() > MaxPending)
            FPublished.pop_front();
    }
    PostThreadMessageW(FThreadId, PublishMessage, 0, 0);
}

std::deque<std::string> TDdeTrackingServer::TakePublished() {
    const std::lock_guard lock(FMutex);
    return std::exchange(FPublished, {});
}

} // namespace kestrune
