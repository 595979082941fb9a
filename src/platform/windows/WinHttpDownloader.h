#pragma once
// Downloads through WinHTTP, each on a thread of its own so that the tick that looks at them is
// never held up: http and https only (redirects included), at most MaxElementFileBytes, and
// given up when too slow.

#include "core/ElementRefresh.h"

#include <atomic>
#include <thread>
#include <windows.h>
#include <winhttp.h>

namespace kestrune {

class TWinHttpDownload final : public IDownload {
public:
    // Throws std::runtime_error when the URL is not http or https or cannot be opened.
    TWinHttpDownload(HINTERNET session, const std::string& url);
    // Ends a transfer under way.
    ~TWinHttpDownload() override;
    TWinHttpDownload(const TWinHttpDownload&) = delete;
    TWinHttpDownload& operator=(const TWinHttpDownload&) = delete;

    bool Finished() override { return FFinished; }
    std::string Failure() const override { return FFinished ? FFailure : std::string(); }
    const std::string& Body() const override { return FBody; }

private:
    void Transfer();

    HINTERNET FConnection = nullptr;
    HINTERNET FRequest = nullptr;
    std::string FFailure;
    std::string FBody;
    std::atomic<bool> FFinished = false;
    std::thread FThread;
};

class TWinHttpDownloader final : public IDownloader {
public:
    TWinHttpDownloader();
    ~TWinHttpDownloader() override;
    TWinHttpDownloader(const TWinHttpDownloader&) = delete;
    TWinHttpDownloader& operator=(const TWinHttpDownloader&) = delete;

    std::unique_ptr<IDownload> Start(const std::string& url) override;

private:
    HINTERNET FSession = nullptr;
};

} // namespace kestrune
