#pragma once
// The registry as the program sees it: keys under a root, each holding named values of a type
// and raw bytes, reached through calls shaped like the Win32 registry functions and answering
// with Windows result codes. Callers that want a failure as an exception make one themselves.
//
// Key paths are relative to the root, their parts separated by "\"; one leading and one
// trailing "\" are ignored (so "\Software\Quillmere" is "Software\Quillmere"). A path with an
// empty part in the middle, or a part holding a control character, is ErrorInvalidParameter.
// Key and value names are compared without regard to the case of ASCII letters and keep the
// case they were created with. The empty value name is the key's default value.
//
// Text data (RegSz, RegExpandSz) is UTF-16LE with its terminating NUL, exactly as Windows keeps
// it; Utf16Bytes and TextFromUtf16Bytes convert between that and the program's UTF-8 text.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// Windows result codes (winerror.h).
using TRegResult = std::int32_t;
constexpr TRegResult ErrorSuccess = 0;
constexpr TRegResult ErrorFileNotFound = 2;
constexpr TRegResult ErrorAccessDenied = 5;
constexpr TRegResult ErrorInvalidParameter = 87;
constexpr TRegResult ErrorDiskFull = 112;
constexpr TRegResult ErrorMoreData = 234;
constexpr TRegResult ErrorNoMoreItems = 259;
constexpr TRegResult ErrorRegistryIoFailed = 1016;
constexpr TRegResult ErrorKeyDeleted = 1018;

// Value types (REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD). Any other type number
// is kept and handed back with its bytes as they are.
using TRegType = std::uint32_t;
constexpr TRegType RegNone = 0;
constexpr TRegType RegSz = 1;
constexpr TRegType RegExpandSz = 2;
constexpr TRegType RegBinary = 3;
constexpr TRegType RegDword = 4;

// The predefined root keys, with the 32-bit handle values Windows gives them.
enum class TRootKey : std::uint32_t {
    CurrentUser = 0x80000001,  // HKEY_CURRENT_USER
    LocalMachine = 0x80000002, // HKEY_LOCAL_MACHINE
};

// Access rights asked for when a key is opened (REGSAM).
using TRegSam = std::uint32_t;
constexpr TRegSam KeyQueryValue = 0x0001;
constexpr TRegSam KeySetValue = 0x0002;
constexpr TRegSam KeyCreateSubKey = 0x0004;
constexpr TRegSam KeyEnumerateSubKeys = 0x0008;
constexpr TRegSam ReadControl = 0x20000;
constexpr TRegSam KeyRead = 0x20019;
constexpr TRegSam KeyWrite = 0x20006;
constexpr TRegSam KeyAllAccess = 0xF003F;
// The rights that change something (set value, create sub-key, create link, delete, write
// DAC, write owner): a read-only key refuses an open that asks for any of them.
constexpr TRegSam KeyChangeRights = 0xD0026;

// An open key (HKEY). Destroying it closes it (RegCloseKey). A call that needs a right the key
// was not opened with answers ErrorAccessDenied.
class IRegistryKey {
public:
    virtual ~IRegistryKey() = default;

    // RegQueryValueExW. Each of type, data and size may be null. With data, *size is the
    // buffer's size in bytes on entry; a buffer too small answers ErrorMoreData. On success and
    // on ErrorMoreData, *size is the value's size in bytes. A missing value: ErrorFileNotFound.
    virtual TRegResult QueryValue(std::string_view name, TRegType* type, std::uint8_t* data,
                                  std::uint32_t* size) = 0;
    // RegSetValueExW: creates or replaces the value; the bytes are stored as given.
    virtual TRegResult SetValue(std::string_view name, TRegType type,
                                std::span<const std::uint8_t> data) = 0;
    // RegDeleteValueW. A missing value: ErrorFileNotFound.
    virtual TRegResult DeleteValue(std::string_view name) = 0;
    // RegEnumValueW: the value at index (0 upward, in the key's order). nameCapacity counts
    // UTF-16 units including the terminating NUL, dataCapacity bytes, as the buffers offered
    // to Windows would; a value that does not fit answers ErrorMoreData. Past the last value:
    // ErrorNoMoreItems.
    virtual TRegResult EnumValue(std::uint32_t index, std::uint32_t nameCapacity,
                                 std::uint32_t dataCapacity, std::string& name, TRegType& type,
                                 std::vector<std::uint8_t>& data) = 0;
    // RegEnumKeyExW: the name of the sub-key at index (in the order of their names, without
    // regard to case); past the last one: ErrorNoMoreItems.
    virtual TRegResult EnumKey(std::uint32_t index, std::string& name) = 0;
};

// Buffer capacity that never limits EnumValue.
constexpr std::uint32_t RegNoLimit = 0xFFFFFFFF;

class IRegistry {
public:
    virtual ~IRegistry() = default;

    // RegOpenKeyExW: an existing key, or ErrorFileNotFound. A read-only key opened with any of
    // KeyChangeRights: ErrorAccessDenied.
    virtual TRegResult OpenKey(TRootKey root, std::string_view path, TRegSam access,
                               std::unique_ptr<IRegistryKey>& key) = 0;
    // RegCreateKeyExW (non-volatile, no class, default security): opens the key, creating it
    // and every missing parent first.
    virtual TRegResult CreateKey(TRootKey root, std::string_view path, TRegSam access,
                                 std::unique_ptr<IRegistryKey>& key) = 0;
};

// Whether the key exists: opens it with the query rights and closes it again.
bool KeyExists(IRegistry& registry, TRootKey root, std::string_view path);

// The whole value: its size first, then its bytes.
TRegResult QueryValueBytes(IRegistryKey& key, std::string_view name, TRegType& type,
                           std::vector<std::uint8_t>& data);

// UTF-8 text as UTF-16LE bytes with the terminating NUL ("ab" gives 61 00 62 00 00 00).
// Bytes that are not UTF-8 become U+FFFD.
std::vector<std::uint8_t> Utf16Bytes(std::string_view text);
// UTF-16LE bytes as UTF-8 text: size / 2 units (an odd last byte is ignored), up to the first
// NUL. A lone surrogate becomes U+FFFD.
std::string TextFromUtf16Bytes(std::span<const std::uint8_t> data);
// The number of UTF-16 units the text takes, without a terminating NUL.
std::size_t Utf16Length(std::string_view text);

// A DWORD as its 4 little-endian bytes, and back (the bytes must be exactly 4).
std::vector<std::uint8_t> DwordBytes(std::uint32_t value);
std::uint32_t DwordFromBytes(std::span<const std::uint8_t> data);

} // namespace kestrune
