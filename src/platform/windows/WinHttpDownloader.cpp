#include "platform/windows/WinHttpDownloader.h"

#include "platform/windows/WideText.h"

#include <stdexcept>

namespace kestrune {

namespace {

// Given up when resolving, connecting or sending takes longer than ConnectTimeoutMs, or when
// nothing arrives for ReceiveTimeoutMs.
constexpr int ConnectTimeoutMs = 30'000;
constexpr int ReceiveTimeoutMs = 60'000;

std::string LastErrorText() {
    return SystemErrorText(::GetLastError());
}

} // namespace

TWinHttpDownloader::TWinHttpDownloader()
    : FSession(::WinHttpOpen(L"Kestrune", WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                             WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0)) {
    if (FSession != nullptr) {
        ::WinHttpSetTimeouts(FSession, ConnectTimeoutMs, ConnectTimeoutMs, ConnectTimeoutMs,
                             ReceiveTimeoutMs);
        DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
        ::WinHttpSetOption(FSession, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols);
    }
}

TWinHttpDownloader::~TWinHttpDownloader() {
    if (FSession != nullptr)
        ::WinHttpCloseHandle(FSession);
}

std::unique_ptr<IDownload> TWinHttpDownloader::Start(const std::string& url) {
    if (FSession == nullptr)
        throw std::runtime_error("WinHTTP did not start");
    return std::make_unique<TWinHttpDownload>(FSession, url);
}

TWinHttpDownload::TWinHttpDownload(HINTERNET session, const std::string& url) {
    std::wstring wideUrl = WideFromUtf8(url);
    wchar_t host[256] = {};
    std::wstring path(wideUrl.size() + 1, L'\0');
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    if (!::WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS))
        throw std::runtime_error("not an http or https address: " + url);
    path.resize(parts.dwUrlPathLength);
    FConnection = ::WinHttpConnect(session, host, parts.nPort, 0);
    if (FConnection != nullptr)
        FRequest =
            ::WinHttpOpenRequest(FConnection, L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                 WINHTTP_DEFAULT_ACCEPT_TYPES,
                                 parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0);
    if (FRequest == nullptr) {
        const std::string reason = LastErrorText();
        if (FConnection != nullptr)
            ::WinHttpCloseHandle(FConnection);
        throw std::runtime_error("cannot fetch " + url + ": " + reason);
    }
    // Redirects only to http or https (WinHTTP's default refuses https to http).
    FThread = std::thread([this] { Transfer(); });
}

TWinHttpDownload::~TWinHttpDownload() {
    // Closing the request ends a call under way on the transfer's thread.
    ::WinHttpCloseHandle(FRequest);
    FThread.join();
    ::WinHttpCloseHandle(FConnection);
}

void TWinHttpDownload::Transfer() {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!::WinHttpSendRequest(FRequest, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA,
                              0, 0, 0) ||
        !::WinHttpReceiveResponse(FRequest, nullptr) ||
        !::WinHttpQueryHeaders(FRequest, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                               WINHTTP_NO_HEADER_INDEX)) {
        FFailure = LastErrorText();
    } else if (status >= 400) {
        FFailure = "HTTP " + std::to_string(status);
    } else {
        char buffer[16 * 1024];
        for (;;) {
            DWORD read = 0;
            if (!::WinHttpReadData(FRequest, buffer, sizeof buffer, &read)) {
                FFailure = LastErrorText();
                break;
            }
            if (read == 0)
                break;
            if (FBody.size() + read > MaxElementFileBytes) {
                FFailure =
                    "larger than " + std::to_string(MaxElementFileBytes / 1024 / 1024) + " MiB";
                break;
            }
            FBody.append(buffer, read);
        }
    }
    if (!FFailure.empty())
        FBody.clear();
    FFinished = true;
}

} // namespace kestrune
