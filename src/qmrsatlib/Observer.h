#pragma once
// The station on the WGS-84 ellipsoid and what it sees: the rotation from the propagator's TEME
// frame to Earth-fixed axes (GMST 1982, UT1 taken as UTC, no polar motion), topocentric
// elevation and azimuth without refraction, and the geodetic latitude under a satellite.

#include <cmath>

namespace kestrune {

struct TVector3 {
    double X = 0.0, Y = 0.0, Z = 0.0;
};

// The line of sight to a satellite and its rate in the station's east, north and up. Each angle
// is worked out when asked for: the pass search mostly wants only one of them.
class TLookAngles {
public:
    TLookAngles(const TVector3& sightKm, const TVector3& sightKmPerS);

    double ElevationDeg() const;
    double AzimuthDeg() const; // from true north through east, 0 <= a < 360
    double ElevationRateDegPerS() const;

private:
    TVector3 FSightKm;
    TVector3 FSightKmPerS;
    double FHorizontalKm; // the sight line's horizontal part, which elevation and rate share
};

// Earth's rotation rate, rad/s.
constexpr double EarthRotationRadPerS = 7.292115146706979e-5;

// The Earth turned by a sidereal angle: its cosine and sine, worked out once for every vector
// turned with it.
struct TEarthTurn {
    explicit TEarthTurn(double gmstRad) : Cos(std::cos(gmstRad)), Sin(std::sin(gmstRad)) {}
    double Cos, Sin;
};

// A TEME position in Earth-fixed axes, and back.
TVector3 TemeToEarthFixed(const TVector3& teme, const TEarthTurn& turn);
TVector3 EarthFixedToTeme(const TVector3& earthFixed, const TEarthTurn& turn);
// A TEME velocity relative to the Earth-fixed axes at the Earth-fixed position.
TVector3 TemeVelocityToEarthFixed(const TVector3& temeKmPerS, const TVector3& earthFixedKm,
                                  const TEarthTurn& turn);

// Geodetic (WGS-84) latitude of the point below an Earth-fixed position, degrees.
double GeodeticLatitudeDeg(const TVector3& earthFixedKm);

class TObserver {
public:
    TObserver(double latitudeDeg, double longitudeDeg, double heightM);

    const TVector3& PositionKm() const { return FPositionKm; }
    // How a satellite at an Earth-fixed position moving with an Earth-fixed velocity is seen.
    TLookAngles Look(const TVector3& satelliteKm, const TVector3& satelliteKmPerS) const;

private:
    TVector3 FPositionKm;
    double FSinLat, FCosLat, FSinLon, FCosLon;
};

} // namespace kestrune
