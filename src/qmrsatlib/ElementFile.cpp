#include "qmrsatlib/ElementFile.h"

#include "core/DateTime.h"
#include "core/ElementSets.h"
#include "core/Text.h"

#include <charconv>
#include <cmath>
#include <map>
#include <numbers>
#include <optional>
#include <stdexcept>

namespace kestrune {

namespace {

constexpr double DegToRad = std::numbers::pi / 180.0;
// 1899-12-30 00:00 UTC as a Julian date.
constexpr double JulianOfZeroDateTime = 2415018.5;
// Far more fields than any record has, and far longer texts than any value: a file beyond them
// is no element file.
constexpr std::size_t MaxFieldsPerRecord = 100;
constexpr std::size_t MaxValueBytes = 200;

// A fault of the text's form, at a line.
class EOmmSyntax : public std::runtime_error {
public:
    EOmmSyntax(std::size_t line, const std::string& what)
        : std::runtime_error("line " + std::to_string(line) + ": " + what) {}
};

// One message's fields by name, and the line it starts on.
struct TRecord {
    std::size_t Line = 0;
    std::map<std::string, std::string, std::less<>> Fields;
};

// A value as messages show it: quoted, and cut when long.
std::string Quoted(std::string_view value) {
    std::string text(value.substr(0, 40));
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20)
            c = '?';
    }
    return "\"" + text + (value.size() > 40 ? "...\"" : "\"");
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A decimal number as OMM writes it: optional sign, digits with an optional point, an optional
// exponent ("-.11606E-4", "14.2387", "2.5234e-05", "0").
std::optional<double> ParseNumber(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const std::size_t mantissaStart = i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        const std::size_t exponentStart = i;
        while (i < text.size() && IsDigit(text[i]))
            ++i;
        if (i == exponentStart)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    // from_chars takes no "+" and no bare leading point.
    std::string plain(text.substr(mantissaStart));
    if (plain.front() == '.')
        plain.insert(plain.begin(), '0');
    double value = 0.0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

// "2024-03-13T11:28:14.086848", with an optional "Z": days since 1899-12-30.
std::optional<TDateTime> ParseEpoch(std::string_view text) {
    if (!text.empty() && text.back() == 'Z')
        text.remove_suffix(1);
    if (text.size() < 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':')
        return std::nullopt;
    const auto whole = [&](std::size_t at, std::size_t length) -> std::optional<int> {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i) {
            if (!IsDigit(text[i]))
                return std::nullopt;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    const auto year = whole(0, 4), month = whole(5, 2), day = whole(8, 2);
    const auto hour = whole(11, 2), minute = whole(14, 2);
    const auto seconds = ParseNumber(text.substr(17));
    if (!year || !month || !day || !hour || !minute || !seconds || text[17] == '+' ||
        text[17] == '-' || !IsValidDate(*year, *month, *day) || *hour > 23 || *minute > 59 ||
        *seconds >= 60.0 || !IsDigit(text[18]))
        return std::nullopt;
    return static_cast<TDateTime>(DaysFromCivil(*year, *month, *day)) +
           (*hour * 3600.0 + *minute * 60.0 + *seconds) / SecondsPerDay;
}

// The set of one record; throws the fault (without its line) when a field is missing, no
// number or out of range.
TElementSet SetFromRecord(const TRecord& record) {
    const auto field = [&](std::string_view name) -> std::string_view {
        const auto found = record.Fields.find(name);
        if (found == record.Fields.end() || found->second.empty())
            throw std::invalid_argument(std::string(name) + " is missing");
        return found->second;
    };
    const auto number = [&](std::string_view name, double min, double max) {
        const std::string_view text = field(name);
        const auto value = ParseNumber(text);
        if (!value)
            throw std::invalid_argument(std::string(name) + " " + Quoted(text) +
                                        " is not a number");
        if (*value < min || *value > max)
            throw std::invalid_argument(std::string(name) + " " + Quoted(text) +
                                        " is out of range");
        return *value;
    };
    TElementSet set;
    const std::string_view catalogText = field("NORAD_CAT_ID");
    const auto catalog = ParseNumber(catalogText);
    if (!catalog || *catalog != std::floor(*catalog) || *catalog < 1 || *catalog > 999'999'999)
        throw std::invalid_argument("NORAD_CAT_ID " + Quoted(catalogText) +
                                    " is not a catalog number");
    set.CatalogNumber = static_cast<int>(*catalog);
    const std::string_view epochText = field("EPOCH");
    const auto epoch = ParseEpoch(epochText);
    if (!epoch)
        throw std::invalid_argument("EPOCH " + Quoted(epochText) +
                                    " is not a date and time like 2024-03-13T11:28:14.086848");
    set.Epoch = *epoch;
    set.Elements.EpochJulian = set.Epoch + JulianOfZeroDateTime;
    const double meanMotion = number("MEAN_MOTION", 0.0, 100.0);
    if (meanMotion <= 0.0)
        throw std::invalid_argument("MEAN_MOTION " + Quoted(field("MEAN_MOTION")) +
                                    " is out of range");
    set.Elements.MeanMotionRadPerMin = meanMotion * 2.0 * std::numbers::pi / 1440.0;
    set.Elements.Eccentricity = number("ECCENTRICITY", 0.0, 0.9999999);
    set.Elements.InclinationRad = number("INCLINATION", 0.0, 180.0) * DegToRad;
    set.Elements.RaanRad = number("RA_OF_ASC_NODE", 0.0, 360.0) * DegToRad;
    set.Elements.ArgPerigeeRad = number("ARG_OF_PERICENTER", 0.0, 360.0) * DegToRad;
    set.Elements.MeanAnomalyRad = number("MEAN_ANOMALY", 0.0, 360.0) * DegToRad;
    set.Elements.BStar = number("BSTAR", -1.0, 1.0);
    if (const auto name = record.Fields.find("OBJECT_NAME"); name != record.Fields.end())
        set.Name = CleanSatelliteName(name->second);
    return set;
}

// Collects the sets of the records and the first fault.
class TCollector {
public:
    explicit TCollector(TOmmRead& result) : FResult(result) {}
    void Add(TRecord& record) {
        try {
            FResult.Sets.push_back(SetFromRecord(record));
        } catch (const std::invalid_argument& error) {
            Fault("line " + std::to_string(record.Line) + ": " + error.what());
        }
        record = {};
    }
    void Fault(const std::string& text) {
        if (FResult.Problem.empty())
            FResult.Problem = text;
    }

private:
    TOmmRead& FResult;
};

// Reads characters and counts lines.
class TCursor {
public:
    explicit TCursor(std::string_view text) : FText(text) {}
    bool AtEnd() const { return FAt >= FText.size(); }
    char Peek() const { return AtEnd() ? '\0' : FText[FAt]; }
    char Next() {
        const char c = FText[FAt++];
        if (c == '\n')
            ++FLine;
        return c;
    }
    bool Take(std::string_view word) {
        if (FText.substr(FAt, word.size()) != word)
            return false;
        for (std::size_t i = 0; i < word.size(); ++i)
            Next();
        return true;
    }
    void SkipBlanks() {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\r' || Peek() == '\n'))
            Next();
    }
    std::size_t Line() const { return FLine; }
    std::size_t Offset() const { return FAt; }
    [[noreturn]] void Fail(const std::string& what) const { throw EOmmSyntax(FLine, what); }
    void Expect(char c, const char* what) {
        if (AtEnd() || Peek() != c)
            Fail(std::string("expected ") + what +
                 (AtEnd() ? " at the end" : ", found " + Shown()));
        Next();
    }
    std::string Shown() const { return Quoted(FText.substr(FAt, 20)); }

private:
    std::string_view FText;
    std::size_t FAt = 0;
    std::size_t FLine = 1;
};

void AddValue(TCursor& cursor, TRecord& record, std::string name, std::string value) {
    if (value.size() > MaxValueBytes)
        cursor.Fail("the value of " + name + " is too long");
    if (record.Fields.size() >= MaxFieldsPerRecord)
        cursor.Fail("too many fields in one record");
    record.Fields[std::move(name)] = std::move(value);
}

// --- CSV ---------------------------------------------------------------------------------------

// One line's fields; a quoted field may hold commas and doubled quotes (not line breaks).
std::vector<std::string> CsvFields(TCursor& cursor) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    while (!cursor.AtEnd() && (quoted || cursor.Peek() != '\n')) {
        const char c = cursor.Next();
        if (quoted) {
            if (c == '\n')
                cursor.Fail("a quoted field runs past the end of its line");
            if (c == '"' && cursor.Peek() == '"')
                fields.back() += cursor.Next();
            else if (c == '"')
                quoted = false;
            else
                fields.back() += c;
        } else if (c == '"' && fields.back().empty()) {
            quoted = true;
        } else if (c == ',') {
            if (fields.size() >= MaxFieldsPerRecord)
                cursor.Fail("too many fields in one line");
            fields.emplace_back();
        } else if (c != '\r' || (cursor.Peek() != '\n' && !cursor.AtEnd())) {
            fields.back() += c;
        }
    }
    if (quoted)
        cursor.Fail("a quoted field is not closed");
    if (!cursor.AtEnd())
        cursor.Next();
    return fields;
}

void ReadCsv(std::string_view text, TCollector& collector) {
    TCursor cursor(text);
    cursor.SkipBlanks();
    const std::vector<std::string> names = CsvFields(cursor);
    while (!cursor.AtEnd()) {
        TRecord record;
        record.Line = cursor.Line();
        std::vector<std::string> values = CsvFields(cursor);
        if (values.size() == 1 && values[0].find_first_not_of(" \t") == std::string::npos)
            continue;
        if (values.size() != names.size())
            throw EOmmSyntax(record.Line, std::to_string(values.size()) + " fields where the " +
                                              "header names " + std::to_string(names.size()));
        // The last line's end: without it, a line cut short in its last field could not be told
        // from a whole one.
        const bool ended = text[std::min(text.size(), cursor.Offset()) - 1] == '\n';
        for (std::size_t i = 0; i < names.size(); ++i)
            AddValue(cursor, record, names[i], std::move(values[i]));
        collector.Add(record);
        if (!ended)
            throw EOmmSyntax(record.Line, "the last line has no line end (a file cut short?)");
    }
}

// --- JSON --------------------------------------------------------------------------------------

unsigned long JsonHex4(TCursor& cursor) {
    unsigned long code = 0;
    for (int i = 0; i < 4; ++i) {
        const char c = cursor.AtEnd() ? '\0' : cursor.Next();
        const int digit = IsDigit(c)               ? c - '0'
                          : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                          : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                   : -1;
        if (digit < 0)
            cursor.Fail("a \\u escape without four hexadecimal digits");
        code = code * 16 + static_cast<unsigned long>(digit);
    }
    return code;
}

std::string JsonString(TCursor& cursor) {
    cursor.Expect('"', "a string");
    std::string text;
    while (true) {
        if (cursor.AtEnd())
            cursor.Fail("a string is not closed");
        const char c = cursor.Next();
        if (c == '"')
            return text;
        if (static_cast<unsigned char>(c) < 0x20)
            cursor.Fail("a control character inside a string");
        if (text.size() > MaxValueBytes)
            cursor.Fail("a string is too long");
        if (c != '\\') {
            text += c;
            continue;
        }
        const char escape = cursor.AtEnd() ? '\0' : cursor.Next();
        switch (escape) {
        case '"':
        case '\\':
        case '/':
            text += escape;
            break;
        case 'b':
            text += '\b';
            break;
        case 'f':
            text += '\f';
            break;
        case 'n':
            text += '\n';
            break;
        case 'r':
            text += '\r';
            break;
        case 't':
            text += '\t';
            break;
        case 'u': {
            unsigned long code = JsonHex4(cursor);
            if (code >= 0xD800 && code < 0xDC00) {
                if (!cursor.Take("\\u"))
                    cursor.Fail("a lone surrogate in a \\u escape");
                const unsigned long low = JsonHex4(cursor);
                if (low < 0xDC00 || low >= 0xE000)
                    cursor.Fail("a lone surrogate in a \\u escape");
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            } else if (code >= 0xDC00 && code < 0xE000) {
                cursor.Fail("a lone surrogate in a \\u escape");
            }
            AppendUtf8(text, static_cast<char32_t>(code));
            break;
        }
        default:
            cursor.Fail("an unknown escape in a string");
        }
    }
}

// A value inside a record: a string, or a number, true, false or null as written (null is an
// empty value: the field counts as missing).
std::string JsonScalar(TCursor& cursor, const std::string& name) {
    if (cursor.Peek() == '"')
        return JsonString(cursor);
    if (cursor.Peek() == '{' || cursor.Peek() == '[')
        cursor.Fail("the value of " + name + " is not a string or a number");
    std::string word;
    while (!cursor.AtEnd() && word.size() <= MaxValueBytes &&
           std::string_view("+-.0123456789eEtruefalsn").find(cursor.Peek()) !=
               std::string_view::npos)
        word += cursor.Next();
    if (word == "null")
        return {};
    if (word != "true" && word != "false" && !ParseNumber(word))
        cursor.Fail("the value of " + name + " is not a string, a number, true, false or null");
    return word;
}

void JsonRecord(TCursor& cursor, TCollector& collector) {
    TRecord record;
    record.Line = cursor.Line();
    cursor.Expect('{', "an object");
    cursor.SkipBlanks();
    if (cursor.Peek() != '}') {
        while (true) {
            cursor.SkipBlanks();
            std::string name = JsonString(cursor);
            cursor.SkipBlanks();
            cursor.Expect(':', "\":\"");
            cursor.SkipBlanks();
            std::string value = JsonScalar(cursor, name);
            AddValue(cursor, record, std::move(name), std::move(value));
            cursor.SkipBlanks();
            if (cursor.Peek() != ',')
                break;
            cursor.Next();
        }
    }
    cursor.Expect('}', "\",\" or \"}\"");
    collector.Add(record);
}

void ReadJson(std::string_view text, TCollector& collector) {
    TCursor cursor(text);
    cursor.Take("\xEF\xBB\xBF");
    cursor.SkipBlanks();
    if (cursor.Peek() == '{') {
        // One message on its own.
        JsonRecord(cursor, collector);
    } else {
        cursor.Expect('[', "an array of objects");
        cursor.SkipBlanks();
        if (cursor.Peek() != ']') {
            while (true) {
                cursor.SkipBlanks();
                JsonRecord(cursor, collector);
                cursor.SkipBlanks();
                if (cursor.Peek() != ',')
                    break;
                cursor.Next();
            }
        }
        cursor.Expect(']', "\",\" or \"]\"");
    }
    cursor.SkipBlanks();
    if (!cursor.AtEnd())
        cursor.Fail("text after the end: " + cursor.Shown());
}

// --- XML ---------------------------------------------------------------------------------------

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '_' || c == '-' ||
           c == '.' || c == ':';
}

std::string XmlName(TCursor& cursor) {
    std::string name;
    while (!cursor.AtEnd() && IsNameChar(cursor.Peek()) && name.size() <= MaxValueBytes)
        name += cursor.Next();
    if (name.empty())
        cursor.Fail("expected a name, found " + cursor.Shown());
    return name;
}

// Text up to the next "<", its character references and the five predefined entities resolved.
std::string XmlText(TCursor& cursor) {
    std::string text;
    while (!cursor.AtEnd() && cursor.Peek() != '<') {
        const char c = cursor.Next();
        if (text.size() > 4 * MaxValueBytes)
            cursor.Fail("a text is too long");
        if (c != '&') {
            text += c;
            continue;
        }
        std::string entity;
        while (!cursor.AtEnd() && cursor.Peek() != ';' && entity.size() < 10)
            entity += cursor.Next();
        cursor.Expect(';', "\";\" after an entity");
        if (entity == "amp")
            text += '&';
        else if (entity == "lt")
            text += '<';
        else if (entity == "gt")
            text += '>';
        else if (entity == "quot")
            text += '"';
        else if (entity == "apos")
            text += '\'';
        else if (entity.size() > 1 && entity[0] == '#') {
            const bool hex = entity[1] == 'x';
            unsigned long code = 0;
            const auto [end, error] = std::from_chars(
                entity.data() + (hex ? 2 : 1), entity.data() + entity.size(), code, hex ? 16 : 10);
            if (error != std::errc() || end != entity.data() + entity.size() || code == 0 ||
                code > 0x10FFFF)
                cursor.Fail("a bad character reference &" + entity + ";");
            AppendUtf8(text, static_cast<char32_t>(code));
        } else {
            cursor.Fail("an unknown entity &" + entity + ";");
        }
    }
    return text;
}

void SkipPast(TCursor& cursor, std::string_view end, const char* what) {
    while (!cursor.Take(end)) {
        if (cursor.AtEnd())
            cursor.Fail(std::string(what) + " is not closed");
        cursor.Next();
    }
}

void ReadXml(std::string_view text, TCollector& collector) {
    TCursor cursor(text);
    cursor.Take("\xEF\xBB\xBF");
    std::vector<std::string> open;
    TRecord record;
    bool inMessage = false;
    std::string lastText;
    // Whether the element closed next holds only text: a field.
    bool leaf = false;
    bool seenRoot = false;
    while (true) {
        const std::string between = XmlText(cursor);
        if (cursor.AtEnd()) {
            if (between.find_first_not_of(" \t\r\n") != std::string::npos)
                cursor.Fail("text outside the elements");
            break;
        }
        if (open.empty() && between.find_first_not_of(" \t\r\n") != std::string::npos)
            cursor.Fail("text outside the elements");
        lastText = between;
        if (cursor.Take("<?")) {
            SkipPast(cursor, "?>", "a processing instruction");
        } else if (cursor.Take("<!--")) {
            SkipPast(cursor, "-->", "a comment");
        } else if (cursor.Take("<!")) {
            cursor.Fail("declarations and CDATA sections are not read");
        } else if (cursor.Take("</")) {
            const std::string name = XmlName(cursor);
            cursor.SkipBlanks();
            cursor.Expect('>', "\">\"");
            if (open.empty() || open.back() != name)
                cursor.Fail("</" + name + "> closes " +
                            (open.empty() ? std::string("nothing") : "<" + open.back() + ">"));
            open.pop_back();
            if (name == "omm" && inMessage) {
                collector.Add(record);
                inMessage = false;
            } else if (inMessage && leaf) {
                AddValue(cursor, record, name, std::string(Trim(lastText)));
            }
            leaf = false;
        } else {
            cursor.Expect('<', "\"<\"");
            const std::size_t line = cursor.Line();
            const std::string name = XmlName(cursor);
            if (open.empty() && seenRoot)
                cursor.Fail("a second root element <" + name + ">");
            seenRoot = true;
            // Attributes are passed over (an OMM's id and version say nothing SGP4 needs).
            while (true) {
                cursor.SkipBlanks();
                if (cursor.Peek() == '>' || cursor.Peek() == '/' || cursor.AtEnd())
                    break;
                XmlName(cursor);
                cursor.SkipBlanks();
                cursor.Expect('=', "\"=\" after an attribute's name");
                cursor.SkipBlanks();
                const char quote = cursor.Peek();
                if (quote != '"' && quote != '\'')
                    cursor.Fail("an attribute's value is not quoted");
                cursor.Next();
                SkipPast(cursor, std::string_view(&quote, 1), "an attribute's value");
            }
            if (cursor.Take("/>")) {
                leaf = false;
                continue;
            }
            cursor.Expect('>', "\">\"");
            if (open.size() >= 20)
                cursor.Fail("elements nested too deep");
            open.push_back(name);
            leaf = true;
            if (name == "omm") {
                if (inMessage)
                    cursor.Fail("<omm> inside <omm>");
                inMessage = true;
                record = {};
                record.Line = line;
            }
        }
    }
    if (!open.empty())
        cursor.Fail("<" + open.back() + "> is not closed at the end");
    if (!seenRoot)
        cursor.Fail("no elements");
}

// Whether a first line names OMM fields.
bool IsOmmCsvHeader(std::string_view text) {
    const std::string_view line = text.substr(0, text.find('\n'));
    return line.find("NORAD_CAT_ID") != std::string_view::npos &&
           line.find(',') != std::string_view::npos;
}

} // namespace

TElementFormat DetectElementFormat(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return TElementFormat::Lines;
    if (text[first] == '[' || text[first] == '{')
        return TElementFormat::OmmJson;
    if (text[first] == '<')
        return TElementFormat::OmmXml;
    if (IsOmmCsvHeader(text.substr(first)))
        return TElementFormat::OmmCsv;
    return TElementFormat::Lines;
}

const char* ElementFormatName(TElementFormat format) {
    switch (format) {
    case TElementFormat::OmmCsv:
        return "OMM CSV";
    case TElementFormat::OmmJson:
        return "OMM JSON";
    case TElementFormat::OmmXml:
        return "OMM XML";
    case TElementFormat::Lines:
        break;
    }
    return "two- or three-line sets";
}

TOmmRead ReadOmm(std::string_view text, TElementFormat format) {
    TOmmRead result;
    TCollector collector(result);
    try {
        if (format == TElementFormat::OmmCsv)
            ReadCsv(text.substr(text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0), collector);
        else if (format == TElementFormat::OmmJson)
            ReadJson(text, collector);
        else if (format == TElementFormat::OmmXml)
            ReadXml(text, collector);
    } catch (const EOmmSyntax& error) {
        collector.Fault(error.what());
    }
    return result;
}

TElementFile ReadElementFile(std::string_view text) {
    TElementFile file;
    file.Format = DetectElementFormat(text);
    if (file.Format == TElementFormat::Lines) {
        file.Sets = ReadElementSets(text);
        file.Problem = FirstStrayLine(text);
    } else {
        TOmmRead read = ReadOmm(text, file.Format);
        file.Sets = std::move(read.Sets);
        file.Problem = std::move(read.Problem);
    }
    return file;
}

std::string ElementFileProblem(std::string_view text) {
    const TElementFile file = ReadElementFile(text);
    if (file.Format == TElementFormat::Lines)
        return ElementLinesProblem(text, file.Sets);
    if (!file.Problem.empty())
        return file.Problem;
    return file.Sets.empty() ? "no element sets in it" : "";
}

} // namespace kestrune
