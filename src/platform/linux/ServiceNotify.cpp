#include "ServiceNotify.h"

#include <systemd/sd-daemon.h>

namespace kestrune {

void NotifyServiceManager(const std::string& state) {
    sd_notify(0, state.c_str());
}

} // namespace kestrune
