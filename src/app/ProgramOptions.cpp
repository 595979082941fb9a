#include "app/ProgramOptions.h"

#include <iostream>
#include <string>

namespace kestrune {

void ScanLongOptions(int argc, char** argv, const option* longOptions,
                     const std::function<void(int code, const std::string& value)>& take) {
    optind = 0; // a fresh scan, whatever an earlier one left
    opterr = 0; // the messages are ours
    for (;;) {
        const int previous = optind == 0 ? 1 : optind;
        const int code = getopt_long(argc, argv, ":h", longOptions, nullptr);
        if (code == -1)
            break;
        // getopt_long moves the words it has read to the front, so argv is in order.
        const std::string option = previous < argc ? argv[previous] : "";
        if (code == ':')
            throw EProgramUsage(option.substr(0, option.find('=')) + " needs a value");
        if (code == '?')
            throw EProgramUsage("unknown option '" + option + "' (see --help)");
        take(code, optarg != nullptr ? optarg : "");
    }
    if (optind < argc)
        throw EProgramUsage(std::string("unexpected argument '") + argv[optind] + "' (see --help)");
}

TProgramOptions ParseProgramOptions(int argc, char** argv) {
    enum : int { ClockStart = 256, Version };
    static const option longOptions[] = {
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, Version},
        {"clock-start", required_argument, nullptr, ClockStart},
        {nullptr, 0, nullptr, 0},
    };
    TProgramOptions options;
    ScanLongOptions(argc, argv, longOptions, [&](int code, const std::string& value) {
        if (code == 'h') {
            options.Help = true;
        } else if (code == Version) {
            options.Version = true;
        } else {
            options.ClockStart = ParseCompact(value);
            if (!options.ClockStart)
                throw EProgramUsage("--clock-start: '" + value +
                                    "' is not a UTC time as YYYYMMDDhhmmss");
        }
    });
    return options;
}

std::optional<int> AnswerProgramOptions(int argc, char** argv, const char* program,
                                        const char* help, const char* version,
                                        TProgramOptions& options) {
    try {
        options = ParseProgramOptions(argc, argv);
    } catch (const EProgramUsage& error) {
        std::cerr << program << ": " << error.what() << '\n';
        return 2;
    }
    if (options.Help)
        std::cout << help;
    else if (options.Version)
        std::cout << program << ' ' << version << '\n';
    else
        return std::nullopt;
    return 0;
}

} // namespace kestrune
