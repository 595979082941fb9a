#pragma once
// A view of a registry that reads everything and changes nothing: every write is refused with
// ErrorAccessDenied, which the setting objects swallow. The headless station reads the window
// program's settings through it, so they stay the window program's; the program core reads
// through it the settings that the window's own controls keep.

#include "settings/Registry.h"

namespace kestrune {

class TReadOnlyRegistry final : public IRegistry {
public:
    explicit TReadOnlyRegistry(IRegistry& registry) : FRegistry(registry) {}
    TRegResult OpenKey(TRootKey root, std::string_view path, TRegSam access,
                       std::unique_ptr<IRegistryKey>& key) override;
    // Opens an existing key only; never creates one.
    TRegResult CreateKey(TRootKey root, std::string_view path, TRegSam access,
                         std::unique_ptr<IRegistryKey>& key) override;

private:
    IRegistry& FRegistry;
};

} // namespace kestrune
