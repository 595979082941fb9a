#pragma once
// Downloads through libcurl's multi interface, moved on a step at a time so that the tick that
// looks at them is never held up: http and https only (redirects included), at most
// MaxElementFileBytes, and given up when too slow.

#include "core/ElementRefresh.h"

#include <curl/curl.h>

namespace kestrune {

class TCurlDownload final : public IDownload {
public:
    // Throws std::runtime_error when libcurl cannot set the transfer up.
    explicit TCurlDownload(const std::string& url);
    ~TCurlDownload() override;
    TCurlDownload(const TCurlDownload&) = delete;
    TCurlDownload& operator=(const TCurlDownload&) = delete;

    bool Finished() override;
    std::string Failure() const override { return FFailure; }
    const std::string& Body() const override { return FBody; }

private:
    static std::size_t Write(char* data, std::size_t size, std::size_t count, void* self);
    void Done(CURLcode result);

    CURLM* FMulti = nullptr;
    CURL* FEasy = nullptr;
    bool FFinished = false;
    bool FTooBig = false;
    std::string FBody;
    std::string FFailure;
    char FError[CURL_ERROR_SIZE] = {};
};

class TCurlDownloader final : public IDownloader {
public:
    TCurlDownloader();
    ~TCurlDownloader() override;
    TCurlDownloader(const TCurlDownloader&) = delete;
    TCurlDownloader& operator=(const TCurlDownloader&) = delete;

    std::unique_ptr<IDownload> Start(const std::string& url) override {
        return std::make_unique<TCurlDownload>(url);
    }
};

} // namespace kestrune
