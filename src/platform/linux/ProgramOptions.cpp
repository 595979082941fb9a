#include "ProgramOptions.h"

#include <getopt.h>
#include <iostream>
#include <string>

namespace kestrune {

TProgramOptions ParseProgramOptions(int argc, char** argv) {
    enum : int { ClockStart = 256, Version };
    static const option longOptions[] = {
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, Version},
        {"clock-start", required_argument, nullptr, ClockStart},
        {nullptr, 0, nullptr, 0},
    };
    TProgramOptions options;
    optind = 0; // a fresh scan
    opterr = 0; // the messages are ours
    for (;;) {
        const int previous = optind == 0 ? 1 : optind;
        const int code = getopt_long(argc, argv, ":h", longOptions, nullptr);
        if (code == -1)
            break;
        const std::string option = previous < argc ? argv[previous] : "";
        switch (code) {
        case 'h':
            options.Help = true;
            break;
        case Version:
            options.Version = true;
            break;
        case ClockStart:
            options.ClockStart = ParseCompact(optarg);
            if (!options.ClockStart)
                throw EProgramUsage(std::string("--clock-start: '") + optarg +
                                    "' is not a UTC time as YYYYMMDDhhmmss");
            break;
        case ':':
            throw EProgramUsage(option.substr(0, option.find('=')) + " needs a value");
        default:
            throw EProgramUsage("unknown option '" + option + "' (see --help)");
        }
    }
    if (optind < argc)
        throw EProgramUsage(std::string("unexpected argument '") + argv[optind] + "' (see --help)");
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
