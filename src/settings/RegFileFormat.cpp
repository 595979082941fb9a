#include "settings/RegFileFormat.h"

#include "core/Text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <vector>

namespace kestrune {

namespace {

constexpr std::string_view Blanks = " \t";
constexpr char HexDigits[] = "0123456789abcdef";
// Where a hex value's line is broken, as regedit does near 80 columns.
constexpr std::size_t HexLineWidth = 77;

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameTextAscii(text.substr(0, prefix.size()), prefix);
}

// A whole field of 1 to maxDigits hexadecimal digits.
bool ParseHex(std::string_view text, std::size_t maxDigits, std::uint32_t& value) {
    if (text.empty() || text.size() > maxDigits)
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return error == std::errc() && end == text.data() + text.size();
}

// Characters that a name or text line cannot hold as they are.
bool IsControl(char c) {
    const auto code = static_cast<unsigned char>(c);
    return (code < 0x20 && c != '\t') || code == 0x7F;
}

// The bytes as text, and whether they were clean: UTF-8 without NULs, or UTF-16LE after its
// byte-order mark with no NUL and no lone surrogate.
std::string DecodeText(std::string_view bytes, bool& clean) {
    if (bytes.starts_with("\xFF\xFE")) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data()) + 2;
        const std::span<const std::uint8_t> units(data, bytes.size() - 2);
        std::string text = TextFromUtf16Bytes(units);
        const std::vector<std::uint8_t> again = Utf16Bytes(text);
        clean = units.size() + 2 == again.size() &&
                std::equal(units.begin(), units.end(), again.begin());
        return text;
    }
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    clean = TextFromUtf16Bytes(Utf16Bytes(bytes)) == bytes;
    return std::string(bytes);
}

// A quoted name or text starting at text[pos] == '"'; pos ends after the closing quote. "\\"
// and "\"" stand for "\" and the double quote; in a name "\xHH" stands for the byte HH; any
// other backslash is itself.
bool ParseQuoted(std::string_view text, std::size_t& pos, bool isName, std::string& out) {
    for (++pos; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        std::uint32_t byte = 0;
        if (c == '\\' && pos + 1 < text.size() && (text[pos + 1] == '\\' || text[pos + 1] == '"')) {
            out += text[++pos];
        } else if (c == '\\' && isName && pos + 3 < text.size() && text[pos + 1] == 'x' &&
                   ParseHex(text.substr(pos + 2, 2), 2, byte)) {
            out += static_cast<char>(byte);
            pos += 3;
        } else {
            out += c;
        }
    }
    return false;
}

bool ParseHexBytes(std::string_view list, std::vector<std::uint8_t>& data) {
    list = Trim(list);
    if (list.ends_with(','))
        list.remove_suffix(1);
    if (Trim(list).empty())
        return true;
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        std::uint32_t byte = 0;
        if (!ParseHex(Trim(list.substr(start, comma - start)), 2, byte))
            return false;
        data.push_back(static_cast<std::uint8_t>(byte));
        start = comma + 1;
    }
    return true;
}

class TParser {
public:
    TParser(std::string_view text, std::string_view rootName, TRegFileContents& contents)
        : FRootName(rootName), FContents(contents) {
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = std::min(text.find('\n', start), text.size());
            std::string_view line = text.substr(start, end - start);
            if (line.ends_with('\r'))
                line.remove_suffix(1);
            FLines.push_back(Trim(line));
            start = end + 1;
        }
    }

    void Run() {
        std::size_t next = 0;
        while (next < FLines.size() && FLines[next].empty())
            ++next;
        if (next < FLines.size() && FLines[next] == RegFileHeader)
            ++next;
        else if (next < FLines.size())
            FContents.Damaged = true;
        while (next < FLines.size()) {
            const std::string_view line = FLines[next++];
            if (!line.empty() && !line.starts_with(';') && !ParseLine(line, next))
                FContents.Damaged = true;
        }
    }

private:
    bool ParseLine(std::string_view line, std::size_t& next) {
        if (line.starts_with('['))
            return ParseSection(line);
        if (FKey == nullptr)
            return false;
        TRegValue value;
        std::size_t pos = 0;
        if (line.starts_with('@'))
            pos = 1;
        else if (!line.starts_with('"') || !ParseQuoted(line, pos, true, value.Name))
            return false;
        value.Name = NormaliseValueName(value.Name);
        if (pos >= line.size() || line[pos] != '=')
            return false;
        if (!ParseData(line.substr(pos + 1), next, value))
            return false;
        FKey->SetValue(std::move(value));
        return true;
    }

    bool ParseSection(std::string_view line) {
        FKey = nullptr;
        if (!line.ends_with(']'))
            return false;
        std::string_view path = line.substr(1, line.size() - 2);
        if (!StartsWithNoCase(path, FRootName))
            return false;
        path.remove_prefix(FRootName.size());
        if (!path.empty() && !path.starts_with('\\'))
            return false;
        std::string normalised;
        if (path == "\\" || !NormaliseKeyPath(path, normalised))
            return false;
        FKey = &FContents.Tree.AddKey(normalised);
        return true;
    }

    bool ParseData(std::string_view data, std::size_t& next, TRegValue& value) {
        data = Trim(data);
        if (data.starts_with('"')) {
            std::size_t pos = 0;
            std::string text;
            if (!ParseQuoted(data, pos, false, text) || pos != data.size())
                return false;
            value.Type = RegSz;
            value.Data = Utf16Bytes(text);
            return true;
        }
        std::uint32_t number = 0;
        if (StartsWithNoCase(data, "dword:")) {
            if (!ParseHex(data.substr(6), 8, number))
                return false;
            value.Type = RegDword;
            value.Data = DwordBytes(number);
            return true;
        }
        if (!StartsWithNoCase(data, "hex"))
            return false;
        data.remove_prefix(3);
        value.Type = RegBinary;
        if (data.starts_with('(')) {
            const auto close = data.find(')');
            if (close == std::string_view::npos || !ParseHex(data.substr(1, close - 1), 8, number))
                return false;
            value.Type = number;
            data.remove_prefix(close + 1);
        }
        if (!data.starts_with(':'))
            return false;
        std::string list(data.substr(1));
        // A continued list goes on until a line that starts a section or a value.
        while (list.ends_with('\\') && next < FLines.size() && !StartsEntry(FLines[next])) {
            list.pop_back();
            list += FLines[next++];
        }
        return ParseHexBytes(list, value.Data);
    }

    static bool StartsEntry(std::string_view line) {
        return line.starts_with('[') || line.starts_with('"') || line.starts_with('@');
    }

    std::string_view FRootName;
    TRegFileContents& FContents;
    std::vector<std::string_view> FLines;
    TRegKeyData* FKey = nullptr;
};

void AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (IsControl(c)) {
            const auto code = static_cast<unsigned char>(c);
            out += "\\x";
            out += HexDigits[code >> 4];
            out += HexDigits[code & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}

// The text of a REG_SZ that a "text" line holds exactly, or false.
bool LineText(const TRegValue& value, std::string& text) {
    if (value.Type != RegSz || value.Data.empty())
        return false;
    text = TextFromUtf16Bytes(value.Data);
    return Utf16Bytes(text) == value.Data &&
           std::none_of(text.begin(), text.end(), [](char c) { return IsControl(c); });
}

void AppendHexData(std::string& out, std::string line, const std::vector<std::uint8_t>& data) {
    const std::size_t prefixLength = line.size();
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (line.size() + 3 > HexLineWidth && line.size() > prefixLength) {
            out += line + "\\\n";
            line = "  ";
        }
        line += HexDigits[data[i] >> 4];
        line += HexDigits[data[i] & 0xF];
        if (i + 1 < data.size())
            line += ',';
    }
    out += line + '\n';
}

void AppendValue(std::string& out, const TRegValue& value) {
    std::string line;
    if (value.Name.empty())
        line = "@";
    else
        AppendQuoted(line, value.Name);
    line += '=';
    std::string text;
    if (LineText(value, text)) {
        AppendQuoted(line, text);
        out += line + '\n';
    } else if (value.Type == RegDword && value.Data.size() == 4) {
        const std::uint32_t number = DwordFromBytes(value.Data);
        line += "dword:";
        for (int shift = 28; shift >= 0; shift -= 4)
            line += HexDigits[(number >> shift) & 0xF];
        out += line + '\n';
    } else {
        line += "hex";
        if (value.Type != RegBinary) {
            char digits[8];
            const auto end = std::to_chars(digits, digits + sizeof digits, value.Type, 16).ptr;
            line += '(' + std::string(digits, end) + ')';
        }
        line += ':';
        AppendHexData(out, std::move(line), value.Data);
    }
}

} // namespace

TRegFileContents ParseRegFile(std::string_view bytes, std::string_view rootName) {
    TRegFileContents contents;
    bool clean = true;
    const std::string text = DecodeText(bytes, clean);
    TParser(text, rootName, contents).Run();
    contents.Damaged = contents.Damaged || !clean;
    return contents;
}

std::string FormatRegFile(const TRegistryTree& tree, std::string_view rootName) {
    std::vector<const TRegKeyData*> keys;
    tree.ForEachKey([&](const TRegKeyData& key) { keys.push_back(&key); });
    std::string out(RegFileHeader);
    out += "\n\n";
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const TRegKeyData& key = *keys[i];
        // Keys come parent first, so a key has sub-keys exactly when the next one lies below it.
        const bool hasSubKeys =
            i + 1 < keys.size() &&
            (key.Path.empty() || keys[i + 1]->Path.starts_with(key.Path + '\\'));
        if (key.Values.empty() && (hasSubKeys || key.Path.empty()))
            continue;
        out += '[';
        out += rootName;
        if (!key.Path.empty())
            out += '\\' + key.Path;
        out += "]\n";
        for (const TRegValue& value : key.Values)
            AppendValue(out, value);
        out += '\n';
    }
    return out;
}

} // namespace kestrune
