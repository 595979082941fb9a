#pragma once
// The version resource of an executable or DLL, as GetFileVersionInfoW hands it out: the
// VS_VERSIONINFO block that the version layer queries.

#include <cstdint>
#include <string>
#include <vector>

namespace kestrune {

// The file's block; empty when the file has none or cannot be read.
std::vector<std::uint8_t> ReadVersionResource(const std::string& fileName);

} // namespace kestrune
