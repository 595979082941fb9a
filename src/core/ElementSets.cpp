#include "core/ElementSets.h"

#include "core/CommaText.h"
#include "core/Text.h"

#include <algorithm>
#include <system_error>

namespace kestrune {

namespace {

// The number of single-character edits between two names, letters compared without regard to
// case.
std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            const bool same = SameTextAscii(a.substr(i - 1, 1), b.substr(j - 1, 1));
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// Up to five names of the catalog nearest to the wanted one, nearest first: those that begin
// with it ("NOAA 20 (JPSS-1)" for "NOAA 20"), then those within a third of its length in edits
// (at least two); none when nothing is near.
std::vector<std::string> CloseNames(const TElementSetIndex& sets, const std::string& wanted) {
    const std::size_t limit = std::max<std::size_t>(2, wanted.size() / 3);
    std::vector<std::pair<std::size_t, std::string>> near;
    for (const TElementSetEntry& entry : sets.Entries()) {
        const std::string& name = entry.Name;
        const bool extends = name.size() > wanted.size() &&
                             SameTextAscii(std::string_view(name).substr(0, wanted.size()), wanted);
        const std::size_t distance = extends ? 0 : EditDistance(wanted, name);
        if (distance <= limit)
            near.emplace_back(distance, name);
    }
    std::sort(near.begin(), near.end());
    std::vector<std::string> names;
    for (std::size_t i = 0; i < near.size() && i < 5; ++i)
        names.push_back(near[i].second);
    return names;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

} // namespace

std::string CleanSatelliteName(std::string_view nameLine) {
    std::string_view name = Trim(nameLine);
    if (name.size() >= 2 && name[0] == '0' && name[1] == ' ')
        name = Trim(name.substr(2));
    if (name.size() >= 4 && name[name.size() - 1] == ']' && name[name.size() - 3] == '[' &&
        name[name.size() - 4] == ' ')
        name = Trim(name.substr(0, name.size() - 4));
    return std::string(name);
}

std::string ElementSetKey(std::string_view name) {
    return UpperCaseAscii(CleanSatelliteName(name));
}

bool IsCatalogNumberText(std::string_view text) {
    return !text.empty() && text.size() <= 9 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

TElementSetIndex::TElementSetIndex(std::vector<TElementSetEntry> entries)
    : FEntries(std::move(entries)) {
    std::sort(FEntries.begin(), FEntries.end(),
              [](const auto& a, const auto& b) { return a.Name < b.Name; });
    for (std::size_t i = 0; i < FEntries.size(); ++i) {
        FByName.emplace(FEntries[i].Name, i);
        FByNumber.emplace(FEntries[i].CatalogNumber, i);
    }
}

const TElementSetEntry* TElementSetIndex::Find(std::string_view name) const {
    const std::string key = ElementSetKey(name);
    if (const auto named = FByName.find(key); named != FByName.end())
        return &FEntries[named->second];
    if (IsCatalogNumberText(key)) {
        if (const auto numbered = FByNumber.find(std::stoi(key)); numbered != FByNumber.end())
            return &FEntries[numbered->second];
    }
    return nullptr;
}

std::string WriteElementSetEntries(const std::vector<TElementSetEntry>& entries) {
    std::vector<std::string> items;
    for (const TElementSetEntry& entry : entries)
        items.push_back(WriteCommaText(
            {entry.Name, std::to_string(entry.CatalogNumber), FormatCompact(entry.Epoch)}));
    return items.empty() ? std::string() : WriteCommaText(items);
}

std::vector<TElementSetEntry> ReadElementSetEntries(const std::string& text) {
    std::vector<TElementSetEntry> entries;
    for (const std::string& item : ReadCommaText(text)) {
        const std::vector<std::string> fields = ReadCommaText(item);
        if (fields.size() != 3)
            continue;
        const std::optional<int> number = ParseInt(fields[1]);
        const std::optional<TDateTime> epoch = ParseCompact(fields[2]);
        if (number && epoch)
            entries.push_back({fields[0], *number, *epoch});
    }
    return entries;
}

std::vector<std::string> CheckElementSets(const TElementSetIndex& sets,
                                          const std::vector<std::string>& names,
                                          const std::string& folder, TDateTime start) {
    std::vector<std::string> problems;
    for (const std::string& name : names) {
        const TElementSetEntry* set = sets.Find(name);
        if (set == nullptr) {
            const std::vector<std::string> close = CloseNames(sets, name);
            problems.push_back("no element set named " + name + " in " + folder +
                               (close.empty() ? "; check the name against the element files"
                                              : "; close names: " + Joined(close)));
        } else if (start - set->Epoch > MaxElementAgeDays) {
            problems.push_back("the element set of " + name + " is " +
                               std::to_string(static_cast<int>(start - set->Epoch)) +
                               " days older than the start (epoch " + FormatCompact(set->Epoch) +
                               " UTC); fetch fresh element sets");
        }
    }
    return problems;
}

bool ForEachRegularFile(const std::filesystem::path& folder,
                        const std::function<void(const std::filesystem::directory_entry&)>& visit) {
    std::error_code error;
    std::filesystem::directory_iterator entry(folder, error);
    if (error)
        return false;
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        std::error_code entryError;
        if (entry->is_regular_file(entryError) && !entryError)
            visit(*entry);
    }
    return true;
}

TFolderState ReadFolderState(const std::filesystem::path& folder) {
    TFolderState state;
    state.Listed = ForEachRegularFile(folder, [&](const std::filesystem::directory_entry& entry) {
        std::error_code error;
        const auto size = entry.file_size(error);
        const auto modified = entry.last_write_time(error);
        state.Files.push_back({Utf8FromPath(entry.path().filename()), error ? 0 : size,
                               error ? std::filesystem::file_time_type() : modified});
    });
    std::sort(state.Files.begin(), state.Files.end(),
              [](const auto& a, const auto& b) { return a.Name < b.Name; });
    return state;
}

} // namespace kestrune
