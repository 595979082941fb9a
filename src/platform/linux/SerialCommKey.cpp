#include "platform/linux/SerialCommKey.h"

#include <algorithm>
#include <fstream>
#include <tuple>

namespace kestrune {

namespace {

bool IsPhantom(const std::filesystem::path& entry) {
    std::ifstream typeFile(entry / "type");
    std::string type;
    return typeFile && std::getline(typeFile, type) && type == "0";
}

// "ttyS10" as ("ttyS", 2, "10"): the name without its trailing digits, then the number by its
// length and digits, so that numbers compare as numbers.
auto NaturalKey(const std::string& name) {
    const auto digits = name.find_last_not_of("0123456789") + 1;
    const std::string_view number = std::string_view(name).substr(digits);
    const auto significant = std::min(number.find_first_not_of('0'), number.size());
    return std::make_tuple(std::string_view(name).substr(0, digits), number.size() - significant,
                           number.substr(significant), name);
}

} // namespace

std::vector<std::string> SerialPortNames(const std::filesystem::path& ttyRoot) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(ttyRoot, error), end; !error && it != end;
         it.increment(error)) {
        const std::filesystem::path entry = it->path();
        if (std::filesystem::exists(std::filesystem::symlink_status(entry / "device")) &&
            !IsPhantom(entry))
            names.push_back(entry.filename().string());
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return NaturalKey(a) < NaturalKey(b);
    });
    return names;
}

TRegistryTree SerialCommTree(const std::filesystem::path& ttyRoot,
                             const std::filesystem::path& byIdRoot) {
    TRegistryTree tree;
    std::error_code error;
    if (!std::filesystem::is_directory(ttyRoot, error))
        return tree;
    TRegKeyData& key = tree.AddKey(SerialCommPath);
    const auto add = [&](const std::string& valueName, const std::string& port) {
        key.SetValue(TRegValue{"\\Device\\" + valueName, RegSz, Utf16Bytes(port)});
    };
    const std::vector<std::string> names = SerialPortNames(ttyRoot);
    for (const std::string& name : names)
        add(name, name);
    std::vector<std::string> stable;
    for (std::filesystem::directory_iterator it(byIdRoot, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code linkError;
        const std::filesystem::path target = std::filesystem::read_symlink(it->path(), linkError);
        if (!linkError &&
            std::find(names.begin(), names.end(), target.filename().string()) != names.end())
            stable.push_back(it->path().string());
    }
    std::sort(stable.begin(), stable.end());
    for (const std::string& path : stable)
        add(std::filesystem::path(path).filename().string(), path);
    add("loop", std::string(LoopPortName));
    return tree;
}

} // namespace kestrune
