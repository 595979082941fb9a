#include "core/CommaText.h"

namespace kestrune {

namespace {

bool IsSeparatorChar(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}

bool NeedsQuotes(const std::string& item) {
    for (char c : item)
        if (c == '"' || c == ',' || IsSeparatorChar(c))
            return true;
    return false;
}

} // namespace

std::string WriteCommaText(const std::vector<std::string>& items) {
    if (items.size() == 1 && items.front().empty())
        return "\"\"";
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += ',';
        const std::string& item = items[i];
        if (!NeedsQuotes(item)) {
            text += item;
            continue;
        }
        text += '"';
        for (char c : item) {
            if (c == '"')
                text += '"';
            text += c;
        }
        text += '"';
    }
    return text;
}

std::vector<std::string> ReadCommaText(std::string_view text) {
    std::vector<std::string> items;
    std::size_t p = 0;
    const std::size_t n = text.size();
    auto skipSeparators = [&] {
        while (p < n && IsSeparatorChar(text[p]))
            ++p;
    };
    skipSeparators();
    while (p < n) {
        std::string item;
        if (text[p] == '"') {
            ++p;
            while (p < n) {
                if (text[p] == '"') {
                    if (p + 1 < n && text[p + 1] == '"') {
                        item += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += text[p++];
            }
        } else {
            const std::size_t start = p;
            while (p < n && text[p] != ',' && !IsSeparatorChar(text[p]))
                ++p;
            item.assign(text.substr(start, p - start));
        }
        items.push_back(std::move(item));
        skipSeparators();
        if (p < n && text[p] == ',') {
            if (p + 1 == n)
                items.emplace_back();
            ++p;
            skipSeparators();
        }
    }
    return items;
}

} // namespace kestrune
