// PLACEHOLDER until the COM component loader and the DDE tracking server land (their own
// ModuleLoader.cpp and DdeTrackingServer.cpp replace this file): every use fails with a message
// that says so, so that nothing pretends to work.

#include "platform/windows/DdeTrackingServer.h"
#include "platform/windows/Executable.h"
#include "platform/windows/ModuleLoader.h"

#include <stdexcept>

namespace kestrune {

std::unique_ptr<TSatellites> ConnectSatellites(const std::filesystem::path& modulePath,
                                               const TGuid&, const TGuid&) {
    throw ESatellites("the orbit-prediction component " + modulePath.string() +
                      " cannot be created: this build has no COM loader yet");
}

std::filesystem::path SatellitesModulePath() {
    return ExecutableDir() / "QmrSatLib.dll";
}

TDdeTrackingServer::TDdeTrackingServer(std::string serviceName, TLocaleInfo locale)
    : FLocale(std::move(locale)) {
    throw std::runtime_error("the tracking server " + serviceName +
                             " cannot start: this build has no DDE server yet");
}

TDdeTrackingServer::~TDdeTrackingServer() = default;

void TDdeTrackingServer::SetItemText(const std::string&) {}

} // namespace kestrune
