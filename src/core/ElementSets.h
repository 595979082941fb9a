#pragma once
// The element sets of the orbit component's data folder as the program sees them, through the
// component: every name a set is known by, with that satellite's newest set's catalog number and
// epoch. Names are found as the component finds them. And what a station operator should hear
// about the sets of the satellites a prediction asks for: a name that no set carries (with the
// names that come close), and a set so old that its passes are no longer where it puts them.

#include "core/DateTime.h"

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// Sets older than this at the start of a prediction are reported.
constexpr double MaxElementAgeDays = 14;

struct TElementSetEntry {
    // As names are matched: cleaned and in upper case.
    std::string Name;
    int CatalogNumber = 0;
    TDateTime Epoch = 0;
    friend bool operator==(const TElementSetEntry&, const TElementSetEntry&) = default;
};

// A name line as it is meant: trimmed, without a leading "0 " and without a status suffix such
// as " [+]" or " [B]".
std::string CleanSatelliteName(std::string_view nameLine);
// The key a name is matched by: cleaned, ASCII letters in upper case.
std::string ElementSetKey(std::string_view name);
// Whether a name is a catalog number (up to nine digits, nothing else).
bool IsCatalogNumberText(std::string_view text);

class TElementSetIndex {
public:
    TElementSetIndex() = default;
    explicit TElementSetIndex(std::vector<TElementSetEntry> entries);

    // By its key, else, for a name of digits alone, by catalog number; null when neither.
    const TElementSetEntry* Find(std::string_view name) const;
    // In the order of their names.
    const std::vector<TElementSetEntry>& Entries() const { return FEntries; }

private:
    std::vector<TElementSetEntry> FEntries;
    std::map<std::string, std::size_t, std::less<>> FByName;
    std::map<int, std::size_t> FByNumber;
};

// The entries as the component hands them over: comma text of items "name,number,yyyymmddhhnnss"
// (each item comma text itself); items that do not read are left out.
std::string WriteElementSetEntries(const std::vector<TElementSetEntry>& entries);
std::vector<TElementSetEntry> ReadElementSetEntries(const std::string& text);

// One line per problem, in the order of the names: "no element set named NOAA 20 in /tle/;
// close names: NOAA 15, NOAA 18, NOAA 19" or "the element set of NOAA 19 is 22 days older than
// the start (epoch 20250528123318 UTC); fetch fresh element sets".
std::vector<std::string> CheckElementSets(const TElementSetIndex& sets,
                                          const std::vector<std::string>& names,
                                          const std::string& folder, TDateTime start);

// Calls visit for every regular file of a folder; false when it cannot be listed.
bool ForEachRegularFile(const std::filesystem::path& folder,
                        const std::function<void(const std::filesystem::directory_entry&)>& visit);

// What a folder's regular files look like now (names, sizes, modification times), to notice
// when they changed; empty when the folder cannot be listed.
struct TFolderState {
    struct TFile {
        std::string Name;
        std::uintmax_t Size;
        std::filesystem::file_time_type Modified;
        friend bool operator==(const TFile&, const TFile&) = default;
    };
    bool Listed = false;
    std::vector<TFile> Files;
    friend bool operator==(const TFolderState&, const TFolderState&) = default;
};
TFolderState ReadFolderState(const std::filesystem::path& folder);

} // namespace kestrune
