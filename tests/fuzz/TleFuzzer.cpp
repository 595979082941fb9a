// Arbitrary bytes as the one file of a data folder (read as two- or three-line sets or as OMM
// CSV, JSON or XML, by its content; the seeds hold each form); then the component says whether
// the data are valid and what of the file it could not read, computes passes for the name on the
// input's first line and for a fixed name, and describes the first of them. Every answer must
// succeed, and every pass line must have the pass line's layout.

#include "core/CommaText.h"
#include "core/DateTime.h"
#include "qmrsatlib/QmrSatellites.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

using namespace kestrune;

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "tle fuzzer: %s\n", what);
        std::abort();
    }
}

// One folder for the whole run, removed at the end.
struct TFuzzFolder {
    std::filesystem::path Path;
    TFuzzFolder() {
        std::random_device random;
        Path = std::filesystem::temp_directory_path() /
               ("kestrune-tle-fuzz-" + std::to_string(random()));
        std::filesystem::create_directories(Path);
    }
    ~TFuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(Path, ignored);
    }
};

bool IsPassLine(const std::string& line, const std::string& name) {
    // "yyyymmddhhnnss D EEE AAA LLL NAME", one blank between words.
    if (line.size() < 14 + 3 + 6 + name.size() ||
        line.compare(line.size() - name.size(), name.size(), name) != 0)
        return false;
    for (int i = 0; i < 14; ++i) {
        if (line[i] < '0' || line[i] > '9')
            return false;
    }
    if (line.compare(14, 3, " N ") != 0 && line.compare(14, 3, " S ") != 0)
        return false;
    std::size_t at = 17;
    for (int word = 0; word < 3; ++word) {
        const std::size_t start = at;
        while (at < line.size() && line[at] >= '0' && line[at] <= '9')
            ++at;
        if (at == start || at >= line.size() || line[at] != ' ')
            return false;
        ++at;
    }
    return line.size() - at == name.size();
}

void Passes(ISatellites& satellites, const std::string& name) {
    const TDateTime start = EncodeDateTime(2025, 5, 28);
    constexpr int Days = 2;
    std::string text;
    const HResult result = satellites.ComputePasses(name, start, 0, Days, 0.0, text);
    Check(result == SOk, "ComputePasses failed");
    for (const auto& line : ReadCommaText(text)) {
        // A threshold of 0 degrees: every word is a plain decimal without sign.
        Check(IsPassLine(line, name), "a pass line out of shape");
        std::string details;
        Check(satellites.DescribePass(name, *ParseCompact(line.substr(0, 14)), 0.0, details) == SOk,
              "DescribePass failed");
        Check(line.substr(0, 14) >= FormatCompact(start) &&
                  line.substr(0, 14) <= FormatCompact(start + Days),
              "a pass rising outside the window");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TFuzzFolder folder;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(folder.Path / "elements.txt", std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    void* object = nullptr;
    Check(CreateSatellitesInstance(&ClsidSatellites, &IidSatellites, &object) == SOk, "no object");
    auto* satellites = static_cast<ISatellites*>(object);
    Check(satellites->SetLatitude(55.9) == SOk && satellites->SetLongitude(-3.2) == SOk &&
              satellites->SetHeight(180.0) == SOk,
          "location refused");
    Check(satellites->SetDataPath(folder.Path.string()) == SOk, "SetDataPath failed");
    std::int32_t valid = -1;
    Check(satellites->GetDataValid(valid) == SOk && (valid == 0 || valid == 1),
          "GetDataValid failed");
    std::string problems;
    Check(satellites->GetFileProblems(problems) == SOk, "GetFileProblems failed");

    // The first line, as a name line would be.
    std::string firstLine = bytes.substr(0, bytes.find('\n'));
    if (firstLine.size() > 40)
        firstLine.resize(40);
    Passes(*satellites, firstLine);
    Passes(*satellites, "NOAA 19");
    satellites->Release();
    return 0;
}
