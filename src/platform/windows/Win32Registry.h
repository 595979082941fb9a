#pragma once
// The Windows registry through advapi32: the user's HKEY_CURRENT_USER (the program's key, its
// ComPortControl sub-key, the sibling program's key) and HKEY_LOCAL_MACHINE (the machine's
// serial-port list under "HARDWARE\DEVICEMAP\SERIALCOMM", which Windows keeps up to date).
// Text data is handed through as Windows stores it, UTF-16LE with its terminating NUL.

#include "settings/Registry.h"

namespace kestrune {

class TWin32Registry final : public IRegistry {
public:
    TRegResult OpenKey(TRootKey root, std::string_view path, TRegSam access,
                       std::unique_ptr<IRegistryKey>& key) override;
    TRegResult CreateKey(TRootKey root, std::string_view path, TRegSam access,
                         std::unique_ptr<IRegistryKey>& key) override;
};

} // namespace kestrune
