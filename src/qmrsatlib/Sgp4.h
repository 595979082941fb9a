#pragma once
// SGP4/SDP4 orbit propagation from mean elements (the 2006 revision of the Spacetrack Report #3
// model, "improved" operation mode, WGS-72 constants). Positions and velocities come out in the
// TEME frame (true equator, mean equinox of date) in km and km/s.

#include <cstdint>

namespace kestrune {

// The mean elements of one two-line set as the propagator wants them.
struct TMeanElements {
    double EpochJulian = 0.0; // Julian date (UTC) of the epoch
    double BStar = 0.0;       // drag term, 1/Earth radii
    double InclinationRad = 0.0;
    double RaanRad = 0.0;
    double Eccentricity = 0.0;
    double ArgPerigeeRad = 0.0;
    double MeanAnomalyRad = 0.0;
    double MeanMotionRadPerMin = 0.0; // as published (Kozai mean motion)
};

struct TStateVector {
    double PositionKm[3] = {0.0, 0.0, 0.0};
    double VelocityKmPerS[3] = {0.0, 0.0, 0.0};
};

// The model's failure codes; the numbers are the ones the published verification set uses.
enum class TSgp4Error : int {
    None = 0,
    MeanEccentricity = 1,      // mean eccentricity left 0 <= e < 1
    MeanMotion = 2,            // mean motion became negative
    PerturbedEccentricity = 3, // lunar-solar perturbed eccentricity left 0..1
    SemiLatusRectum = 4,       // semi-latus rectum below zero
    Decayed = 6,               // the orbit has come down into the Earth
    NotFinite = 7,             // the numbers ran out of range (no published counterpart)
};

// x less its whole turns, with the sign of x: std::fmod(x, 2 pi) to the bit, without the
// bit-by-bit quotient of glibc's fmod (a tenth of a propagation's instructions).
double ModTwoPi(double x);

// Greenwich mean sidereal time (IAU 1982) in radians 0..2 pi for a Julian date (UT1).
double GreenwichSiderealTime(double julianUt1);

class TSgp4 {
public:
    explicit TSgp4(const TMeanElements& elements);

    // The failure of the initialisation (a propagation to the epoch), None when usable.
    TSgp4Error InitError() const { return FInitError; }
    // State at minutesSinceEpoch; on failure the state is left alone.
    TSgp4Error Propagate(double minutesSinceEpoch, TStateVector& state);

    double EpochJulian() const { return FEpochJulian; }
    bool IsDeepSpace() const { return FDeepSpace; }
    // Mean semi-major axis (km) and eccentricity at the epoch.
    double SemiMajorAxisKm() const;
    double Eccentricity() const { return FEcco; }
    // How many times Propagate ran, for the benchmarks.
    std::uint64_t PropagationCount() const { return FPropagationCount; }

private:
    void InitDeepSpace(double epochDays1950, double eccsq);
    void DeepSpaceSecular(double t, double& em, double& argpm, double& inclm, double& mm,
                          double& nodem, double& nm);
    void DeepSpacePeriodic(double t, double& ep, double& inclp, double& nodep, double& argpp,
                           double& mp) const;

    std::uint64_t FPropagationCount = 0;
    TSgp4Error FInitError = TSgp4Error::None;
    bool FDeepSpace = false;
    bool FSimple = false;
    double FEpochJulian;
    // Elements at epoch (mean motion un-Kozai'd).
    double FBStar, FEcco, FInclo, FNodeo, FArgpo, FMo, FNo;
    double FSinio = 0, FCosio = 0;
    // Near-earth secular and drag coefficients.
    double FAo = 0, FCon41 = 0, FCc1 = 0, FCc4 = 0, FCc5 = 0, FD2 = 0, FD3 = 0, FD4 = 0;
    double FDelmo = 0, FEta = 0, FArgpdot = 0, FOmgcof = 0, FSinmao = 0, FT2cof = 0, FT3cof = 0;
    double FT4cof = 0, FT5cof = 0, FX1mth2 = 0, FX7thm1 = 0, FMdot = 0, FNodedot = 0, FXlcof = 0;
    double FXmcof = 0, FNodecf = 0, FAycof = 0, FGsto = 0;
    // Deep-space lunar-solar terms.
    double FE3 = 0, FEe2 = 0, FSe2 = 0, FSe3 = 0, FSgh2 = 0, FSgh3 = 0, FSgh4 = 0, FSh2 = 0;
    double FSh3 = 0, FSi2 = 0, FSi3 = 0, FSl2 = 0, FSl3 = 0, FSl4 = 0, FXgh2 = 0, FXgh3 = 0;
    double FXgh4 = 0, FXh2 = 0, FXh3 = 0, FXi2 = 0, FXi3 = 0, FXl2 = 0, FXl3 = 0, FXl4 = 0;
    double FZmol = 0, FZmos = 0;
    // Deep-space secular rates and resonance terms.
    int FResonance = 0; // 0 none, 1 one-day (synchronous), 2 half-day
    double FDedt = 0, FDidt = 0, FDmdt = 0, FDnodt = 0, FDomdt = 0;
    double FD2201 = 0, FD2211 = 0, FD3210 = 0, FD3222 = 0, FD4410 = 0, FD4422 = 0, FD5220 = 0;
    double FD5232 = 0, FD5421 = 0, FD5433 = 0, FDel1 = 0, FDel2 = 0, FDel3 = 0;
    double FXfact = 0, FXlamo = 0;
    // The resonance integrator's state: it carries on from its last step when time moves on.
    double FAtime = 0, FXli = 0, FXni = 0;
};

} // namespace kestrune
