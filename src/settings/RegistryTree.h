#pragma once
// Keys and values held in memory: the model under the in-memory registry and the file-backed
// one, and what the settings file is read into and written from.

#include "settings/Registry.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

struct TRegValue {
    std::string Name;
    TRegType Type = RegNone;
    std::vector<std::uint8_t> Data;
    friend bool operator==(const TRegValue&, const TRegValue&) = default;
};

struct TRegKeyData {
    // The key's path from the root as it was created, parts joined by "\" ("" for the root).
    std::string Path;
    // In the order they were first set.
    std::vector<TRegValue> Values;

    const TRegValue* FindValue(std::string_view name) const;
    // Replaces a value of the same name in its place, or adds it at the end.
    void SetValue(TRegValue value);
    bool DeleteValue(std::string_view name);
};

// The path without its leading and trailing "\", or false when the path has an empty part in
// the middle or a part with a control character. Bytes that are not UTF-8 become U+FFFD.
bool NormaliseKeyPath(std::string_view path, std::string& normalised);
// A value name as Windows would keep it: up to its first NUL, with bytes that are not UTF-8
// replaced by U+FFFD (the parts of a key path are kept the same way).
std::string NormaliseValueName(std::string_view name);

class TRegistryTree {
public:
    TRegistryTree();

    // The paths are normalised ones (NormaliseKeyPath).
    const TRegKeyData* FindKey(std::string_view path) const;
    TRegKeyData* FindKey(std::string_view path);
    // The key, created first with every missing parent.
    TRegKeyData& AddKey(std::string_view path);
    // The names of the key's direct sub-keys, in the order of their names.
    std::vector<std::string> SubKeyNames(std::string_view path) const;

    // Every key, the root first, each parent before its sub-keys, siblings by name.
    template <typename F> void ForEachKey(F&& visit) const {
        for (const auto& [sortKey, key] : FKeys)
            visit(key);
    }

    friend bool operator==(const TRegistryTree&, const TRegistryTree&) = default;

private:
    std::map<std::string, TRegKeyData> FKeys;
};

// One change made to a tree, kept so that it can be made again over another copy of the tree.
struct TRegistryChange {
    enum class TKind { CreateKey, SetValue, DeleteValue };
    TKind Kind = TKind::CreateKey;
    std::string Path;
    // The value set (its name) or the name of the value deleted.
    TRegValue Value;

    void ApplyTo(TRegistryTree& tree) const;
};

} // namespace kestrune
