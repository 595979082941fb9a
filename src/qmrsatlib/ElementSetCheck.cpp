#include "qmrsatlib/ElementSetCheck.h"

#include "core/Text.h"

#include <algorithm>

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
std::vector<std::string> CloseNames(const TTleCatalog& catalog, const std::string& wanted) {
    const std::size_t limit = std::max<std::size_t>(2, wanted.size() / 3);
    std::vector<std::pair<std::size_t, std::string>> near;
    for (const std::string& name : catalog.Names()) {
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

std::vector<std::string> CheckElementSets(const TTleCatalog& catalog,
                                          const std::vector<std::string>& names,
                                          const std::string& folder, TDateTime start) {
    std::vector<std::string> problems;
    for (const std::string& name : names) {
        const TElementSet* set = catalog.Find(name);
        if (set == nullptr) {
            const std::vector<std::string> close = CloseNames(catalog, name);
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

} // namespace kestrune
