#include "core/SatelliteList.h"

#include "core/CommaText.h"
#include "core/Text.h"

#include <algorithm>
#include <cctype>

namespace kestrune {

namespace {

std::string RowEntry(const TSatelliteRow& row) {
    return ReplaceAll(row.Name, " ", "_") + "," + std::string(Trim(row.Direction)) + "," +
           std::string(Trim(row.MinLength));
}

} // namespace

std::string DefaultSatList() {
    return SatListFromRows(DefaultSatelliteRows());
}

std::string ConvertOldSatList(const std::string& value) {
    if (value.find('_') != std::string::npos)
        return value;
    const std::vector<std::string> fields =
        ReadCommaText(ReplaceAll(ReplaceAll(value, " ", "_"), "\"", ""));
    std::vector<std::string> entries;
    for (std::size_t k = 0; k + 2 < fields.size(); k += 3)
        entries.push_back(fields[k] + "," + fields[k + 1] + "," + fields[k + 2]);
    return WriteCommaText(entries);
}

std::vector<TSatelliteRow> SatelliteRowsFromSatList(const std::string& value) {
    std::vector<TSatelliteRow> rows;
    for (const std::string& entry : ReadCommaText(value)) {
        std::vector<std::string> fields = ReadCommaText(entry);
        fields.resize(3);
        rows.push_back({ReplaceAll(fields[0], "_", " "), ReplaceAll(fields[1], "_", " "),
                        ReplaceAll(fields[2], "_", " ")});
    }
    return rows;
}

std::string SatListFromRows(const std::vector<TSatelliteRow>& rows) {
    std::vector<std::string> entries;
    for (const TSatelliteRow& row : rows)
        entries.push_back(RowEntry(row));
    return WriteCommaText(entries);
}

std::string SatChannelsFromRows(const std::vector<TSatelliteRow>& rows) {
    std::vector<std::string> items;
    for (const TSatelliteRow& row : rows) {
        if (!row.Channel.empty())
            items.push_back(WriteCommaText({ReplaceAll(row.Name, " ", "_"), row.Channel}));
    }
    return WriteCommaText(items);
}

void ApplySatChannels(std::vector<TSatelliteRow>& rows, const std::string& value) {
    for (TSatelliteRow& row : rows)
        row.Channel.clear();
    for (const std::string& item : ReadCommaText(value)) {
        const std::vector<std::string> fields = ReadCommaText(item);
        if (fields.size() != 2 || !AcceptCellText(ChannelColumn, fields[1]) || fields[1].empty())
            continue;
        const std::string name = ReplaceAll(fields[0], "_", " ");
        for (TSatelliteRow& row : rows) {
            if (row.Name == name)
                row.Channel = fields[1];
        }
    }
}

std::string LikelyChannel(std::string_view name) {
    const std::string key = ReplaceAll(UpperCaseAscii(Trim(name)), "-", " ");
    if (key == "METEOR M2 3" || key == "METEOR M 2 3")
        return "5";
    if (key == "METEOR M2 4" || key == "METEOR M 2 4")
        return "1";
    return {};
}

std::optional<std::string> AcceptCellText(int column, std::string_view text) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (column == DirectionColumn) {
        if (text.size() != 1 || !std::isalpha(static_cast<unsigned char>(text[0])))
            return std::nullopt;
        return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(text[0]))));
    }
    if (column == ChannelColumn) {
        if (text.size() > 1 || (text.size() == 1 && !isDigit(text[0])))
            return std::nullopt;
    }
    if (column == MinLengthColumn) {
        if (text.size() < 2 || text.size() > 4 || !std::all_of(text.begin(), text.end(), isDigit))
            return std::nullopt;
    }
    return std::string(text);
}

} // namespace kestrune
