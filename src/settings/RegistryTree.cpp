#include "settings/RegistryTree.h"

#include "core/Text.h"

#include <algorithm>

namespace kestrune {

namespace {

char FoldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The map key of a path: case folded, and "\" made the lowest character so that a key's
// sub-keys follow it directly.
std::string SortKey(std::string_view path) {
    std::string key(path);
    for (char& c : key)
        c = c == '\\' ? '\x01' : FoldCase(c);
    return key;
}

std::string_view LastPart(std::string_view path) {
    const auto slash = path.rfind('\\');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

bool NormaliseKeyPath(std::string_view path, std::string& normalised) {
    if (path.starts_with('\\'))
        path.remove_prefix(1);
    if (path.ends_with('\\'))
        path.remove_suffix(1);
    if (!path.empty()) {
        std::size_t partLength = 0;
        for (const char c : path) {
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c != '\\')
                ++partLength;
            else if (partLength == 0)
                return false;
            else
                partLength = 0;
        }
        if (partLength == 0)
            return false;
    }
    normalised = NormaliseValueName(path);
    return true;
}

std::string NormaliseValueName(std::string_view name) {
    return TextFromUtf16Bytes(Utf16Bytes(name));
}

const TRegValue* TRegKeyData::FindValue(std::string_view name) const {
    const auto found = std::find_if(Values.begin(), Values.end(), [&](const TRegValue& v) {
        return SameTextAscii(v.Name, name);
    });
    return found == Values.end() ? nullptr : &*found;
}

void TRegKeyData::SetValue(TRegValue value) {
    const auto found = std::find_if(Values.begin(), Values.end(), [&](const TRegValue& v) {
        return SameTextAscii(v.Name, value.Name);
    });
    if (found == Values.end()) {
        Values.push_back(std::move(value));
    } else {
        found->Type = value.Type;
        found->Data = std::move(value.Data);
    }
}

bool TRegKeyData::DeleteValue(std::string_view name) {
    return std::erase_if(Values, [&](const TRegValue& v) { return SameTextAscii(v.Name, name); }) >
           0;
}

TRegistryTree::TRegistryTree() {
    FKeys.emplace(std::string(), TRegKeyData{});
}

const TRegKeyData* TRegistryTree::FindKey(std::string_view path) const {
    const auto found = FKeys.find(SortKey(path));
    return found == FKeys.end() ? nullptr : &found->second;
}

TRegKeyData* TRegistryTree::FindKey(std::string_view path) {
    const auto found = FKeys.find(SortKey(path));
    return found == FKeys.end() ? nullptr : &found->second;
}

TRegKeyData& TRegistryTree::AddKey(std::string_view path) {
    TRegKeyData* key = &FKeys.at(std::string());
    std::size_t start = 0;
    while (start < path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        const std::string_view prefix = path.substr(0, end);
        auto [entry, added] = FKeys.try_emplace(SortKey(prefix));
        if (added)
            entry->second.Path = (key->Path.empty() ? std::string() : key->Path + '\\') +
                                 std::string(path.substr(start, end - start));
        key = &entry->second;
        start = end + 1;
    }
    return *key;
}

std::vector<std::string> TRegistryTree::SubKeyNames(std::string_view path) const {
    const std::string prefix = path.empty() ? std::string() : SortKey(path) + '\x01';
    std::vector<std::string> names;
    for (auto it = FKeys.lower_bound(prefix); it != FKeys.end() && it->first.starts_with(prefix);
         ++it) {
        const std::string_view rest = std::string_view(it->first).substr(prefix.size());
        if (!rest.empty() && rest.find('\x01') == std::string_view::npos)
            names.emplace_back(LastPart(it->second.Path));
    }
    return names;
}

void TRegistryChange::ApplyTo(TRegistryTree& tree) const {
    switch (Kind) {
    case TKind::CreateKey:
        tree.AddKey(Path);
        break;
    case TKind::SetValue:
        tree.AddKey(Path).SetValue(Value);
        break;
    case TKind::DeleteValue:
        if (TRegKeyData* key = tree.FindKey(Path))
            key->DeleteValue(Value.Name);
        break;
    }
}

} // namespace kestrune
