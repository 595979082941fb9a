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
    for (auto& set : ReadElementSets(text))
        Add(std::move(set));
}

bool TTleCatalog::AddFolder(const std::filesystem::path& folder) {
    std::string bytes;
    return ForEachRegularFile(folder, [&](const std::filesystem::directory_entry& entry) {
        // Binary files (NUL bytes) are no element files.
        if (ReadSmallFile(entry.path(), MaxFileBytes, bytes) &&
            bytes.find('\0') == std::string::npos)
            AddText(bytes);
    });
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
