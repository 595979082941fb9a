#pragma once
// The passes of one satellite over the station: the times during which its geometric elevation
// is at or above the minimum.
//
// The search samples the orbit at adaptive steps. While the satellite is far from the threshold
// the step is as long as the geometry allows: the central angle between station and satellite
// must change by a known amount before the elevation can reach the threshold. That takes at
// least the change divided by the satellite's angular rate relative to the turning Earth, and
// while the satellite is below, at least until its run along the great circle of its orbit
// plane can bring it back near the station (the station and the plane turning slowly
// meanwhile). Near the threshold the step is short (MinStepS) while the satellite climbs
// towards it from below, longer (SettledStepS) when it is above or sinking. A change of side
// between two samples is then solved for the crossing time by Brent's method, and the highest point
// between rise and set as the zero of the elevation rate, by the same method.

#include "core/DateTime.h"
#include "qmrsatlib/Observer.h"
#include "qmrsatlib/Sgp4.h"

#include <array>
#include <limits>
#include <vector>

namespace kestrune {

struct TPass {
    TDateTime Rise = 0.0;
    TDateTime Set = 0.0;
    TDateTime Peak = 0.0;
    double PeakElevationDeg = 0.0;
    double PeakAzimuthDeg = 0.0;
    double RiseAzimuthDeg = 0.0;
    double SetAzimuthDeg = 0.0;
    // The geodetic latitude under the satellite is higher at the set than at the rise.
    bool Northbound = false;
};

class TPassFinder {
public:
    // The step near the threshold while the satellite climbs towards it, seconds: a pass
    // shorter than this may be missed.
    static constexpr double MinStepS = 20.0;
    // The step near the threshold otherwise.
    static constexpr double SettledStepS = 120.0;
    // The longest step while a pass is followed, so that every turn of its elevation shows.
    static constexpr double MaxPassStepS = 600.0;
    // How far past the window's end the set of its last pass is looked for, days.
    static constexpr double SetSearchDays = 1.0;

    TPassFinder(TSgp4& sgp4, const TObserver& observer, double minElevationDeg);

    // Every pass whose rise lies in [from, to), each whole even when it sets after `to`; a pass
    // under way at `from` is left out, as is one that does not set within SetSearchDays after
    // `to`. A propagation failure (a decayed orbit) ends the search: the passes before it stay.
    std::vector<TPass> Find(TDateTime from, TDateTime to);

private:
    // The central angle at which a satellite at radius rKm stands at an elevation, seen from a
    // spherical Earth of radius rhoKm.
    class TCentralAngle {
    public:
        explicit TCentralAngle(double elevationDeg);
        double At(double rhoKm, double rKm) const;

    private:
        double FElevationRad;
        double FCosElevation;
    };
    struct TSample {
        double Minutes = 0.0;
        double Excess = 0.0; // elevation minus the minimum, degrees
        double RateDegPerS = 0.0;
        double StepMin = 0.0;
    };
    struct TPosition {
        TVector3 EarthFixedKm;
        TVector3 TemeKm;
        TVector3 TemeKmPerS;
        TVector3 EarthFixedKmPerS;
        TEarthTurn Turn{0.0};
    };

    TPosition Locate(double minutes);
    TLookAngles Look(double minutes);
    double Excess(double minutes);
    TSample Sample(double minutes);
    double StepMinutes(const TPosition& position, double minStepS) const;
    // Samples on from `sample` until the satellite is on the other side of the threshold;
    // false when `limitMin` is passed first. On success `sample` is the first one across and
    // crossingMin the solved crossing time. With a path, the steps are at most MaxPassStepS and
    // the samples on this side are added to it.
    bool FindCrossing(TSample& sample, double limitMin, double& crossingMin,
                      std::vector<TSample>* path = nullptr);
    // The path holds the samples taken while up, at least one.
    TPass MakePass(double riseMin, const TPosition& rise, double setMin,
                   const std::vector<TSample>& path);

    TSgp4& FSgp4;
    const TObserver& FObserver;
    double FMinElevationDeg;
    TDateTime FEpoch;
    // The station's distance from the Earth's centre and how fast it turns about the axis.
    double FStationRadiusKm;
    double FStationDriftRadPerS;
    // Where the central angle must be before the elevation can reach the threshold: from far
    // away (the threshold less the zenith margin) and from close by (plus the margin).
    TCentralAngle FFarAngle;
    TCentralAngle FNearAngle;
    // The last two positions worked out, the later first; none yet while Minutes is NaN.
    struct TRecent {
        double Minutes = std::numeric_limits<double>::quiet_NaN();
        TPosition Position;
    };
    std::array<TRecent, 2> FRecent;
};

} // namespace kestrune
