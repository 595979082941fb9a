#include "platform/linux/ModuleLoader.h"

#include "platform/linux/Executable.h"

#include <dlfcn.h>

namespace kestrune {

namespace {

// The component's file on Linux.
constexpr const char* SatellitesModuleName = "QmrSatLib.so";

std::string LastDlError() {
    const char* text = dlerror();
    return text ? text : "unknown error";
}

} // namespace

std::unique_ptr<TSatellites> ConnectSatellites(const std::filesystem::path& modulePath,
                                               const TGuid& classId, const TGuid& interfaceId) {
    const std::string where = "the orbit-prediction component \"" + modulePath.string() + "\"";
    void* handle = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        throw ESatellites("Cannot load " + where + ": " + LastDlError());
    std::shared_ptr<void> module(handle, [](void* h) { dlclose(h); });

    void* symbol = dlsym(handle, CreateInstanceSymbol);
    if (!symbol)
        throw ESatellites("Cannot use " + where + ": it has no entry point " +
                          CreateInstanceSymbol);
    auto createInstance = reinterpret_cast<TCreateInstanceFunc>(symbol);

    void* object = nullptr;
    const HResult code = createInstance(&classId, &interfaceId, &object);
    if (Failed(code) || !object)
        throw ESatellites("Cannot create the satellites object of " + where + ": " +
                          DescribeHResult(Failed(code) ? code : EPointer));
    return std::make_unique<TSatellites>(static_cast<ISatellites*>(object), std::move(module));
}

std::filesystem::path SatellitesModulePath() {
    const std::filesystem::path folder = ExecutableDir();
    const std::filesystem::path beside = folder / SatellitesModuleName;
    const std::filesystem::path installed =
        folder.parent_path() / "lib" / "kestrune" / SatellitesModuleName;
    std::error_code error;
    if (!std::filesystem::exists(beside, error) && std::filesystem::exists(installed, error))
        return installed;
    return beside;
}

} // namespace kestrune
