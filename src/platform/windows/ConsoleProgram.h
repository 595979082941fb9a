#pragma once
// What the Windows console programs (the station, the predictor) do first: their arguments as
// UTF-8 (Windows hands them over in UTF-16; the narrow argv would be in the ANSI code page), and
// standard output and error in binary mode, so that their lines end in LF as on every platform
// and what they print is byte for byte what the Linux programs print. The console shows UTF-8.

#include <string>
#include <vector>

namespace kestrune {

class TConsoleArguments {
public:
    TConsoleArguments(int argc, wchar_t** argv);
    int Count() const { return static_cast<int>(FTexts.size()); }
    // argv-style: Count() UTF-8 texts and a null pointer.
    char** Values() { return FValues.data(); }
    std::vector<std::string> Texts() const { return FTexts; }

private:
    std::vector<std::string> FTexts;
    std::vector<char*> FValues;
};

void SetUpConsoleStreams();

} // namespace kestrune
