#include "qmrsatlib/PassFinder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>

namespace kestrune {

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double DegToRad = Pi / 180.0;
constexpr double MuKm3PerS2 = 398600.8;
constexpr double JulianOfZeroDateTime = 2415018.5;
constexpr double MinutesPerDay = 1440.0;
// Rise, set and peak are solved to a hundredth of a second.
constexpr double ToleranceMin = 0.01 / 60.0;
constexpr double MaxStepS = 6.0 * 3600.0;
// The elevation seen from the geodetic zenith differs from the one seen from the geocentric
// zenith by at most the vertical's deflection (0.19 degrees on WGS-84).
constexpr double ZenithMarginDeg = 0.25;
// Margins on the orbit's radius range and angular rate, for drag and short-period terms.
constexpr double RadiusMargin = 0.005;
constexpr double RateMargin = 1.1;
// How fast the orbit plane can turn in inertial axes by its precession (at most some 10 degrees
// a day), rad/s; and the satellite's wobble about its osculating plane, rad.
constexpr double PlaneDriftRadPerS = 3.0e-6;
constexpr double WobbleRad = 0.2 * DegToRad;

class EPropagationFailed : public std::runtime_error {
public:
    EPropagationFailed() : std::runtime_error("propagation failed") {}
};

double Dot(const TVector3& a, const TVector3& b) {
    return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}

TVector3 Cross(const TVector3& a, const TVector3& b) {
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}

double Norm(const TVector3& a) {
    return std::sqrt(Dot(a, a));
}

// How long a satellite certainly stays farther than psiFar (central angle) from the station,
// seconds, judged from its orbit plane. In inertial axes it runs along the great circle of the
// plane at no more than maxRate; on that circle its central angle from the station is
// acos(cos b cos f), b the station's angle from the plane and f the satellite's angle past the
// point nearest the station. The station (on its circle of latitude) and the plane turn by at
// most driftRadPerS meanwhile.
double OrbitPlaneSkipS(const TVector3& satellite, const TVector3& h, const TVector3& station,
                       double maxRate, double driftRadPerS, double psiFar) {
    const double hNorm = Norm(h);
    if (!(hNorm > 0.0) || !(maxRate > 0.0))
        return 0.0;
    const TVector3 normal{h.X / hNorm, h.Y / hNorm, h.Z / hNorm};
    const double stationNorm = Norm(station);
    const double sinB = Dot(station, normal) / stationNorm;
    const TVector3 inPlane{station.X / stationNorm - sinB * normal.X,
                           station.Y / stationNorm - sinB * normal.Y,
                           station.Z / stationNorm - sinB * normal.Z};
    const double cosB = Norm(inPlane);
    const double nearestRad = std::atan2(std::fabs(sinB), cosB);
    // f > 0: the satellite is past its nearest point.
    const double f =
        cosB > 1e-12 ? std::atan2(Dot(Cross(inPlane, satellite), normal), Dot(inPlane, satellite))
                     : 0.0;
    const double now = std::acos(cosB * std::cos(f));
    auto clear = [&](double closest, double seconds) {
        return closest - WobbleRad - driftRadPerS * seconds > psiFar;
    };
    auto safe = [&](double seconds) {
        const double end = f + maxRate * seconds;
        if ((f <= 0.0 && end >= 0.0) || end >= 2.0 * Pi)
            return clear(nearestRad, seconds);
        // It comes no closer than now while it runs from its nearest point to the far side.
        if (!clear(now, seconds) || (f >= 0.0 && end <= Pi))
            return clear(now, seconds);
        return clear(std::min(now, std::acos(cosB * std::cos(end))), seconds);
    };
    if (!safe(0.0))
        return 0.0;
    if (safe(MaxStepS))
        return MaxStepS;
    // To within 2% (at least 2 s): a slightly shorter skip costs nothing worth the effort.
    double lo = 0.0, hi = MaxStepS;
    while (hi - lo > std::max(2.0, 0.02 * lo)) {
        const double middle = 0.5 * (lo + hi);
        (safe(middle) ? lo : hi) = middle;
    }
    return lo;
}

// Brent's method: a zero of f between a and b, where fa = f(a) and fb = f(b) differ in sign
// (zero counting as positive).
template <typename TFunction>
double BrentRoot(TFunction f, double a, double b, double fa, double fb) {
    // The root stays between b and c.
    double c = a, fc = fa;
    double d = b - a, e = d;
    for (int iteration = 0; iteration < 100; ++iteration) {
        if ((fb >= 0.0) == (fc >= 0.0)) {
            c = a;
            fc = fa;
            d = e = b - a;
        }
        if (std::fabs(fc) < std::fabs(fb)) {
            a = b, b = c, c = a;
            fa = fb, fb = fc, fc = fa;
        }
        const double tolerance =
            2.0 * std::numeric_limits<double>::epsilon() * std::fabs(b) + 0.5 * ToleranceMin;
        const double middle = 0.5 * (c - b);
        if (std::fabs(middle) <= tolerance || fb == 0.0)
            break;
        if (std::fabs(e) >= tolerance && std::fabs(fa) > std::fabs(fb)) {
            // Secant or inverse quadratic interpolation.
            const double s = fb / fa;
            double p, q;
            if (a == c) {
                p = 2.0 * middle * s;
                q = 1.0 - s;
            } else {
                const double qa = fa / fc;
                const double r = fb / fc;
                p = s * (2.0 * middle * qa * (qa - r) - (b - a) * (r - 1.0));
                q = (qa - 1.0) * (r - 1.0) * (s - 1.0);
            }
            if (p > 0.0)
                q = -q;
            p = std::fabs(p);
            if (2.0 * p < std::min(3.0 * middle * q - std::fabs(tolerance * q), std::fabs(e * q))) {
                e = d;
                d = p / q;
            } else {
                d = middle;
                e = d;
            }
        } else {
            d = middle;
            e = d;
        }
        a = b;
        fa = fb;
        b += std::fabs(d) > tolerance ? d : (middle > 0.0 ? tolerance : -tolerance);
        fb = f(b);
    }
    return b;
}

} // namespace

TPassFinder::TCentralAngle::TCentralAngle(double elevationDeg)
    : FElevationRad(elevationDeg * DegToRad), FCosElevation(std::cos(FElevationRad)) {}

double TPassFinder::TCentralAngle::At(double rhoKm, double rKm) const {
    return std::acos(std::clamp(rhoKm / rKm * FCosElevation, -1.0, 1.0)) - FElevationRad;
}

TPassFinder::TPassFinder(TSgp4& sgp4, const TObserver& observer, double minElevationDeg)
    : FSgp4(sgp4), FObserver(observer), FMinElevationDeg(minElevationDeg),
      FEpoch(sgp4.EpochJulian() - JulianOfZeroDateTime),
      FStationRadiusKm(Norm(observer.PositionKm())),
      FStationDriftRadPerS(EarthRotationRadPerS *
                               std::hypot(observer.PositionKm().X, observer.PositionKm().Y) /
                               FStationRadiusKm +
                           PlaneDriftRadPerS),
      FFarAngle(minElevationDeg - ZenithMarginDeg), FNearAngle(minElevationDeg + ZenithMarginDeg) {}

TPassFinder::TPosition TPassFinder::Locate(double minutes) {
    // A root finder ends at one of its last two looks, and the pass's figures start there.
    for (const TRecent& recent : FRecent) {
        if (recent.Minutes == minutes)
            return recent.Position;
    }
    TStateVector state;
    if (FSgp4.Propagate(minutes, state) != TSgp4Error::None)
        throw EPropagationFailed();
    TPosition position;
    position.TemeKm = {state.PositionKm[0], state.PositionKm[1], state.PositionKm[2]};
    position.TemeKmPerS = {state.VelocityKmPerS[0], state.VelocityKmPerS[1],
                           state.VelocityKmPerS[2]};
    position.Turn =
        TEarthTurn(GreenwichSiderealTime(FSgp4.EpochJulian() + minutes / MinutesPerDay));
    position.EarthFixedKm = TemeToEarthFixed(position.TemeKm, position.Turn);
    position.EarthFixedKmPerS =
        TemeVelocityToEarthFixed(position.TemeKmPerS, position.EarthFixedKm, position.Turn);
    FRecent[1] = FRecent[0];
    FRecent[0] = {minutes, position};
    return position;
}

TLookAngles TPassFinder::Look(double minutes) {
    const TPosition position = Locate(minutes);
    return FObserver.Look(position.EarthFixedKm, position.EarthFixedKmPerS);
}

double TPassFinder::Excess(double minutes) {
    return Look(minutes).ElevationDeg() - FMinElevationDeg;
}

TPassFinder::TSample TPassFinder::Sample(double minutes) {
    const TPosition position = Locate(minutes);
    const TLookAngles look = FObserver.Look(position.EarthFixedKm, position.EarthFixedKmPerS);
    TSample sample;
    sample.Minutes = minutes;
    sample.Excess = look.ElevationDeg() - FMinElevationDeg;
    sample.RateDegPerS = look.ElevationRateDegPerS();
    // Near the threshold only a satellite below it and still climbing can start a pass soon;
    // one above it or sinking away has its next crossing bracketed by a longer step.
    const bool climbingBelow = sample.Excess < 0.0 && sample.RateDegPerS >= 0.0;
    sample.StepMin = StepMinutes(position, climbingBelow ? MinStepS : SettledStepS);
    return sample;
}

double TPassFinder::StepMinutes(const TPosition& position, double minStepS) const {
    // The radius range of the osculating orbit, widened by a margin.
    const double r = Norm(position.TemeKm);
    const double v = Norm(position.TemeKmPerS);
    const TVector3 h = Cross(position.TemeKm, position.TemeKmPerS);
    const double inverseA = 2.0 / r - v * v / MuKm3PerS2;
    const double p = Dot(h, h) / MuKm3PerS2;
    double rMin = p / 2.0;
    double rMax = std::numeric_limits<double>::infinity();
    if (inverseA > 0.0) {
        const double a = 1.0 / inverseA;
        const double e = std::sqrt(std::max(0.0, 1.0 - p * inverseA));
        rMin = a * (1.0 - e);
        rMax = a * (1.0 + e);
    }
    rMin *= 1.0 - RadiusMargin;
    rMax *= 1.0 + RadiusMargin;

    // Where the central angle must get to before the elevation can cross the threshold.
    const TVector3& station = FObserver.PositionKm();
    const double rho = FStationRadiusKm;
    const double psi = std::atan2(Norm(Cross(station, position.EarthFixedKm)),
                                  Dot(station, position.EarthFixedKm));
    const double psiFar = FFarAngle.At(rho, rMax);

    // The fastest the direction to the satellite can turn in Earth-fixed axes: its orbital
    // angular velocity h / r^2 at either end of the radius range, less the Earth's rotation.
    auto relativeRate = [&](double radius) {
        const double scale = 1.0 / (radius * radius);
        const TVector3 w{h.X * scale, h.Y * scale, h.Z * scale - EarthRotationRadPerS};
        return Norm(w);
    };
    const double rate =
        RateMargin * std::max(relativeRate(rMin), relativeRate(rMax)) + 0.01 * EarthRotationRadPerS;
    double stepS = 0.0;
    if (psi > psiFar) {
        const TVector3 stationTeme = EarthFixedToTeme(station, position.Turn);
        const double maxRate = Norm(h) / (rMin * rMin);
        stepS =
            std::max((psi - psiFar) / rate, OrbitPlaneSkipS(position.TemeKm, h, stationTeme,
                                                            maxRate, FStationDriftRadPerS, psiFar));
    } else if (const double psiNear = FNearAngle.At(rho, rMin); psi < psiNear) {
        stepS = (psiNear - psi) / rate;
    }
    if (!(stepS >= minStepS))
        stepS = minStepS;
    return std::min(stepS, MaxStepS) / 60.0;
}

bool TPassFinder::FindCrossing(TSample& sample, double limitMin, double& crossingMin,
                               std::vector<TSample>* path) {
    const bool above = sample.Excess >= 0.0;
    while (sample.Minutes < limitMin) {
        const double stepMin =
            path ? std::min(sample.StepMin, MaxPassStepS / 60.0) : sample.StepMin;
        const TSample next = Sample(sample.Minutes + stepMin);
        if ((next.Excess >= 0.0) != above) {
            crossingMin = BrentRoot([this](double minutes) { return Excess(minutes); },
                                    sample.Minutes, next.Minutes, sample.Excess, next.Excess);
            sample = next;
            return true;
        }
        if (path)
            path->push_back(next);
        sample = next;
    }
    return false;
}

TPass TPassFinder::MakePass(double riseMin, const TPosition& rise, double setMin,
                            const std::vector<TSample>& path) {
    const TPosition set = Locate(setMin);
    // Rise, the samples taken while up, set: wherever the elevation turns from climbing to
    // sinking between two of them there is a highest point. A long pass of an eccentric orbit
    // can have several; the highest counts.
    std::vector<std::pair<double, double>> points; // minutes, elevation rate
    points.emplace_back(
        riseMin, FObserver.Look(rise.EarthFixedKm, rise.EarthFixedKmPerS).ElevationRateDegPerS());
    for (const TSample& sample : path)
        points.emplace_back(sample.Minutes, sample.RateDegPerS);
    points.emplace_back(
        setMin, FObserver.Look(set.EarthFixedKm, set.EarthFixedKmPerS).ElevationRateDegPerS());
    double peakMin = 0.0;
    double peakElevationDeg = -std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const auto [a, rateA] = points[i];
        const auto [b, rateB] = points[i + 1];
        if (!(rateA >= 0.0 && rateB < 0.0))
            continue;
        const double turnMin =
            BrentRoot([this](double minutes) { return Look(minutes).ElevationRateDegPerS(); }, a, b,
                      rateA, rateB);
        const double turnElevationDeg = Look(turnMin).ElevationDeg();
        if (turnElevationDeg > peakElevationDeg) {
            peakMin = turnMin;
            peakElevationDeg = turnElevationDeg;
        }
    }
    // Every sample taken while up is above the threshold, so none may beat the peak. One does
    // only when the motion is too far from an orbit for the turns to show (elements far past
    // their decay) or when the turn lies within the tolerance of an end.
    const auto highest = std::max_element(
        path.begin(), path.end(), [](const auto& a, const auto& b) { return a.Excess < b.Excess; });
    if (highest->Excess + FMinElevationDeg > peakElevationDeg) {
        peakMin = highest->Minutes;
        peakElevationDeg = Look(peakMin).ElevationDeg();
    }
    TPass pass;
    pass.Rise = FEpoch + riseMin / MinutesPerDay;
    pass.Set = FEpoch + setMin / MinutesPerDay;
    pass.Peak = FEpoch + peakMin / MinutesPerDay;
    pass.PeakElevationDeg = peakElevationDeg;
    pass.PeakAzimuthDeg = Look(peakMin).AzimuthDeg();
    pass.RiseAzimuthDeg = FObserver.Look(rise.EarthFixedKm, rise.EarthFixedKmPerS).AzimuthDeg();
    pass.SetAzimuthDeg = FObserver.Look(set.EarthFixedKm, set.EarthFixedKmPerS).AzimuthDeg();
    pass.Northbound =
        GeodeticLatitudeDeg(set.EarthFixedKm) > GeodeticLatitudeDeg(rise.EarthFixedKm);
    return pass;
}

std::vector<TPass> TPassFinder::Find(TDateTime from, TDateTime to) {
    std::vector<TPass> passes;
    const double fromMin = (from - FEpoch) * MinutesPerDay;
    const double toMin = (to - FEpoch) * MinutesPerDay;
    const double setLimitMin = toMin + SetSearchDays * MinutesPerDay;
    try {
        TSample sample = Sample(fromMin);
        double crossingMin = 0.0;
        // A pass under way at the start is not ours: go past its set.
        if (sample.Excess >= 0.0 && !FindCrossing(sample, setLimitMin, crossingMin))
            return passes;
        double riseMin = 0.0, setMin = 0.0;
        while (FindCrossing(sample, toMin, riseMin) && riseMin < toMin) {
            // Taken now, while the root finder's last looks are still at hand.
            const TPosition rise = Locate(riseMin);
            std::vector<TSample> path{sample};
            if (!FindCrossing(sample, setLimitMin, setMin, &path))
                break;
            passes.push_back(MakePass(riseMin, rise, setMin, path));
        }
    } catch (const EPropagationFailed&) {
        // The orbit ends here; what was found before stands.
    }
    return passes;
}

} // namespace kestrune
