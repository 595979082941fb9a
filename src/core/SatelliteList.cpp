#include "core/SatelliteList.h"

#include "core/CommaText.h"
#include "core/Text.h"

#include <algorithm>
#include <cctype>

namespace kestrune {

namespace {

// Bounds of a satellite's own frequency: any receiver from 1 MHz to 100 GHz.
constexpr long long MinOwnFrequencyHz = 1'000'000;
constexpr long long MaxOwnFrequencyHz = 100'000'000'000;

bool IsDigitChar(char c) {
    return c >= '0' && c <= '9';
}

// A whole number of one to `maxDigits` digits and nothing else.
std::optional<long long> ParseDigits(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits ||
        !std::all_of(text.begin(), text.end(), IsDigitChar))
        return std::nullopt;
    long long value = 0;
    for (const char c : text)
        value = value * 10 + (c - '0');
    return value;
}

// A frequency typed in MHz ("137.9", "137.900"), at most to the hertz, in Hz.
std::optional<long long> ParseMegahertz(std::string_view text) {
    const std::size_t point = text.find('.');
    const auto whole = ParseDigits(text.substr(0, point), 6);
    std::string fraction(point == std::string_view::npos ? "" : text.substr(point + 1));
    if (!whole || fraction.size() > 6 ||
        (!fraction.empty() && !std::all_of(fraction.begin(), fraction.end(), IsDigitChar)))
        return std::nullopt;
    fraction.resize(6, '0');
    const long long hz = *whole * 1'000'000 + *ParseDigits(fraction, 6);
    if (hz < MinOwnFrequencyHz || hz > MaxOwnFrequencyHz)
        return std::nullopt;
    return hz;
}

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
        if (row.Channel.empty())
            continue;
        std::vector<std::string> fields = ReadCommaText(row.Channel);
        fields.insert(fields.begin(), ReplaceAll(row.Name, " ", "_"));
        items.push_back(WriteCommaText(fields));
    }
    return WriteCommaText(items);
}

std::vector<std::string> ApplySatChannels(std::vector<TSatelliteRow>& rows,
                                          const std::string& value) {
    for (TSatelliteRow& row : rows)
        row.Channel.clear();
    std::vector<std::string> ignored;
    for (const std::string& item : ReadCommaText(value)) {
        std::vector<std::string> fields = ReadCommaText(item);
        if (fields.size() < 2) {
            ignored.push_back(item);
            continue;
        }
        const std::string name = ReplaceAll(fields[0], "_", " ");
        fields.erase(fields.begin());
        const std::string channel = WriteCommaText(fields);
        const bool digit = fields.size() == 1 && fields[0].size() == 1 && IsDigitChar(fields[0][0]);
        if (!digit && !SatelliteTuning(channel)) {
            ignored.push_back(item);
            continue;
        }
        for (TSatelliteRow& row : rows) {
            if (row.Name == name)
                row.Channel = channel;
        }
    }
    return ignored;
}

std::optional<TTuning> SatelliteTuning(std::string_view channel) {
    const std::vector<std::string> fields = ReadCommaText(std::string(channel));
    if (fields.empty() || fields.size() > 3)
        return std::nullopt;
    const auto frequencyHz = ParseDigits(fields[0], 12);
    if (!frequencyHz || *frequencyHz < MinOwnFrequencyHz || *frequencyHz > MaxOwnFrequencyHz)
        return std::nullopt;
    TTuning tuning{*frequencyHz};
    if (fields.size() >= 2) {
        // A rig-control mode is one word of letters and digits ("FM", "WFM", "PKTUSB").
        const std::string& mode = fields[1];
        if (mode.empty() || mode.size() > 16 || !std::all_of(mode.begin(), mode.end(), [](char c) {
                return IsDigitChar(c) || std::isalpha(static_cast<unsigned char>(c));
            }))
            return std::nullopt;
        tuning.Mode = UpperCaseAscii(mode);
        tuning.PassbandHz = 0;
    }
    if (fields.size() == 3) {
        const auto passbandHz = ParseDigits(fields[2], 9);
        if (!passbandHz)
            return std::nullopt;
        tuning.PassbandHz = static_cast<int>(*passbandHz);
    }
    return tuning;
}

std::string LikelyChannel(std::string_view name) {
    const std::string key = ReplaceAll(UpperCaseAscii(Trim(name)), "-", " ");
    if (key == "METEOR M2 3" || key == "METEOR M 2 3" || key == "METEOR M2 4" ||
        key == "METEOR M 2 4")
        return "137900000,FM,120000";
    return {};
}

std::string ChannelCellText(const std::string& channel) {
    if (const auto tuning = SatelliteTuning(channel))
        return MegahertzText(tuning->FrequencyHz, 3);
    return channel;
}

std::string ChannelFromCell(std::string_view cellText, const std::string& stored) {
    if (cellText == ChannelCellText(stored))
        return stored;
    if (cellText.find('.') == std::string_view::npos)
        return std::string(cellText);
    const auto frequencyHz = ParseMegahertz(cellText);
    return frequencyHz ? std::to_string(*frequencyHz) : stored;
}

std::optional<std::string> AcceptCellText(int column, std::string_view text) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (column == DirectionColumn) {
        if (text.size() != 1 || !std::isalpha(static_cast<unsigned char>(text[0])))
            return std::nullopt;
        return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(text[0]))));
    }
    if (column == ChannelColumn && (text.size() > 1 || (text.size() == 1 && !isDigit(text[0])))) {
        // Megahertz with a point, so that "12" is not taken for a channel.
        const auto frequencyHz =
            text.find('.') != std::string_view::npos ? ParseMegahertz(text) : std::nullopt;
        if (!frequencyHz)
            return std::nullopt;
        return MegahertzText(*frequencyHz, 3);
    }
    if (column == MinLengthColumn) {
        if (text.size() < 2 || text.size() > 4 || !std::all_of(text.begin(), text.end(), isDigit))
            return std::nullopt;
    }
    return std::string(text);
}

} // namespace kestrune
