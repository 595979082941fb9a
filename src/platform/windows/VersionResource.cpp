#include "platform/windows/VersionResource.h"

#include "platform/windows/WideText.h"

#include <windows.h>

namespace kestrune {

std::vector<std::uint8_t> ReadVersionResource(const std::string& fileName) {
    const std::wstring name = WideFromUtf8(fileName);
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(name.c_str(), &handle);
    if (size == 0)
        return {};
    std::vector<std::uint8_t> block(size);
    if (!::GetFileVersionInfoW(name.c_str(), 0, size, block.data()))
        return {};
    return block;
}

} // namespace kestrune
