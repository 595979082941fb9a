#pragma once
// Fresh element sets: files fetched from the user's URLs at start and every few hours into the
// element folder. A download replaces its file only when the whole of it reads as element sets;
// on any failure the old file stays. The transfers run beside the program: started on a tick and
// moved on by every later one, never waited for.

#include "core/DateTime.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kestrune {

// The largest file fetched; a bigger one fails.
constexpr std::size_t MaxElementFileBytes = 8u * 1024u * 1024u;
constexpr int DefaultRefreshHours = 12;

// One transfer under way; destroying it abandons it.
class IDownload {
public:
    virtual ~IDownload() = default;
    // Moves the transfer on without waiting; whether it has finished.
    virtual bool Finished() = 0;
    // Once finished: empty when it succeeded, else why not ("HTTP 404", "timed out").
    virtual std::string Failure() const = 0;
    virtual const std::string& Body() const = 0;
};

class IDownloader {
public:
    virtual ~IDownloader() = default;
    // Starts fetching the URL: http and https only (redirects too), at most MaxElementFileBytes.
    // Throws when it cannot start.
    virtual std::unique_ptr<IDownload> Start(const std::string& url) = 0;
};

// The name of the file a URL is saved as in the element folder: its last path segment, with the
// query (CelesTrak's "gp.php?GROUP=weather&FORMAT=tle") joined on, every character but letters,
// digits, ".", "_" and "-" made "-", and ".txt" added unless it ends in ".txt" or ".tle". Throws
// std::invalid_argument for a URL that is not http or https or names no file.
std::string ElementFileName(const std::string& url);

// The element sets of a text of two- or three-line sets, by catalog number: the set's lines (its
// name line too, when it has one) and its name ("catalog number 25338" without a name line).
struct TElementSetLines {
    std::string Name;
    std::string Lines;
};
std::map<std::string, TElementSetLines> ElementSetsByNumber(const std::string& text);

class TElementRefresh {
public:
    // Why a downloaded text is not a file of element sets; empty when it is one.
    using TCheck = std::function<std::string(const std::string& text)>;
    using TWrite = std::function<void(const std::string& text)>;

    // `folder` is asked for the element folder when a file is to be put there. `warn` is told
    // each failure once per distinct cause; `refreshed` is told when a round has replaced files.
    // A download that lacks satellites the file it replaces had (cut short at a set's end, or a
    // satellite the source dropped) keeps their old sets, with a warning naming them.
    TElementRefresh(std::vector<std::string> urls, int everyHours, IDownloader& downloader,
                    const IClock& clock, std::function<std::string()> folder, TCheck check,
                    TWrite warn, TWrite refreshed);

    // Once a tick: starts a round when one is due (the first call, then every `everyHours` after
    // the last round began), moves the download under way on, and puts each finished one in
    // place.
    void Service();
    // When a round last replaced files; nothing before the first.
    std::optional<TDateTime> LastRefreshed() const { return FLastRefreshed; }

private:
    void StartNext();
    void PutInPlace(const std::string& url, const std::string& text);
    // The lines of the sets that the file being replaced has and the download lacks, warned.
    std::string KeepLostSets(const std::string& url, const std::filesystem::path& target,
                             const std::string& text);
    void Fail(const std::string& url, const std::string& reason);
    // Each text once.
    void Warn(const std::string& text);

    const std::vector<std::string> FUrls;
    const int FEveryHours;
    IDownloader& FDownloader;
    const IClock& FClock;
    std::function<std::string()> FFolder;
    TCheck FCheck;
    TWrite FWarn, FRefreshed;

    // The URL fetched now (or next), the transfer under way, and the files replaced this round.
    std::size_t FNext = 0;
    std::unique_ptr<IDownload> FDownload;
    std::vector<std::string> FReplaced;
    bool FInRound = false;
    std::optional<TDateTime> FRoundStarted;
    std::optional<TDateTime> FLastRefreshed;
    std::set<std::string> FWarned;
};

} // namespace kestrune
