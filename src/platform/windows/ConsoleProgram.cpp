#include "platform/windows/ConsoleProgram.h"

#include "platform/windows/WideText.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace kestrune {

TConsoleArguments::TConsoleArguments(int argc, wchar_t** argv) {
    for (int i = 0; i < argc; ++i)
        FTexts.push_back(Utf8FromWide(argv[i]));
    for (std::string& text : FTexts)
        FValues.push_back(text.data());
    FValues.push_back(nullptr);
}

void SetUpConsoleStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    ::SetConsoleOutputCP(CP_UTF8);
}

} // namespace kestrune
