#pragma once
// The element sets of a data folder, found by satellite name or catalog number.
//
// Every regular file in the folder is read, in any form ReadElementFile knows; files over
// MaxFileBytes, files holding NUL bytes and files that cannot be read are skipped, as is every set
// that is broken or whose orbit the propagator cannot start. When a satellite (catalog number)
// appears more than once, the set with the newest epoch wins. Names match trimmed and without
// regard to case; every name under which a satellite appears leads to its newest set. A name shared
// by different satellites belongs to the one whose set under that name is newest. A set without a
// name line is known by its catalog number only: a name of digits alone that matches no name is
// taken as a catalog number.

#include "core/ElementSets.h"
#include "qmrsatlib/ElementFile.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

class TTleCatalog {
public:
    static constexpr std::uintmax_t MaxFileBytes = 16u * 1024u * 1024u;

    // Adds the sets of one file's text.
    void AddText(std::string_view text);
    // Adds every readable file of a folder; false when the folder cannot be listed.
    bool AddFolder(const std::filesystem::path& folder);
    // One line for each element file of the folder that was not read whole, and why:
    // "weather.json (OMM JSON) not read: line 3: ..." or "weather.txt: 2 sets read, but line 9:
    // ...". Text with no line of a set and in no OMM form (notes, a README) is no element file;
    // hidden files (a download under way) are not looked at.
    const std::vector<std::string>& FileProblems() const { return FFileProblems; }

    const TElementSet* Find(std::string_view name) const;
    // Every name a set is known by, as names are matched (upper case), in order.
    std::vector<std::string> Names() const;
    // The same names, each with its satellite's newest set's catalog number and epoch.
    std::vector<TElementSetEntry> Entries() const;
    std::size_t Size() const { return FByNumber.size(); }

private:
    struct TNamed {
        int CatalogNumber;
        TDateTime Epoch;
    };
    void Add(TElementSet set);
    void AddFile(const std::string& fileName, std::string_view text);

    std::map<int, TElementSet> FByNumber;
    std::map<std::string, TNamed> FByName;
    std::vector<std::string> FFileProblems;
};

} // namespace kestrune
