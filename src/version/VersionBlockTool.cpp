// Build step: makes an executable's version block and writes it as a C++ source file whose one
// array lies in the executable's version section, where the about box's reader finds it.
//
//   kestrune_version_block_tool --output FILE.cpp --version 1.2.3[.4] [--string NAME VALUE]...

#include "version/VersionBlock.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace kestrune {
namespace {

std::string SourceText(const std::vector<std::uint8_t>& block) {
    std::ostringstream out;
    out << "// The executable's version block in the VS_VERSIONINFO layout, made by the build "
           "from\n"
           "// the project's version and strings. Generated: do not edit.\n\n"
           "namespace {\n\n"
           "#if defined(__has_attribute) && __has_attribute(retain)\n"
           "#define KESTRUNE_VERSION_RETAIN , retain\n"
           "#else\n"
           "#define KESTRUNE_VERSION_RETAIN\n"
           "#endif\n\n"
           "alignas(4) __attribute__((section(\""
        << VersionSectionName
        << "\"), used KESTRUNE_VERSION_RETAIN)) const unsigned char VersionBlock[] = {";
    for (std::size_t i = 0; i < block.size(); ++i) {
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02x,", block[i]);
        out << (i % 12 == 0 ? "\n    " : " ") << byte;
    }
    out << "\n};\n\n} // namespace\n";
    return out.str();
}

int Run(int argc, char** argv) {
    std::string outputPath;
    std::string versionText;
    TVersionBlockContents contents;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option != "--output" && option != "--version" && option != "--string") {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
        const int values = option == "--string" ? 2 : 1;
        if (i + values >= argc) {
            std::fprintf(stderr, "%s needs %d value(s)\n", argv[i], values);
            return 2;
        }
        if (option == "--output") {
            outputPath = argv[++i];
        } else if (option == "--version") {
            versionText = argv[++i];
        } else {
            contents.Strings.emplace_back(argv[i + 1], argv[i + 2]);
            i += 2;
        }
    }
    const auto version = ParseVersionNumbers(versionText);
    if (outputPath.empty() || !version) {
        std::fprintf(stderr,
                     "usage: %s --output FILE.cpp --version 1.2.3[.4] "
                     "[--string NAME VALUE]...\n",
                     argv[0]);
        return 2;
    }
    contents.FileVersion = *version;
    contents.ProductVersion = *version;

    std::ofstream out(outputPath, std::ios::binary | std::ios::trunc);
    out << SourceText(BuildVersionBlock(contents));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", outputPath.c_str());
        return 1;
    }
    return 0;
}

} // namespace
} // namespace kestrune

int main(int argc, char** argv) {
    try {
        return kestrune::Run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
