#pragma once
// The program's description of itself: a version block in the Windows VS_VERSIONINFO layout,
// made at build time from the project's version and strings and stored in the executable in an
// ELF section of its own. The reader finds the block in a file and looks strings up the way
// VerQueryValue does (sub-block names compared without regard to case).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// The standard string names by index: 0 "Comments" ... 11 "SpecialBuild".
std::string_view StandardVersionStringName(int index);

class TVersionInfoReader {
public:
    // Reads the running executable's block.
    TVersionInfoReader();

    const std::string& FileName() const { return FFileName; }
    // Stores the name (the running executable's full path when empty) and reads that file's
    // block; a file without one leaves every string empty.
    void SetFileName(const std::string& fileName);
    // Reads a block held in memory instead of a file (tests).
    void SetBlock(std::vector<std::uint8_t> block);

    // StringByName of the standard name; throws std::out_of_range outside 0 to 11.
    std::string StringByIndex(int index) const;
    // The string of that name in the current translation's table; empty when there is no block,
    // no translation or no such string.
    std::string StringByName(std::string_view name) const;

private:
    std::string FFileName;
    bool FHaveInfo = false;
    int FCurrentTranslation = -1;
    std::vector<std::uint8_t> FBlock;
    std::vector<std::uint32_t> FTranslations;
};

} // namespace kestrune
