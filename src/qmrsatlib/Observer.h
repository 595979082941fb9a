#pragma once
// The station on the WGS-84 ellipsoid and what it sees: the rotation from the propagator's TEME
// frame to Earth-fixed axes (GMST 1982, UT1 taken as UTC, no polar motion), topocentric
// elevation and azimuth without refraction, and the geodetic latitude under a satellite.

namespace kestrune {

struct TVector3 {
    double X = 0.0, Y = 0.0, Z = 0.0;
};

struct TLookAngles {
    double ElevationDeg = 0.0;
    double AzimuthDeg = 0.0; // from true north through east, 0 <= a < 360
    double ElevationRateDegPerS = 0.0;
};

// Earth's rotation rate, rad/s.
constexpr double EarthRotationRadPerS = 7.292115146706979e-5;

// A TEME position in Earth-fixed axes, the Earth having turned by gmstRad.
TVector3 TemeToEarthFixed(const TVector3& teme, double gmstRad);
// A TEME velocity relative to the Earth-fixed axes at the Earth-fixed position.
TVector3 TemeVelocityToEarthFixed(const TVector3& temeKmPerS, const TVector3& earthFixedKm,
                                  double gmstRad);

// Geodetic (WGS-84) latitude of the point below an Earth-fixed position, degrees.
double GeodeticLatitudeDeg(const TVector3& earthFixedKm);

class TObserver {
public:
    TObserver(double latitudeDeg, double longitudeDeg, double heightM);

    const TVector3& PositionKm() const { return FPositionKm; }
    // Elevation, azimuth and elevation rate of a satellite at an Earth-fixed position moving
    // with an Earth-fixed velocity.
    TLookAngles Look(const TVector3& satelliteKm, const TVector3& satelliteKmPerS) const;

private:
    TVector3 FPositionKm;
    double FSinLat, FCosLat, FSinLon, FCosLon;
};

} // namespace kestrune
