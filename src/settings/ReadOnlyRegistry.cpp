#include "settings/ReadOnlyRegistry.h"

namespace kestrune {

namespace {

class TReadOnlyKey final : public IRegistryKey {
public:
    explicit TReadOnlyKey(std::unique_ptr<IRegistryKey> key) : FKey(std::move(key)) {}
    TRegResult QueryValue(std::string_view name, TRegType* type, std::uint8_t* data,
                          std::uint32_t* size) override {
        return FKey->QueryValue(name, type, data, size);
    }
    TRegResult SetValue(std::string_view, TRegType, std::span<const std::uint8_t>) override {
        return ErrorAccessDenied;
    }
    TRegResult DeleteValue(std::string_view) override { return ErrorAccessDenied; }
    TRegResult EnumValue(std::uint32_t index, std::uint32_t nameCapacity,
                         std::uint32_t dataCapacity, std::string& name, TRegType& type,
                         std::vector<std::uint8_t>& data) override {
        return FKey->EnumValue(index, nameCapacity, dataCapacity, name, type, data);
    }
    TRegResult EnumKey(std::uint32_t index, std::string& name) override {
        return FKey->EnumKey(index, name);
    }

private:
    std::unique_ptr<IRegistryKey> FKey;
};

} // namespace

TRegResult TReadOnlyRegistry::OpenKey(TRootKey root, std::string_view path, TRegSam,
                                      std::unique_ptr<IRegistryKey>& key) {
    std::unique_ptr<IRegistryKey> inner;
    const TRegResult result = FRegistry.OpenKey(root, path, KeyRead, inner);
    if (result == ErrorSuccess)
        key = std::make_unique<TReadOnlyKey>(std::move(inner));
    return result;
}

TRegResult TReadOnlyRegistry::CreateKey(TRootKey root, std::string_view path, TRegSam access,
                                        std::unique_ptr<IRegistryKey>& key) {
    return OpenKey(root, path, access, key);
}

} // namespace kestrune
