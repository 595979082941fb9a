#include "qmrsatlib/TleCatalog.h"

#include "core/Text.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace kestrune {

namespace {

// The bytes of a regular file of at most maxBytes; false when it cannot be read.
bool ReadSmallFile(const std::filesystem::path& path, std::uintmax_t maxBytes, std::string& bytes) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > maxBytes)
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.resize(static_cast<std::size_t>(size));
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    // A file that grew meanwhile is read up to the size it had; one that shrank is cut short.
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return !in.bad();
}

// Whether a line of the text begins as line 1 or 2 of a set does.
bool HasElementLines(std::string_view text) {
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t end = std::min(text.find('\n', begin), text.size());
        const std::string_view line = text.substr(begin, end - begin);
        if (line.size() >= 2 && (line[0] == '1' || line[0] == '2') && line[1] == ' ')
            return true;
        begin = end + 1;
    }
    return false;
}

} // namespace

void TTleCatalog::Add(TElementSet set) {
    if (TSgp4(set.Elements).InitError() != TSgp4Error::None)
        return;
    const std::string key = ElementSetKey(set.Name);
    if (!key.empty()) {
        const auto named = FByName.find(key);
        if (named == FByName.end() || named->second.Epoch < set.Epoch)
            FByName[key] = {set.CatalogNumber, set.Epoch};
    }
    const auto known = FByNumber.find(set.CatalogNumber);
    if (known == FByNumber.end())
        FByNumber.emplace(set.CatalogNumber, std::move(set));
    else if (known->second.Epoch < set.Epoch)
        known->second = std::move(set);
}

void TTleCatalog::AddText(std::string_view text) {
    for (auto& set : ReadElementFile(text).Sets)
        Add(std::move(set));
}

void TTleCatalog::AddFile(const std::string& fileName, std::string_view text) {
    TElementFile file = ReadElementFile(text);
    const std::string form = file.Format == TElementFormat::Lines
                                 ? std::string()
                                 : std::string(" (") + ElementFormatName(file.Format) + ")";
    if (file.Sets.empty()) {
        // Text without a line of a set (notes, a README) is no element file: nothing to say.
        if (file.Format != TElementFormat::Lines || HasElementLines(text))
            FFileProblems.push_back(
                fileName + form +
                " not read: " + (file.Problem.empty() ? "no element sets in it" : file.Problem));
    } else if (!file.Problem.empty()) {
        FFileProblems.push_back(fileName + form + ": " + std::to_string(file.Sets.size()) +
                                (file.Sets.size() == 1 ? " set" : " sets") + " read, but " +
                                file.Problem);
    }
    for (auto& set : file.Sets)
        Add(std::move(set));
}

bool TTleCatalog::AddFolder(const std::filesystem::path& folder) {
    std::string bytes;
    const bool listed =
        ForEachRegularFile(folder, [&](const std::filesystem::directory_entry& entry) {
            const std::string name = Utf8FromPath(entry.path().filename());
            const bool hidden = !name.empty() && name.front() == '.';
            // Binary files (NUL bytes) are no element files.
            if (!ReadSmallFile(entry.path(), MaxFileBytes, bytes)) {
                if (!hidden)
                    FFileProblems.push_back(name +
                                            " not read: it cannot be read or is larger than " +
                                            std::to_string(MaxFileBytes / (1024 * 1024)) + " MiB");
            } else if (bytes.find('\0') != std::string::npos) {
                if (!hidden)
                    FFileProblems.push_back(name + " not read: it holds NUL bytes (no text)");
            } else if (hidden) {
                AddText(bytes);
            } else {
                AddFile(name, bytes);
            }
        });
    // In the order of the files' names, whatever order the folder lists them in.
    std::sort(FFileProblems.begin(), FFileProblems.end());
    return listed;
}

const TElementSet* TTleCatalog::Find(std::string_view name) const {
    const std::string key = ElementSetKey(name);
    if (const auto named = FByName.find(key); named != FByName.end())
        return &FByNumber.at(named->second.CatalogNumber);
    if (IsCatalogNumberText(key)) {
        if (const auto numbered = FByNumber.find(std::stoi(key)); numbered != FByNumber.end())
            return &numbered->second;
    }
    return nullptr;
}

std::vector<std::string> TTleCatalog::Names() const {
    std::vector<std::string> names;
    for (const auto& [name, named] : FByName)
        names.push_back(name);
    return names;
}

std::vector<TElementSetEntry> TTleCatalog::Entries() const {
    std::vector<TElementSetEntry> entries;
    for (const auto& [name, named] : FByName) {
        const TElementSet& set = FByNumber.at(named.CatalogNumber);
        entries.push_back({name, set.CatalogNumber, set.Epoch});
    }
    return entries;
}

} // namespace kestrune
