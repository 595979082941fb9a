#include "serial/DebugTrace.h"

#include <cstdlib>
#include <iostream>

namespace kestrune {

TStderrDebugTrace::TStderrDebugTrace() : FEnabled(std::getenv("KESTRUNE_DEBUG") != nullptr) {}

void TStderrDebugTrace::Output(const std::string& text) {
    if (FEnabled) {
        std::cerr << text << '\n';
    }
}

} // namespace kestrune
