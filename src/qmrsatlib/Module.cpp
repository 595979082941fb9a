// The module's one exported symbol; everything else in QmrSatLib.so stays hidden.
#include "qmrsatlib/QmrSatellites.h"

extern "C" __attribute__((visibility("default"))) kestrune::HResult
QmrSatLibCreateInstance(const kestrune::TGuid* classId, const kestrune::TGuid* interfaceId,
                        void** object) {
    return kestrune::CreateSatellitesInstance(classId, interfaceId, object);
}
