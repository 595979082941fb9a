#include "platform/linux/CurlDownloader.h"

#include <stdexcept>

namespace kestrune {

namespace {

// Given up when connecting takes longer than this, when fewer than LowSpeedBytes a second come
// for LowSpeedS seconds, or when the whole transfer takes longer than TotalS.
constexpr long ConnectTimeoutS = 30;
constexpr long LowSpeedBytes = 100;
constexpr long LowSpeedS = 60;
constexpr long TotalS = 600;
constexpr long MaxRedirects = 5;

} // namespace

TCurlDownload::TCurlDownload(const std::string& url)
    : FMulti(curl_multi_init()), FEasy(curl_easy_init()) {
    if (!FMulti || !FEasy) {
        curl_easy_cleanup(FEasy);
        curl_multi_cleanup(FMulti);
        throw std::runtime_error("libcurl cannot start a transfer");
    }
    curl_easy_setopt(FEasy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(FEasy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(FEasy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(FEasy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(FEasy, CURLOPT_MAXREDIRS, MaxRedirects);
    curl_easy_setopt(FEasy, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(MaxElementFileBytes));
    curl_easy_setopt(FEasy, CURLOPT_CONNECTTIMEOUT, ConnectTimeoutS);
    curl_easy_setopt(FEasy, CURLOPT_LOW_SPEED_LIMIT, LowSpeedBytes);
    curl_easy_setopt(FEasy, CURLOPT_LOW_SPEED_TIME, LowSpeedS);
    curl_easy_setopt(FEasy, CURLOPT_TIMEOUT, TotalS);
    curl_easy_setopt(FEasy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(FEasy, CURLOPT_USERAGENT, "Kestrune");
    curl_easy_setopt(FEasy, CURLOPT_ERRORBUFFER, FError);
    curl_easy_setopt(FEasy, CURLOPT_WRITEFUNCTION, &TCurlDownload::Write);
    curl_easy_setopt(FEasy, CURLOPT_WRITEDATA, this);
    if (curl_multi_add_handle(FMulti, FEasy) != CURLM_OK) {
        curl_easy_cleanup(FEasy);
        curl_multi_cleanup(FMulti);
        throw std::runtime_error("libcurl cannot start a transfer");
    }
}

TCurlDownload::~TCurlDownload() {
    curl_multi_remove_handle(FMulti, FEasy);
    curl_easy_cleanup(FEasy);
    curl_multi_cleanup(FMulti);
}

std::size_t TCurlDownload::Write(char* data, std::size_t size, std::size_t count, void* self) {
    auto& download = *static_cast<TCurlDownload*>(self);
    const std::size_t bytes = size * count;
    // A server that does not say the size beforehand is stopped here.
    if (download.FBody.size() + bytes > MaxElementFileBytes) {
        download.FTooBig = true;
        return 0;
    }
    download.FBody.append(data, bytes);
    return bytes;
}

bool TCurlDownload::Finished() {
    if (FFinished)
        return true;
    int running = 0;
    if (const CURLMcode code = curl_multi_perform(FMulti, &running); code != CURLM_OK) {
        FFinished = true;
        FFailure = curl_multi_strerror(code);
        return true;
    }
    int left = 0;
    while (const CURLMsg* message = curl_multi_info_read(FMulti, &left)) {
        if (message->msg == CURLMSG_DONE)
            Done(message->data.result);
    }
    return FFinished;
}

void TCurlDownload::Done(CURLcode result) {
    FFinished = true;
    if (FTooBig || result == CURLE_FILESIZE_EXCEEDED) {
        FFailure = "larger than " + std::to_string(MaxElementFileBytes / 1024 / 1024) + " MiB";
    } else if (result != CURLE_OK) {
        FFailure = FError[0] != '\0' ? FError : curl_easy_strerror(result);
    } else {
        long status = 0;
        curl_easy_getinfo(FEasy, CURLINFO_RESPONSE_CODE, &status);
        if (status != 200)
            FFailure = "HTTP " + std::to_string(status);
    }
    if (!FFailure.empty())
        FBody.clear();
}

TCurlDownloader::TCurlDownloader() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
}

TCurlDownloader::~TCurlDownloader() {
    curl_global_cleanup();
}

} // namespace kestrune
