#include "qmrsatlib/Observer.h"

#include <cmath>
#include <numbers>

namespace kestrune {

namespace {

constexpr double DegToRad = std::numbers::pi / 180.0;
constexpr double Wgs84EquatorKm = 6378.137;
constexpr double Wgs84Flattening = 1.0 / 298.257223563;
constexpr double Wgs84E2 = Wgs84Flattening * (2.0 - Wgs84Flattening);
constexpr double Wgs84PoleKm = Wgs84EquatorKm * (1.0 - Wgs84Flattening);

} // namespace

TVector3 TemeToEarthFixed(const TVector3& teme, double gmstRad) {
    const double c = std::cos(gmstRad);
    const double s = std::sin(gmstRad);
    return {c * teme.X + s * teme.Y, -s * teme.X + c * teme.Y, teme.Z};
}

TVector3 TemeVelocityToEarthFixed(const TVector3& temeKmPerS, const TVector3& earthFixedKm,
                                  double gmstRad) {
    const TVector3 rotated = TemeToEarthFixed(temeKmPerS, gmstRad);
    return {rotated.X + EarthRotationRadPerS * earthFixedKm.Y,
            rotated.Y - EarthRotationRadPerS * earthFixedKm.X, rotated.Z};
}

double GeodeticLatitudeDeg(const TVector3& r) {
    // Bowring's closed form; far better than a microdegree for anything above the ground.
    const double p = std::hypot(r.X, r.Y);
    const double ep2 = Wgs84E2 / (1.0 - Wgs84E2);
    const double theta = std::atan2(r.Z * Wgs84EquatorKm, p * Wgs84PoleKm);
    const double s = std::sin(theta);
    const double c = std::cos(theta);
    return std::atan2(r.Z + ep2 * Wgs84PoleKm * s * s * s,
                      p - Wgs84E2 * Wgs84EquatorKm * c * c * c) /
           DegToRad;
}

TObserver::TObserver(double latitudeDeg, double longitudeDeg, double heightM)
    : FSinLat(std::sin(latitudeDeg * DegToRad)), FCosLat(std::cos(latitudeDeg * DegToRad)),
      FSinLon(std::sin(longitudeDeg * DegToRad)), FCosLon(std::cos(longitudeDeg * DegToRad)) {
    const double n = Wgs84EquatorKm / std::sqrt(1.0 - Wgs84E2 * FSinLat * FSinLat);
    const double heightKm = heightM / 1000.0;
    FPositionKm = {(n + heightKm) * FCosLat * FCosLon, (n + heightKm) * FCosLat * FSinLon,
                   (n * (1.0 - Wgs84E2) + heightKm) * FSinLat};
}

TLookAngles TObserver::Look(const TVector3& satellite, const TVector3& velocity) const {
    // The line of sight and its rate in east, north, up.
    auto toLocal = [this](double dx, double dy, double dz) {
        return TVector3{-FSinLon * dx + FCosLon * dy,
                        -FSinLat * FCosLon * dx - FSinLat * FSinLon * dy + FCosLat * dz,
                        FCosLat * FCosLon * dx + FCosLat * FSinLon * dy + FSinLat * dz};
    };
    const TVector3 sight = toLocal(satellite.X - FPositionKm.X, satellite.Y - FPositionKm.Y,
                                   satellite.Z - FPositionKm.Z);
    const TVector3 rate = toLocal(velocity.X, velocity.Y, velocity.Z);
    const double horizontal = std::hypot(sight.X, sight.Y);
    const double rangeSquared = horizontal * horizontal + sight.Z * sight.Z;
    TLookAngles look;
    look.ElevationDeg = std::atan2(sight.Z, horizontal) / DegToRad;
    look.AzimuthDeg = std::atan2(sight.X, sight.Y) / DegToRad;
    if (look.AzimuthDeg < 0.0)
        look.AzimuthDeg += 360.0;
    if (look.AzimuthDeg >= 360.0)
        look.AzimuthDeg -= 360.0;
    if (horizontal > 0.0 && rangeSquared > 0.0) {
        const double horizontalRate = (sight.X * rate.X + sight.Y * rate.Y) / horizontal;
        look.ElevationRateDegPerS =
            (horizontal * rate.Z - sight.Z * horizontalRate) / rangeSquared / DegToRad;
    }
    return look;
}

} // namespace kestrune
