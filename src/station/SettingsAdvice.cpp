#include "station/SettingsAdvice.h"

#include "app/Program.h"
#include "core/ScheduleBuilder.h"
#include "settings/RegistryVariables.h"
#include "station/Station.h"

namespace kestrune {

std::string MissingSettingsWarning(IRegistry& registry, const std::filesystem::path& hivePath) {
    const bool location = !ReadProgramSetting(registry, WindowProgram, "ObsLatitude").empty() ||
                          !ReadZenolithSetting(registry, "CurrentLat").empty();
    const bool satellites = !ReadProgramSetting(registry, WindowProgram, "SatList").empty();
    if (location && satellites)
        return "";
    std::string text = "no ";
    std::string uses;
    if (!location) {
        text += "location";
        const TLocaleInfo c;
        uses = "the location " + FloatToStr(DefaultLatitudeDeg, c) + ", " +
               FloatToStr(DefaultLongitudeDeg, c) + ", " + FloatToStr(DefaultHeightM, c) + " m";
    }
    if (!satellites) {
        text += location ? "satellite list" : " and no satellite list";
        std::string names;
        for (const TSatelliteRow& row : DefaultSatelliteRows())
            names += (names.empty() ? "" : ", ") + row.Name;
        uses += (uses.empty() ? "" : " and ") + std::string("the satellites ") + names;
    }
    std::error_code error;
    const std::string file = std::filesystem::exists(hivePath, error)
                                 ? "in the settings file " + hivePath.string()
                                 : "(there is no settings file " + hivePath.string() + ")";
    return text + (location || satellites ? " is set " : " are set ") + file +
           ": the station uses " + uses +
           "; set \"ObsLatitude\", \"ObsLongitude\", \"ObsHeight\" and \"SatList\" there "
           "(settings-file.md)";
}

} // namespace kestrune
