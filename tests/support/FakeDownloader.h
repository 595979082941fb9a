#pragma once
// A downloader that fetches nothing: it records every URL and answers from a table.

#include "core/ElementRefresh.h"

#include <map>
#include <string>
#include <vector>

namespace kestrune::test {

// What each URL gives: a body, or a failure; finished after this many looks.
struct TServed {
    std::string Body;
    std::string Failure;
    int Looks = 1;
};

class TFakeDownload final : public IDownload {
public:
    explicit TFakeDownload(TServed served) : FServed(std::move(served)) {}
    bool Finished() override { return --FServed.Looks <= 0; }
    std::string Failure() const override { return FServed.Failure; }
    const std::string& Body() const override { return FServed.Body; }

private:
    TServed FServed;
};

class TFakeDownloader final : public IDownloader {
public:
    std::map<std::string, TServed> Served;
    std::vector<std::string> Started;
    std::unique_ptr<IDownload> Start(const std::string& url) override {
        Started.push_back(url);
        return std::make_unique<TFakeDownload>(Served.at(url));
    }
};

} // namespace kestrune::test
