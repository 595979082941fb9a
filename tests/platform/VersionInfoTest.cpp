#include "platform/linux/Executable.h"
#include "platform/linux/VersionInfoReader.h"
#include "support/TempDir.h"
#include "version/VersionBlock.h"

#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrune {
namespace {

// Every standard string plus the web site, with text that needs UTF-16 surrogates.
TVersionBlockContents FullContents() {
    TVersionBlockContents contents;
    contents.FileVersion = {1, 2, 3, 4};
    for (int index = 0; index < 12; ++index) {
        const std::string name(StandardVersionStringName(index));
        contents.Strings.emplace_back(name, name + " of Kestr\xc3\xbbne \xf0\x9f\x9b\xb0");
    }
    contents.Strings.emplace_back("Web site", "https://kestrune.example.org");
    return contents;
}

std::string ValueOf(const TVersionBlockContents& contents, std::string_view name) {
    for (const auto& [key, value] : contents.Strings) {
        if (key == name)
            return value;
    }
    throw std::logic_error("no string " + std::string(name));
}

void ExpectAllEmpty(const TVersionInfoReader& reader) {
    for (int index = 0; index < 12; ++index)
        EXPECT_EQ(reader.StringByIndex(index), "") << index;
    EXPECT_EQ(reader.StringByName("Web site"), "");
}

// A minimal little-endian ELF file (32 or 64 bits) whose second section holds the data, named.
std::string ElfFile(int bits, std::string_view sectionName, const std::vector<std::uint8_t>& data) {
    const bool wide = bits == 64;
    const std::size_t headerBytes = wide ? 64 : 52, entryBytes = wide ? 64 : 40;
    const std::string names = std::string("\0.shstrtab\0", 11) + std::string(sectionName) + '\0';
    std::string file(headerBytes, '\0');
    const auto put = [&file](std::size_t at, std::uint64_t value, std::size_t width) {
        for (std::size_t i = 0; i < width; ++i)
            file[at + i] = static_cast<char>(value >> (8 * i));
    };
    file.append(data.begin(), data.end());
    const std::size_t namesAt = file.size();
    file += names;
    file.resize((file.size() + 7) & ~std::size_t{7});
    const std::size_t tableAt = file.size();
    file.resize(tableAt + 3 * entryBytes); // null section, the data, the names
    const auto section = [&](int index, std::uint32_t name, std::uint64_t at, std::uint64_t size) {
        const std::size_t entry = tableAt + index * entryBytes, w = wide ? 8 : 4;
        put(entry, name, 4);
        put(entry + 4, index == 2 ? 3 : 1, 4); // SHT_STRTAB, SHT_PROGBITS
        put(entry + 8 + 2 * w, at, w);
        put(entry + 8 + 3 * w, size, w);
    };
    section(1, 11, headerBytes, data.size());
    section(2, 1, namesAt, names.size());
    const char ident[] = {0x7F, 'E', 'L', 'F', char(wide ? 2 : 1), 1, 1}; // class, LSB, version
    file.replace(0, sizeof ident, ident, sizeof ident);
    put(16, 2, 2);             // e_type: executable
    put(18, wide ? 62 : 3, 2); // e_machine: x86-64, i386
    put(20, 1, 4);             // e_version
    put(wide ? 40 : 32, tableAt, wide ? 8 : 4);
    put(wide ? 52 : 40, headerBytes, 2);
    put(wide ? 58 : 46, entryBytes, 2);
    put(wide ? 60 : 48, 3, 2);
    put(wide ? 62 : 50, 2, 2);
    return file;
}

TEST(VersionInfoReader, ReadsABuiltBlock) {
    TVersionBlockContents contents = FullContents();
    // "\StringFileInfo\040904b0\" takes 25 characters of the 255 a query may have.
    contents.Strings.emplace_back(std::string(230, 'n'), "fits");
    contents.Strings.emplace_back(std::string(231, 'n'), "too long");
    TVersionInfoReader reader;
    reader.SetBlock(BuildVersionBlock(contents));
    for (int index = 0; index < 12; ++index)
        EXPECT_EQ(reader.StringByIndex(index), ValueOf(contents, StandardVersionStringName(index)));
    EXPECT_EQ(reader.StringByName("Web site"), "https://kestrune.example.org");
    EXPECT_EQ(reader.StringByName("WEB SITE"), "https://kestrune.example.org");
    EXPECT_EQ(reader.StringByName("Web"), "");
    EXPECT_EQ(reader.StringByName("Web site\\x"), "");
    EXPECT_EQ(reader.StringByName("Trademark"), "");
    EXPECT_EQ(reader.StringByName(std::string(230, 'n')), "fits");
    EXPECT_EQ(reader.StringByName(std::string(231, 'n')), "");
    EXPECT_THROW(reader.StringByIndex(12), std::out_of_range);
    EXPECT_THROW(reader.StringByIndex(-1), std::out_of_range);
}

// The layout Windows writes, worked out by hand for one string "A" = "B": each node's offset,
// wLength, wValueLength and wType.
TEST(VersionInfoReader, BlockLaysOutAsWindowsDoes) {
    TVersionBlockContents contents;
    contents.Strings = {{"A", "B"}};
    const std::vector<std::uint8_t> block = BuildVersionBlock(contents);
    ASSERT_EQ(block.size(), 236u);
    const auto word = [&block](std::size_t at) { return block[at] | block[at + 1] << 8; };
    const std::vector<std::array<int, 4>> nodes{{0, 236, 52, 0}, {92, 76, 0, 1},  {128, 40, 0, 1},
                                                {152, 16, 2, 1}, {168, 68, 0, 1}, {200, 36, 4, 0}};
    for (const auto& [at, length, valueLength, type] : nodes) {
        EXPECT_EQ(word(at), length) << at;
        EXPECT_EQ(word(at + 2), valueLength) << at;
        EXPECT_EQ(word(at + 4), type) << at;
    }
    EXPECT_EQ(word(40) | word(42) << 16, 0xFEEF04BD); // the fixed info's signature
    EXPECT_EQ(word(164), u'B');
    EXPECT_EQ(word(232) | word(234) << 16, 0x04b00409); // language low, code page high
}

// Windows compares sub-block names without regard to case: an upper-case table key and the
// spelling "OriginalFilename" are still found.
TEST(VersionInfoReader, NamesMatchInEitherCase) {
    TVersionBlockContents contents;
    contents.UpperCaseTableKey = true;
    contents.Strings = {{"FileVersion", "0.1.0"}, {"OriginalFilename", "kestrune-station"}};
    TVersionInfoReader reader;
    reader.SetBlock(BuildVersionBlock(contents));
    EXPECT_EQ(reader.StringByIndex(3), "0.1.0");
    EXPECT_EQ(reader.StringByIndex(7), "kestrune-station");
}

TEST(VersionInfoReader, MissingPartsGiveEmptyTexts) {
    TVersionBlockContents contents = FullContents();
    TVersionInfoReader reader;
    contents.WithTranslationTable = false;
    reader.SetBlock(BuildVersionBlock(contents));
    ExpectAllEmpty(reader);

    contents.WithTranslationTable = true;
    contents.Strings.pop_back(); // the web site
    reader.SetBlock(BuildVersionBlock(contents));
    EXPECT_EQ(reader.StringByIndex(9), ValueOf(contents, "ProductName"));
    EXPECT_EQ(reader.StringByName("Web site"), "");

    // A block cut short anywhere is not read at all.
    const std::vector<std::uint8_t> whole = BuildVersionBlock(FullContents());
    for (std::size_t size = 0; size < whole.size(); ++size) {
        reader.SetBlock({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)});
        ExpectAllEmpty(reader);
    }
}

TEST(VersionInfoReader, FindsTheBlockInAnElfFile) {
    const test::TTempDir dir;
    const std::vector<std::uint8_t> block = BuildVersionBlock(FullContents());
    for (int bits : {32, 64}) {
        const std::string file = ElfFile(bits, VersionSectionName, block);
        TVersionInfoReader reader;
        reader.SetFileName(dir.Write("whole", file).string());
        EXPECT_EQ(reader.StringByName("Web site"), "https://kestrune.example.org") << bits;

        reader.SetFileName(dir.Write("other", ElfFile(bits, ".kestrune_versio", block)).string());
        ExpectAllEmpty(reader);
        std::string bigEndian = file;
        bigEndian[5] = 2;
        reader.SetFileName(dir.Write("big", bigEndian).string());
        ExpectAllEmpty(reader);
        for (std::size_t size = 0; size < file.size(); size += 3) {
            reader.SetFileName(dir.Write("cut", file.substr(0, size)).string());
            ExpectAllEmpty(reader);
        }
    }
}

TEST(VersionInfoReader, FilesWithoutABlockGiveEmptyTexts) {
    const test::TTempDir dir;
    TVersionInfoReader reader;
    EXPECT_EQ(reader.FileName(), ExecutablePath().string()); // this test has no block
    ExpectAllEmpty(reader);
    for (const auto& path : {dir.Write("text", "not an executable\n"), dir.Path() / "missing",
                             dir.Path(), std::filesystem::path("/dev/zero")}) {
        reader.SetFileName(path.string());
        EXPECT_EQ(reader.FileName(), path.string());
        ExpectAllEmpty(reader);
    }
}

// The build gave the station executable its block from the project's version.
TEST(VersionInfoReader, TheStationDescribesItself) {
    TVersionInfoReader reader;
    reader.SetFileName(KESTRUNE_STATION);
    EXPECT_EQ(reader.StringByIndex(3), KESTRUNE_PROJECT_VERSION);
    EXPECT_EQ(reader.StringByIndex(10), KESTRUNE_PROJECT_VERSION);
    EXPECT_EQ(reader.StringByIndex(7), std::filesystem::path(KESTRUNE_STATION).filename().string());
    EXPECT_EQ(reader.StringByName("Web site").rfind("https://", 0), 0u);
}

} // namespace
} // namespace kestrune
