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

TVector3 TemeToEarthFixed(const TVector3& teme, const TEarthTurn& turn) {
    return {turn.Cos * teme.X + turn.Sin * teme.Y, -turn.Sin * teme.X + turn.Cos * teme.Y, teme.Z};
}

TVector3 EarthFixedToTeme(const TVector3& earthFixed, const TEarthTurn& turn) {
    return {turn.Cos * earthFixed.X - turn.Sin * earthFixed.Y,
            turn.Sin * earthFixed.X + turn.Cos * earthFixed.Y, earthFixed.Z};
}

TVector3 TemeVelocityToEarthFixed(const TVector3& temeKmPerS, const TVector3& earthFixedKm,
                                  const TEarthTurn& turn) {
    const TVector3 rotated = TemeToEarthFixed(temeKmPerS, turn);
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
    return {toLocal(satellite.X - FPositionKm.X, satellite.Y - FPositionKm.Y,
                    satellite.Z - FPositionKm.Z),
            toLocal(velocity.X, velocity.Y, velocity.Z)};
}

TLookAngles::TLookAngles(const TVector3& sightKm, const TVector3& sightKmPerS)
    : FSightKm(sightKm), FSightKmPerS(sightKmPerS),
      FHorizontalKm(std::hypot(sightKm.X, sightKm.Y)) {}

double TLookAngles::ElevationDeg() const {
    return std::atan2(FSightKm.Z, FHorizontalKm) / DegToRad;
}

double TLookAngles::AzimuthDeg() const {
    double azimuthDeg = std::atan2(FSightKm.X, FSightKm.Y) / DegToRad;
    if (azimuthDeg < 0.0)
        azimuthDeg += 360.0;
    if (azimuthDeg >= 360.0)
        azimuthDeg -= 360.0;
    return azimuthDeg;
}

double TLookAngles::ElevationRateDegPerS() const {
    const double horizontal = FHorizontalKm;
    const double rangeSquared = horizontal * horizontal + FSightKm.Z * FSightKm.Z;
    if (!(horizontal > 0.0 && rangeSquared > 0.0))
        return 0.0;
    const double horizontalRate =
        (FSightKm.X * FSightKmPerS.X + FSightKm.Y * FSightKmPerS.Y) / horizontal;
    return (horizontal * FSightKmPerS.Z - FSightKm.Z * horizontalRate) / rangeSquared / DegToRad;
}

} // namespace kestrune
