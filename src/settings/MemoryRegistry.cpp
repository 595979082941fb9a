#include "settings/MemoryRegistry.h"

namespace kestrune {

// An open key: it remembers its path and looks the key up again for every call, so that it
// stays valid when a refresh replaces the tree.
class TMemoryRegistry::TKey : public IRegistryKey {
public:
    TKey(TMemoryRegistry& registry, TRootKey root, std::string path, TRegSam access)
        : FRegistry(registry), FRoot(root), FPath(std::move(path)), FAccess(access) {}

    TRegResult QueryValue(std::string_view name, TRegType* type, std::uint8_t* data,
                          std::uint32_t* size) override {
        const TRegKeyData* key = nullptr;
        if (const TRegResult result = Find(KeyQueryValue, key); result != ErrorSuccess)
            return result;
        const TRegValue* value = key->FindValue(NormaliseValueName(name));
        if (value == nullptr)
            return ErrorFileNotFound;
        if (data != nullptr && size == nullptr)
            return ErrorInvalidParameter;
        if (type != nullptr)
            *type = value->Type;
        const auto valueSize = static_cast<std::uint32_t>(value->Data.size());
        TRegResult result = ErrorSuccess;
        if (data != nullptr) {
            if (*size < valueSize)
                result = ErrorMoreData;
            else
                std::copy(value->Data.begin(), value->Data.end(), data);
        }
        if (size != nullptr)
            *size = valueSize;
        return result;
    }

    TRegResult SetValue(std::string_view name, TRegType type,
                        std::span<const std::uint8_t> data) override {
        return Change(TRegistryChange::TKind::SetValue,
                      TRegValue{NormaliseValueName(name), type, {data.begin(), data.end()}});
    }

    TRegResult DeleteValue(std::string_view name) override {
        const TRegKeyData* key = nullptr;
        if (const TRegResult result = Find(KeySetValue, key); result != ErrorSuccess)
            return result;
        std::string normalised = NormaliseValueName(name);
        if (key->FindValue(normalised) == nullptr)
            return ErrorFileNotFound;
        return Change(TRegistryChange::TKind::DeleteValue,
                      TRegValue{std::move(normalised), RegNone, {}});
    }

    TRegResult EnumValue(std::uint32_t index, std::uint32_t nameCapacity,
                         std::uint32_t dataCapacity, std::string& name, TRegType& type,
                         std::vector<std::uint8_t>& data) override {
        const TRegKeyData* key = nullptr;
        if (const TRegResult result = Find(KeyQueryValue, key); result != ErrorSuccess)
            return result;
        if (index >= key->Values.size())
            return ErrorNoMoreItems;
        const TRegValue& value = key->Values[index];
        if (Utf16Length(value.Name) >= nameCapacity || value.Data.size() > dataCapacity)
            return ErrorMoreData;
        name = value.Name;
        type = value.Type;
        data = value.Data;
        return ErrorSuccess;
    }

    TRegResult EnumKey(std::uint32_t index, std::string& name) override {
        const TRegKeyData* key = nullptr;
        if (const TRegResult result = Find(KeyEnumerateSubKeys, key); result != ErrorSuccess)
            return result;
        const std::vector<std::string> names = FRegistry.Tree(FRoot).SubKeyNames(key->Path);
        if (index >= names.size())
            return ErrorNoMoreItems;
        name = names[index];
        return ErrorSuccess;
    }

private:
    TRegResult Find(TRegSam right, const TRegKeyData*& key) const {
        if ((FAccess & right) == 0)
            return ErrorAccessDenied;
        key = FRegistry.Tree(FRoot).FindKey(FPath);
        return key == nullptr ? ErrorKeyDeleted : ErrorSuccess;
    }

    TRegResult Change(TRegistryChange::TKind kind, TRegValue value) {
        const TRegKeyData* key = nullptr;
        if (const TRegResult result = Find(KeySetValue, key); result != ErrorSuccess)
            return result;
        const TRegistryChange change{kind, key->Path, std::move(value)};
        change.ApplyTo(FRegistry.Tree(FRoot));
        return FRegistry.Persist(FRoot, change);
    }

    TMemoryRegistry& FRegistry;
    TRootKey FRoot;
    std::string FPath;
    TRegSam FAccess;
};

void TMemoryRegistry::SetReadOnly(TRootKey root, bool readOnly) {
    FReadOnly[root] = readOnly;
}

TRegResult TMemoryRegistry::OpenKey(TRootKey root, std::string_view path, TRegSam access,
                                    std::unique_ptr<IRegistryKey>& key) {
    return Open(root, path, access, false, key);
}

TRegResult TMemoryRegistry::CreateKey(TRootKey root, std::string_view path, TRegSam access,
                                      std::unique_ptr<IRegistryKey>& key) {
    return Open(root, path, access, true, key);
}

TRegResult TMemoryRegistry::Open(TRootKey root, std::string_view path, TRegSam access, bool create,
                                 std::unique_ptr<IRegistryKey>& key) {
    std::string normalised;
    if (!NormaliseKeyPath(path, normalised))
        return ErrorInvalidParameter;
    Refresh(root);
    if (FReadOnly[root] && (create || (access & KeyChangeRights) != 0))
        return ErrorAccessDenied;
    if (Tree(root).FindKey(normalised) == nullptr) {
        if (!create)
            return ErrorFileNotFound;
        const TRegistryChange change{TRegistryChange::TKind::CreateKey, normalised, {}};
        change.ApplyTo(Tree(root));
        if (const TRegResult result = Persist(root, change); result != ErrorSuccess)
            return result;
    }
    key = std::make_unique<TKey>(*this, root, std::move(normalised), access);
    return ErrorSuccess;
}

void TMemoryRegistry::Refresh(TRootKey) {}

TRegResult TMemoryRegistry::Persist(TRootKey, const TRegistryChange&) {
    return ErrorSuccess;
}

} // namespace kestrune
