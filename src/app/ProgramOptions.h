#pragma once
// The command line of the window and of the headless station: --help, --version and the
// demonstration clock, as --option VALUE or --option=VALUE.

#include "core/DateTime.h"

#include <functional>
#include <getopt.h>
#include <optional>
#include <stdexcept>
#include <string>

namespace kestrune {

struct TProgramOptions {
    bool Help = false;
    bool Version = false;
    // Run the program's clock from this UTC time on (demonstrations on old element sets).
    std::optional<TDateTime> ClockStart;
};

// A command line that cannot be used; the text says why in one line.
class EProgramUsage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs getopt_long over the command line (argv[0] the program's name): `take` gets the code and
// the value (empty for none) of each option of the table, in order; an option without its value,
// an unknown one or a word that is no option throws EProgramUsage. Values follow their option
// as the next word or after "=".
void ScanLongOptions(int argc, char** argv, const option* longOptions,
                     const std::function<void(int code, const std::string& value)>& take);

TProgramOptions ParseProgramOptions(int argc, char** argv);

// ParseProgramOptions for a program's main: answers --help and --version and reports a bad
// command line ("PROGRAM: ..." on standard error), returning the exit status then; returns
// nothing when the program is to run.
std::optional<int> AnswerProgramOptions(int argc, char** argv, const char* program,
                                        const char* help, const char* version,
                                        TProgramOptions& options);

} // namespace kestrune
