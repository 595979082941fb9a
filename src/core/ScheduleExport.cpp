#include "core/ScheduleExport.h"

#include "core/ReceiverControl.h"

#include <cstdio>

namespace kestrune {

namespace {

// The text with every byte that is not part of valid UTF-8 replaced by U+FFFD: names come from
// element files, which may hold anything.
std::string ValidUtf8(const std::string& text) {
    std::string valid;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = byte < 0x80                           ? 1
                                   : (byte >> 5) == 0x6 && byte >= 0xC2  ? 2
                                   : (byte >> 4) == 0xE                  ? 3
                                   : (byte >> 3) == 0x1E && byte <= 0xF4 ? 4
                                                                         : 0;
        bool whole = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; whole && k < length; ++k)
            whole = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        if (whole && length == 3) {
            // No overlong forms and no surrogates.
            const auto second = static_cast<unsigned char>(text[i + 1]);
            whole = !(byte == 0xE0 && second < 0xA0) && !(byte == 0xED && second >= 0xA0);
        } else if (whole && length == 4) {
            const auto second = static_cast<unsigned char>(text[i + 1]);
            whole = !(byte == 0xF0 && second < 0x90) && !(byte == 0xF4 && second >= 0x90);
        }
        if (whole) {
            valid.append(text, i, length);
            i += length;
        } else {
            valid += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return valid;
}

std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (const char c : ValidUtf8(text)) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned char>(c));
            json += escape;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

template <typename T> std::string JsonNumber(const std::optional<T>& value) {
    return value ? std::to_string(*value) : "null";
}

std::string JsonTime(const std::optional<TDateTime>& value) {
    return value ? "\"" + FormatIsoUtc(*value, false) + "\"" : "null";
}

const char* DirectionWord(const TPassLine& pass) {
    return pass.Direction == 'S' ? "southbound" : pass.Direction == 'N' ? "northbound" : nullptr;
}

// "20261208T100100Z"
std::string IcsTime(TDateTime value) {
    const std::string compact = FormatCompact(value);
    return compact.substr(0, 8) + "T" + compact.substr(8) + "Z";
}

// A text value with its backslashes, semicolons, commas and line breaks escaped; other control
// characters dropped.
std::string IcsText(const std::string& text) {
    std::string escaped;
    for (const char c : ValidUtf8(text)) {
        if (c == '\\' || c == ';' || c == ',')
            escaped += std::string("\\") + c;
        else if (c == '\n')
            escaped += "\\n";
        else if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
            escaped += c;
    }
    return escaped;
}

// A content line folded at 75 bytes (never inside a UTF-8 character), ended by CR LF.
std::string IcsLine(const std::string& line) {
    std::string folded;
    std::size_t width = 0;
    for (std::size_t i = 0; i < line.size();) {
        std::size_t length = 1;
        while (i + length < line.size() &&
               (static_cast<unsigned char>(line[i + length]) & 0xC0) == 0x80)
            ++length;
        if (width + length > 75) {
            folded += "\r\n ";
            width = 1;
        }
        folded.append(line, i, length);
        width += length;
        i += length;
    }
    return folded + "\r\n";
}

// What the UID may hold of a satellite's name: letters, digits and "-".
std::string UidPart(const std::string& name) {
    std::string part;
    for (const char c : name) {
        const bool plain =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        part += plain ? c : '-';
    }
    return part;
}

} // namespace

std::string ScheduleJson(const std::vector<TScheduledPass>& passes, TDateTime created) {
    std::string json =
        "{\n  \"created\": \"" + FormatIsoUtc(created, false) + "\",\n  \"passes\": [";
    for (std::size_t i = 0; i < passes.size(); ++i) {
        const TScheduledPass& scheduled = passes[i];
        const TPassLine& pass = scheduled.Pass;
        const char* direction = DirectionWord(pass);
        json += std::string(i == 0 ? "\n" : ",\n") +
                "    {\"satellite\": " + JsonString(pass.Satellite) +
                ", \"aos\": " + JsonTime(pass.Start) + ", \"tca\": " + JsonTime(scheduled.Peak) +
                ", \"los\": " +
                JsonTime(pass.LengthS ? std::optional<TDateTime>(pass.End()) : std::nullopt) +
                ", \"max_elevation_deg\": " + JsonNumber(pass.MaxElevationDeg) +
                ", \"aos_azimuth_deg\": " + JsonNumber(scheduled.AosAzimuthDeg) +
                ", \"los_azimuth_deg\": " + JsonNumber(scheduled.LosAzimuthDeg) +
                ", \"direction\": " + (direction ? "\"" + std::string(direction) + "\"" : "null") +
                ", \"length_s\": " + JsonNumber(pass.LengthS) + ", \"frequency_hz\": " +
                (scheduled.FrequencyHz > 0 ? std::to_string(scheduled.FrequencyHz) : "null") + "}";
    }
    return json + (passes.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

std::string ScheduleIcs(const std::vector<TScheduledPass>& passes, TDateTime created) {
    std::string ics = IcsLine("BEGIN:VCALENDAR") + IcsLine("VERSION:2.0") +
                      IcsLine("PRODID:-//Quillmere//Kestrune//EN") + IcsLine("CALSCALE:GREGORIAN") +
                      IcsLine("X-WR-CALNAME:Kestrune passes");
    for (const TScheduledPass& scheduled : passes) {
        const TPassLine& pass = scheduled.Pass;
        std::string summary = pass.Satellite;
        if (pass.MaxElevationDeg)
            summary += ", " + std::to_string(*pass.MaxElevationDeg) + "\xC2\xB0";
        if (const char* direction = DirectionWord(pass))
            summary += std::string(", ") + direction;
        std::string description;
        const auto add = [&](const std::string& part) {
            description += (description.empty() ? "" : "\n") + part;
        };
        if (scheduled.AosAzimuthDeg)
            add("AOS azimuth " + std::to_string(*scheduled.AosAzimuthDeg) + "\xC2\xB0");
        if (scheduled.Peak)
            add("highest at " + FormatIsoUtc(*scheduled.Peak, false));
        if (scheduled.LosAzimuthDeg)
            add("LOS azimuth " + std::to_string(*scheduled.LosAzimuthDeg) + "\xC2\xB0");
        if (scheduled.FrequencyHz > 0)
            add(MegahertzText(scheduled.FrequencyHz, 3) + " MHz");
        ics += IcsLine("BEGIN:VEVENT") +
               IcsLine("UID:" + IcsTime(pass.Start) + "-" + UidPart(pass.Satellite) + "@kestrune") +
               IcsLine("DTSTAMP:" + IcsTime(created)) + IcsLine("DTSTART:" + IcsTime(pass.Start)) +
               IcsLine("DTEND:" + IcsTime(pass.End())) + IcsLine("SUMMARY:" + IcsText(summary)) +
               (description.empty() ? "" : IcsLine("DESCRIPTION:" + IcsText(description))) +
               IcsLine("TRANSP:TRANSPARENT") + IcsLine("END:VEVENT");
    }
    return ics + IcsLine("END:VCALENDAR");
}

} // namespace kestrune
