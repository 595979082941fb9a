#include "platform/linux/VersionInfoReader.h"

#include "platform/linux/Executable.h"
#include "settings/Registry.h"
#include "version/VersionBlock.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <span>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrune {

namespace {

constexpr std::array<std::string_view, 12> StandardNames{
    "Comments",     "CompanyName",    "FileDescription", "FileVersion",
    "InternalName", "LegalCopyright", "LegalTrademarks", "OriginalFileName",
    "PrivateBuild", "ProductName",    "ProductVersion",  "SpecialBuild"};

// A version block is at most 65535 bytes; a section far larger than that is not one of ours, and
// a file with more sections or a larger name table than these is not one of our executables.
constexpr std::uint64_t MaxVersionSectionBytes = 1 << 20;
constexpr std::uint64_t MaxNameTableBytes = 16 << 20;
constexpr std::uint64_t MaxSectionCount = 1 << 20;
constexpr std::uint64_t MaxSectionTableBytes = 64 << 20;

// The longest sub-block query, in UTF-16 units, that fits the 256-unit query buffer with its NUL.
constexpr std::size_t MaxQueryUnits = 255;

// An open file descriptor, closed at the end.
class TFileHandle {
public:
    explicit TFileHandle(const std::string& path)
        // O_NONBLOCK: a FIFO given as the file name must not hang the program in open().
        : FHandle(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)) {}
    ~TFileHandle() {
        if (FHandle >= 0)
            ::close(FHandle);
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;

    int Get() const { return FHandle; }

private:
    int FHandle;
};

// A regular file read in pieces at given offsets; every piece is checked against the file's size.
class TFileReader {
public:
    explicit TFileReader(const std::string& path) : FFile(path) {
        struct stat status {};
        if (FFile.Get() >= 0 && ::fstat(FFile.Get(), &status) == 0 && S_ISREG(status.st_mode))
            FSize = static_cast<std::uint64_t>(status.st_size);
    }

    // count bytes at offset, or nullopt when they do not all lie in the file or cannot be read.
    std::optional<std::vector<std::uint8_t>> Read(std::uint64_t offset, std::uint64_t count) const {
        if (offset > FSize || count > FSize - offset)
            return std::nullopt;
        std::vector<std::uint8_t> bytes(count);
        std::size_t done = 0;
        while (done < count) {
            const ssize_t got = ::pread(FFile.Get(), bytes.data() + done, count - done,
                                        static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return std::nullopt;
            done += static_cast<std::size_t>(got);
        }
        return bytes;
    }

private:
    TFileHandle FFile;
    std::uint64_t FSize = 0;
};

std::uint64_t ReadLittle(std::span<const std::uint8_t> bytes, std::size_t offset,
                         std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = value << 8 | bytes[offset + i];
    return value;
}

struct TSectionHeader {
    std::uint32_t Name = 0;
    std::uint32_t Type = 0;
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;
    std::uint32_t Link = 0;
};

// Where the fields lie in the ELF file header and a section header, for one file class.
struct TElfLayout {
    std::size_t HeaderBytes;
    std::size_t SectionTableOffsetAt; // e_shoff
    std::size_t SectionEntrySizeAt;   // e_shentsize; e_shnum and e_shstrndx follow
    std::size_t SectionHeaderBytes;
    std::size_t AddressBytes; // width of sh_flags, sh_addr, sh_offset and sh_size
};

constexpr TElfLayout Elf32Layout{52, 32, 46, 40, 4};
constexpr TElfLayout Elf64Layout{64, 40, 58, 64, 8};

constexpr std::array<std::uint8_t, 4> ElfMagic{0x7F, 'E', 'L', 'F'};
constexpr std::uint32_t SectionTypeNoBits = 8;         // SHT_NOBITS: takes no room in the file
constexpr std::uint64_t SectionIndexExtended = 0xFFFF; // SHN_XINDEX

TSectionHeader ParseSectionHeader(std::span<const std::uint8_t> entry, const TElfLayout& layout) {
    const std::size_t width = layout.AddressBytes;
    TSectionHeader header;
    header.Name = static_cast<std::uint32_t>(ReadLittle(entry, 0, 4));
    header.Type = static_cast<std::uint32_t>(ReadLittle(entry, 4, 4));
    // sh_flags and sh_addr come first, then sh_offset, sh_size and sh_link.
    header.Offset = ReadLittle(entry, 8 + 2 * width, width);
    header.Size = ReadLittle(entry, 8 + 3 * width, width);
    header.Link = static_cast<std::uint32_t>(ReadLittle(entry, 8 + 4 * width, 4));
    return header;
}

// The section's bytes, when it lies in the file and is no larger than limit.
std::optional<std::vector<std::uint8_t>>
SectionBytes(const TFileReader& file, const TSectionHeader& section, std::uint64_t limit) {
    if (section.Type == SectionTypeNoBits || section.Size > limit)
        return std::nullopt;
    return file.Read(section.Offset, section.Size);
}

// The bytes of the executable's version section; empty when the file is not a little-endian ELF
// file, has no such section, or anything in it points outside the file.
std::vector<std::uint8_t> ReadVersionSection(const std::string& path) {
    const TFileReader file(path);
    const auto ident = file.Read(0, 16);
    if (!ident || !std::equal(ElfMagic.begin(), ElfMagic.end(), ident->begin()))
        return {};
    const std::uint8_t fileClass = (*ident)[4]; // EI_CLASS
    if ((*ident)[5] != 1 || (*ident)[6] != 1 || (fileClass != 1 && fileClass != 2))
        return {}; // not little endian, or not version 1, or neither 32 nor 64 bits
    const TElfLayout& layout = fileClass == 1 ? Elf32Layout : Elf64Layout;

    const auto header = file.Read(0, layout.HeaderBytes);
    if (!header)
        return {};
    const std::uint64_t tableOffset =
        ReadLittle(*header, layout.SectionTableOffsetAt, layout.AddressBytes);
    const std::uint64_t entrySize = ReadLittle(*header, layout.SectionEntrySizeAt, 2);
    std::uint64_t count = ReadLittle(*header, layout.SectionEntrySizeAt + 2, 2);
    std::uint64_t namesIndex = ReadLittle(*header, layout.SectionEntrySizeAt + 4, 2);
    if (tableOffset == 0 || entrySize < layout.SectionHeaderBytes)
        return {};

    const auto sectionAt = [&](std::uint64_t index) -> std::optional<TSectionHeader> {
        const auto entry = file.Read(tableOffset + index * entrySize, layout.SectionHeaderBytes);
        if (!entry)
            return std::nullopt;
        return ParseSectionHeader(*entry, layout);
    };
    // With very many sections the count and the name table's index live in section 0.
    if (count == 0 || namesIndex == SectionIndexExtended) {
        const auto first = sectionAt(0);
        if (!first)
            return {};
        if (count == 0)
            count = first->Size;
        if (namesIndex == SectionIndexExtended)
            namesIndex = first->Link;
    }
    if (count > MaxSectionCount || count * entrySize > MaxSectionTableBytes || namesIndex >= count)
        return {};
    const auto table = file.Read(tableOffset, count * entrySize);
    if (!table)
        return {};
    const auto entry = [&](std::uint64_t index) {
        return ParseSectionHeader(
            std::span<const std::uint8_t>(*table).subspan(index * entrySize, entrySize), layout);
    };
    const auto names = SectionBytes(file, entry(namesIndex), MaxNameTableBytes);
    if (!names)
        return {};

    for (std::uint64_t index = 0; index < count; ++index) {
        const TSectionHeader section = entry(index);
        if (section.Name >= names->size())
            continue;
        const auto* name = reinterpret_cast<const char*>(names->data()) + section.Name;
        const std::size_t room = names->size() - section.Name;
        if (std::string_view(name, strnlen(name, room)) != VersionSectionName)
            continue;
        auto bytes = SectionBytes(file, section, MaxVersionSectionBytes);
        return bytes ? std::move(*bytes) : std::vector<std::uint8_t>{};
    }
    return {};
}

} // namespace

std::string_view StandardVersionStringName(int index) {
    if (index < 0 || index >= static_cast<int>(StandardNames.size()))
        throw std::out_of_range("version string index " + std::to_string(index) +
                                " is outside 0 to 11");
    return StandardNames[static_cast<std::size_t>(index)];
}

TVersionInfoReader::TVersionInfoReader() {
    SetFileName({});
}

void TVersionInfoReader::SetFileName(const std::string& fileName) {
    FFileName = fileName;
    if (FFileName.empty()) {
        try {
            FFileName = ExecutablePath().string();
        } catch (const std::exception&) {
            // No /proc: there is no file to read, and every string stays empty.
        }
    }
    SetBlock(FFileName.empty() ? std::vector<std::uint8_t>{} : ReadVersionSection(FFileName));
}

void TVersionInfoReader::SetBlock(std::vector<std::uint8_t> block) {
    FHaveInfo = false;
    FTranslations.clear();
    FCurrentTranslation = -1;
    if (block.empty())
        return;
    FBlock = std::move(block);
    FHaveInfo = true;
    if (const auto table = QueryVersionValue(FBlock, "\\VarFileInfo\\Translation")) {
        for (std::size_t at = 0; at + 4 <= table->Bytes.size(); at += 4)
            FTranslations.push_back(static_cast<std::uint32_t>(ReadLittle(table->Bytes, at, 4)));
    }
    if (!FTranslations.empty())
        FCurrentTranslation = 0;
}

std::string TVersionInfoReader::StringByIndex(int index) const {
    return StringByName(StandardVersionStringName(index));
}

std::string TVersionInfoReader::StringByName(std::string_view name) const {
    if (!FHaveInfo || FCurrentTranslation < 0)
        return {};
    // The table's key: language, then code page, each as four lower-case hexadecimal digits.
    const std::uint32_t translation = FTranslations[static_cast<std::size_t>(FCurrentTranslation)];
    char key[9];
    std::snprintf(key, sizeof key, "%4.4x%4.4x", translation & 0xFFFFu, translation >> 16);
    std::string query = "\\StringFileInfo\\";
    query += key;
    query += '\\';
    query += name;
    if (Utf16Length(query) > MaxQueryUnits)
        return {};
    const auto value = QueryVersionValue(FBlock, query);
    return value ? TextFromUtf16Bytes(value->Bytes) : std::string{};
}

} // namespace kestrune
