#include "core/ElementRefresh.h"

#include "core/Text.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace kestrune {

namespace {

bool FileNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The text's lines without their line ends.
std::vector<std::string> TextLines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t begin = 0; begin < text.size();) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        begin = end + 1;
    }
    return lines;
}

bool SetLine(const std::string& line, char number) {
    return line.size() >= 7 && line[0] == number && line[1] == ' ';
}

} // namespace

std::map<std::string, TElementSetLines> ElementSetsByNumber(const std::string& text) {
    std::map<std::string, TElementSetLines> sets;
    const std::vector<std::string> lines = TextLines(text);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (!SetLine(lines[i], '1') || !SetLine(lines[i + 1], '2'))
            continue;
        const std::string number(Trim(std::string_view(lines[i]).substr(2, 5)));
        TElementSetLines set{"catalog number " + number, lines[i] + "\n" + lines[i + 1] + "\n"};
        const std::string& before = i > 0 ? lines[i - 1] : std::string();
        if (!Trim(before).empty() && !SetLine(before, '1') && !SetLine(before, '2')) {
            // Space-Track's three-line sets start their name lines with "0 ".
            set.Name = Trim(before.rfind("0 ", 0) == 0 ? before.substr(2) : before);
            set.Lines = before + "\n" + set.Lines;
        }
        sets.emplace(number, std::move(set));
        ++i;
    }
    return sets;
}

std::string ElementFileName(const std::string& url) {
    const std::size_t schemeEnd = url.find("://");
    const std::string scheme = schemeEnd == std::string::npos ? "" : url.substr(0, schemeEnd);
    if (!SameTextAscii(scheme, "http") && !SameTextAscii(scheme, "https"))
        throw std::invalid_argument("only http and https URLs are fetched");
    std::string rest = url.substr(schemeEnd + 3);
    rest = rest.substr(0, rest.find('#'));
    const std::size_t pathStart = rest.find('/');
    const std::string path = pathStart == std::string::npos ? "" : rest.substr(pathStart);
    const std::size_t queryStart = path.find('?');
    std::string name = path.substr(0, queryStart);
    name = name.substr(name.rfind('/') + 1);
    if (queryStart != std::string::npos && queryStart + 1 < path.size())
        name += "-" + path.substr(queryStart + 1);
    for (char& c : name)
        if (!FileNameCharacter(c))
            c = '-';
    if (name.empty() || name.front() == '.' || name.front() == '-')
        throw std::invalid_argument("the URL names no file");
    if (!EndsWith(name, ".txt") && !EndsWith(name, ".tle"))
        name += ".txt";
    return name;
}

TElementRefresh::TElementRefresh(std::vector<std::string> urls, int everyHours,
                                 IDownloader& downloader, const IClock& clock,
                                 std::function<std::string()> folder, TCheck check, TWrite warn,
                                 TWrite refreshed)
    : FUrls(std::move(urls)), FEveryHours(everyHours), FDownloader(downloader), FClock(clock),
      FFolder(std::move(folder)), FCheck(std::move(check)), FWarn(std::move(warn)),
      FRefreshed(std::move(refreshed)) {}

void TElementRefresh::Service() {
    if (FUrls.empty())
        return;
    const TDateTime now = FClock.UtcNow();
    if (!FInRound) {
        // A clock set back by more than the interval starts a round as well.
        const bool due =
            !FRoundStarted || now >= *FRoundStarted + FEveryHours / 24.0 || now < *FRoundStarted;
        if (!due)
            return;
        FInRound = true;
        FRoundStarted = now;
        FNext = 0;
        FReplaced.clear();
        StartNext();
    }
    while (FDownload && FDownload->Finished()) {
        const std::string& url = FUrls[FNext];
        if (const std::string failure = FDownload->Failure(); !failure.empty())
            Fail(url, failure);
        else if (const std::string problem = FCheck(FDownload->Body()); !problem.empty())
            Fail(url, "not element sets: " + problem);
        else
            PutInPlace(url, FDownload->Body());
        FDownload.reset();
        ++FNext;
        StartNext();
    }
    if (FDownload)
        return;
    FInRound = false;
    if (!FReplaced.empty()) {
        FLastRefreshed = now;
        std::string files;
        for (const std::string& file : FReplaced)
            files += (files.empty() ? "" : ", ") + file;
        FRefreshed("element sets refreshed at " + FormatIsoUtc(now, false) + ": " + files);
    }
}

void TElementRefresh::StartNext() {
    for (; FNext < FUrls.size(); ++FNext) {
        try {
            ElementFileName(FUrls[FNext]);
            FDownload = FDownloader.Start(FUrls[FNext]);
            return;
        } catch (const std::exception& error) {
            Fail(FUrls[FNext], error.what());
        }
    }
}

void TElementRefresh::PutInPlace(const std::string& url, const std::string& text) {
    const std::string name = ElementFileName(url);
    const std::filesystem::path folder = PathFromUtf8(FFolder());
    if (folder.empty()) {
        Fail(url, "no element folder is chosen");
        return;
    }
    const std::filesystem::path target = folder / name;
    const std::filesystem::path temporary = folder / ("." + name + ".part");
    const std::string kept = KeepLostSets(url, target, text);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (!kept.empty() && !text.empty() && text.back() != '\n')
            out.put('\n');
        out.write(kept.data(), static_cast<std::streamsize>(kept.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            Fail(url, "cannot write " + Utf8FromPath(temporary));
            return;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        Fail(url, "cannot replace " + Utf8FromPath(target));
        return;
    }
    FReplaced.push_back(name);
}

std::string TElementRefresh::KeepLostSets(const std::string& url,
                                          const std::filesystem::path& target,
                                          const std::string& text) {
    std::ifstream in(target, std::ios::binary);
    const std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::map<std::string, TElementSetLines> fresh = ElementSetsByNumber(text);
    // Sets are kept only from and into two- and three-line files: lines appended to an OMM
    // file would break it.
    if (fresh.empty())
        return {};
    std::string kept, names;
    std::size_t count = 0;
    for (const auto& [number, set] : ElementSetsByNumber(old)) {
        if (fresh.count(number) != 0)
            continue;
        kept += set.Lines;
        names += (names.empty() ? "" : ", ") + set.Name;
        ++count;
    }
    if (count > 0)
        Warn("element sets from " + url + " lack " + std::to_string(count) +
             (count == 1 ? " satellite" : " satellites") + " that " + target.filename().string() +
             " had: " + names +
             "; their old sets are kept (a download cut short, or satellites the source no "
             "longer lists: take them out of the file by hand if so)");
    return kept;
}

void TElementRefresh::Fail(const std::string& url, const std::string& reason) {
    Warn("element sets from " + url + " not refreshed: " + reason);
}

void TElementRefresh::Warn(const std::string& text) {
    if (FWarned.insert(text).second)
        FWarn(text);
}

} // namespace kestrune
