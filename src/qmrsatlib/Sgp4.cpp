#include "qmrsatlib/Sgp4.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace kestrune {

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double TwoPi = 2.0 * Pi;
constexpr double X2o3 = 2.0 / 3.0;
// 2 pi as a sum: its leading 26 significant bits, and the rest (27 bits at most).
constexpr double TwoPiHigh =
    std::bit_cast<double>(std::bit_cast<std::uint64_t>(TwoPi) & ~((std::uint64_t{1} << 27) - 1));
constexpr double TwoPiLow = TwoPi - TwoPiHigh;

// WGS-72, as the model was fitted with.
constexpr double MuKm3PerS2 = 398600.8;
constexpr double EarthRadiusKm = 6378.135;
constexpr double J2 = 0.001082616;
constexpr double J3 = -0.00000253881;
constexpr double J4 = -0.00000165597;
constexpr double J3oJ2 = J3 / J2;
const double Xke = 60.0 / std::sqrt(EarthRadiusKm * EarthRadiusKm * EarthRadiusKm / MuKm3PerS2);

// Lunar and solar quantities that the deep-space initialisation shares between its steps.
struct TDeepSpaceCommon {
    double Snodm, Cnodm, Sinim, Cosim, Sinomm, Cosomm, Day, Em, Emsq, Gam, Rtemsq;
    double S1, S2, S3, S4, S5, S6, S7, Ss1, Ss2, Ss3, Ss4, Ss5, Ss6, Ss7;
    double Sz1, Sz2, Sz3, Sz11, Sz12, Sz13, Sz21, Sz22, Sz23, Sz31, Sz32, Sz33;
    double Z1, Z2, Z3, Z11, Z12, Z13, Z21, Z22, Z23, Z31, Z32, Z33, Nm;
};

} // namespace

double ModTwoPi(double x) {
    // Below 2^26 turns the whole turns q = trunc(|x| / 2 pi) times 2 pi are exactly q TwoPiHigh +
    // q TwoPiLow (26 bits times 26 and 27), |x| - q TwoPiHigh is exact, and so is the last
    // subtraction, as the remainder is a double. A quotient rounded up to the next whole turn
    // leaves a remainder a hair below zero, which one 2 pi puts right, exactly too.
    const double magnitude = std::fabs(x);
    if (!(magnitude < 67108864.0 * TwoPi))
        return std::fmod(x, TwoPi);
    const double turns = static_cast<double>(static_cast<std::int64_t>(magnitude / TwoPi));
    double rest = (magnitude - turns * TwoPiHigh) - turns * TwoPiLow;
    if (rest < 0.0)
        rest += TwoPi;
    return std::copysign(rest, x);
}

double GreenwichSiderealTime(double julianUt1) {
    const double tut1 = (julianUt1 - 2451545.0) / 36525.0;
    double seconds = -6.2e-6 * tut1 * tut1 * tut1 + 0.093104 * tut1 * tut1 +
                     (876600.0 * 3600.0 + 8640184.812866) * tut1 + 67310.54841;
    double gmst = ModTwoPi(seconds * (Pi / 180.0) / 240.0);
    if (gmst < 0.0)
        gmst += TwoPi;
    return gmst;
}

TSgp4::TSgp4(const TMeanElements& elements)
    : FEpochJulian(elements.EpochJulian), FBStar(elements.BStar), FEcco(elements.Eccentricity),
      FInclo(elements.InclinationRad), FNodeo(elements.RaanRad), FArgpo(elements.ArgPerigeeRad),
      FMo(elements.MeanAnomalyRad), FNo(elements.MeanMotionRadPerMin) {
    // Recover the original mean motion and semi-major axis from the Kozai mean motion.
    const double eccsq = FEcco * FEcco;
    const double omeosq = 1.0 - eccsq;
    const double rteosq = std::sqrt(omeosq);
    FSinio = std::sin(FInclo);
    FCosio = std::cos(FInclo);
    const double cosio = FCosio;
    const double cosio2 = cosio * cosio;
    const double ak = std::pow(Xke / FNo, X2o3);
    const double d1 = 0.75 * J2 * (3.0 * cosio2 - 1.0) / (rteosq * omeosq);
    double del = d1 / (ak * ak);
    const double adel = ak * (1.0 - del * del - del * (1.0 / 3.0 + 134.0 * del * del / 81.0));
    del = d1 / (adel * adel);
    FNo = FNo / (1.0 + del);
    FAo = std::pow(Xke / FNo, X2o3);
    const double sinio = FSinio;
    const double po = FAo * omeosq;
    const double con42 = 1.0 - 5.0 * cosio2;
    FCon41 = -con42 - cosio2 - cosio2;
    const double posq = po * po;
    const double rp = FAo * (1.0 - FEcco);
    FGsto = GreenwichSiderealTime(FEpochJulian);

    if (!std::isfinite(FNo) || !std::isfinite(FAo)) {
        FInitError = TSgp4Error::NotFinite;
        return;
    }
    if (omeosq >= 0.0 || FNo >= 0.0) {
        FSimple = rp < 220.0 / EarthRadiusKm + 1.0;
        // Atmosphere parameters, lowered for low perigees.
        double sfour = 78.0 / EarthRadiusKm + 1.0;
        double qzms24 = std::pow((120.0 - 78.0) / EarthRadiusKm, 4.0);
        const double perigeeKm = (rp - 1.0) * EarthRadiusKm;
        if (perigeeKm < 156.0) {
            sfour = perigeeKm < 98.0 ? 20.0 : perigeeKm - 78.0;
            qzms24 = std::pow((120.0 - sfour) / EarthRadiusKm, 4.0);
            sfour = sfour / EarthRadiusKm + 1.0;
        }
        const double pinvsq = 1.0 / posq;
        const double tsi = 1.0 / (FAo - sfour);
        FEta = FAo * FEcco * tsi;
        const double etasq = FEta * FEta;
        const double eeta = FEcco * FEta;
        const double psisq = std::fabs(1.0 - etasq);
        const double coef = qzms24 * std::pow(tsi, 4.0);
        const double coef1 = coef / std::pow(psisq, 3.5);
        const double cc2 =
            coef1 * FNo *
            (FAo * (1.0 + 1.5 * etasq + eeta * (4.0 + etasq)) +
             0.375 * J2 * tsi / psisq * FCon41 * (8.0 + 3.0 * etasq * (8.0 + etasq)));
        FCc1 = FBStar * cc2;
        double cc3 = 0.0;
        if (FEcco > 1.0e-4)
            cc3 = -2.0 * coef * tsi * J3oJ2 * FNo * sinio / FEcco;
        FX1mth2 = 1.0 - cosio2;
        FCc4 =
            2.0 * FNo * coef1 * FAo * omeosq *
            (FEta * (2.0 + 0.5 * etasq) + FEcco * (0.5 + 2.0 * etasq) -
             J2 * tsi / (FAo * psisq) *
                 (-3.0 * FCon41 * (1.0 - 2.0 * eeta + etasq * (1.5 - 0.5 * eeta)) +
                  0.75 * FX1mth2 * (2.0 * etasq - eeta * (1.0 + etasq)) * std::cos(2.0 * FArgpo)));
        FCc5 = 2.0 * coef1 * FAo * omeosq * (1.0 + 2.75 * (etasq + eeta) + eeta * etasq);
        const double cosio4 = cosio2 * cosio2;
        const double temp1 = 1.5 * J2 * pinvsq * FNo;
        const double temp2 = 0.5 * temp1 * J2 * pinvsq;
        const double temp3 = -0.46875 * J4 * pinvsq * pinvsq * FNo;
        FMdot = FNo + 0.5 * temp1 * rteosq * FCon41 +
                0.0625 * temp2 * rteosq * (13.0 - 78.0 * cosio2 + 137.0 * cosio4);
        FArgpdot = -0.5 * temp1 * con42 + 0.0625 * temp2 * (7.0 - 114.0 * cosio2 + 395.0 * cosio4) +
                   temp3 * (3.0 - 36.0 * cosio2 + 49.0 * cosio4);
        const double xhdot1 = -temp1 * cosio;
        FNodedot =
            xhdot1 +
            (0.5 * temp2 * (4.0 - 19.0 * cosio2) + 2.0 * temp3 * (3.0 - 7.0 * cosio2)) * cosio;
        FOmgcof = FBStar * cc3 * std::cos(FArgpo);
        if (FEcco > 1.0e-4)
            FXmcof = -X2o3 * coef * FBStar / eeta;
        FNodecf = 3.5 * omeosq * xhdot1 * FCc1;
        FT2cof = 1.5 * FCc1;
        // Avoids a division by zero for an inclination of 180 degrees.
        const double cosio1 = std::fabs(cosio + 1.0) > 1.5e-12 ? 1.0 + cosio : 1.5e-12;
        FXlcof = -0.25 * J3oJ2 * sinio * (3.0 + 5.0 * cosio) / cosio1;
        FAycof = -0.5 * J3oJ2 * sinio;
        FDelmo = std::pow(1.0 + FEta * std::cos(FMo), 3.0);
        FSinmao = std::sin(FMo);
        FX7thm1 = 7.0 * cosio2 - 1.0;

        // Periods of 225 minutes and more take the deep-space terms.
        if (TwoPi / FNo >= 225.0) {
            FDeepSpace = true;
            FSimple = true;
            InitDeepSpace(FEpochJulian - 2433281.5, eccsq);
        }
        if (!FSimple) {
            const double cc1sq = FCc1 * FCc1;
            FD2 = 4.0 * FAo * tsi * cc1sq;
            const double temp = FD2 * tsi * FCc1 / 3.0;
            FD3 = (17.0 * FAo + sfour) * temp;
            FD4 = 0.5 * temp * FAo * tsi * (221.0 * FAo + 31.0 * sfour) * FCc1;
            FT3cof = FD2 + 2.0 * cc1sq;
            FT4cof = 0.25 * (3.0 * FD3 + FCc1 * (12.0 * FD2 + 10.0 * cc1sq));
            FT5cof = 0.2 * (3.0 * FD4 + 12.0 * FCc1 * FD3 + 6.0 * FD2 * FD2 +
                            15.0 * cc1sq * (2.0 * FD2 + cc1sq));
        }
    }
    TStateVector state;
    FInitError = Propagate(0.0, state);
    FPropagationCount = 0;
}

double TSgp4::SemiMajorAxisKm() const {
    return FAo * EarthRadiusKm;
}

void TSgp4::InitDeepSpace(double epochDays1950, double eccsq) {
    // Lunar-solar terms of the epoch.
    constexpr double Zes = 0.01675;
    constexpr double Zel = 0.05490;
    constexpr double C1ss = 2.9864797e-6;
    constexpr double C1l = 4.7968065e-7;
    constexpr double Zsinis = 0.39785416;
    constexpr double Zcosis = 0.91744867;
    constexpr double Zcosgs = 0.1945905;
    constexpr double Zsings = -0.98088458;

    TDeepSpaceCommon c{};
    c.Nm = FNo;
    c.Em = FEcco;
    c.Snodm = std::sin(FNodeo);
    c.Cnodm = std::cos(FNodeo);
    c.Sinomm = std::sin(FArgpo);
    c.Cosomm = std::cos(FArgpo);
    c.Sinim = std::sin(FInclo);
    c.Cosim = std::cos(FInclo);
    c.Emsq = c.Em * c.Em;
    const double betasq = 1.0 - c.Emsq;
    c.Rtemsq = std::sqrt(betasq);

    c.Day = epochDays1950 + 18261.5;
    const double xnodce = ModTwoPi(4.5236020 - 9.2422029e-4 * c.Day);
    const double stem = std::sin(xnodce);
    const double ctem = std::cos(xnodce);
    const double zcosil = 0.91375164 - 0.03568096 * ctem;
    const double zsinil = std::sqrt(1.0 - zcosil * zcosil);
    const double zsinhl = 0.089683511 * stem / zsinil;
    const double zcoshl = std::sqrt(1.0 - zsinhl * zsinhl);
    c.Gam = 5.8351514 + 0.0019443680 * c.Day;
    double zx = 0.39785416 * stem / zsinil;
    const double zy = zcoshl * ctem + 0.91744867 * zsinhl * stem;
    zx = std::atan2(zx, zy);
    zx = c.Gam + zx - xnodce;
    const double zcosgl = std::cos(zx);
    const double zsingl = std::sin(zx);

    // First the sun, then the moon.
    double zcosg = Zcosgs, zsing = Zsings, zcosi = Zcosis, zsini = Zsinis;
    double zcosh = c.Cnodm, zsinh = c.Snodm, cc = C1ss;
    const double xnoi = 1.0 / c.Nm;
    for (int body = 0; body < 2; ++body) {
        const double a1 = zcosg * zcosh + zsing * zcosi * zsinh;
        const double a3 = -zsing * zcosh + zcosg * zcosi * zsinh;
        const double a7 = -zcosg * zsinh + zsing * zcosi * zcosh;
        const double a8 = zsing * zsini;
        const double a9 = zsing * zsinh + zcosg * zcosi * zcosh;
        const double a10 = zcosg * zsini;
        const double a2 = c.Cosim * a7 + c.Sinim * a8;
        const double a4 = c.Cosim * a9 + c.Sinim * a10;
        const double a5 = -c.Sinim * a7 + c.Cosim * a8;
        const double a6 = -c.Sinim * a9 + c.Cosim * a10;

        const double x1 = a1 * c.Cosomm + a2 * c.Sinomm;
        const double x2 = a3 * c.Cosomm + a4 * c.Sinomm;
        const double x3 = -a1 * c.Sinomm + a2 * c.Cosomm;
        const double x4 = -a3 * c.Sinomm + a4 * c.Cosomm;
        const double x5 = a5 * c.Sinomm;
        const double x6 = a6 * c.Sinomm;
        const double x7 = a5 * c.Cosomm;
        const double x8 = a6 * c.Cosomm;

        const double z31 = 12.0 * x1 * x1 - 3.0 * x3 * x3;
        const double z32 = 24.0 * x1 * x2 - 6.0 * x3 * x4;
        const double z33 = 12.0 * x2 * x2 - 3.0 * x4 * x4;
        double z1 = 3.0 * (a1 * a1 + a2 * a2) + z31 * c.Emsq;
        double z2 = 6.0 * (a1 * a3 + a2 * a4) + z32 * c.Emsq;
        double z3 = 3.0 * (a3 * a3 + a4 * a4) + z33 * c.Emsq;
        const double z11 = -6.0 * a1 * a5 + c.Emsq * (-24.0 * x1 * x7 - 6.0 * x3 * x5);
        const double z12 = -6.0 * (a1 * a6 + a3 * a5) +
                           c.Emsq * (-24.0 * (x2 * x7 + x1 * x8) - 6.0 * (x3 * x6 + x4 * x5));
        const double z13 = -6.0 * a3 * a6 + c.Emsq * (-24.0 * x2 * x8 - 6.0 * x4 * x6);
        const double z21 = 6.0 * a2 * a5 + c.Emsq * (24.0 * x1 * x5 - 6.0 * x3 * x7);
        const double z22 = 6.0 * (a4 * a5 + a2 * a6) +
                           c.Emsq * (24.0 * (x2 * x5 + x1 * x6) - 6.0 * (x4 * x7 + x3 * x8));
        const double z23 = 6.0 * a4 * a6 + c.Emsq * (24.0 * x2 * x6 - 6.0 * x4 * x8);
        z1 = z1 + z1 + betasq * z31;
        z2 = z2 + z2 + betasq * z32;
        z3 = z3 + z3 + betasq * z33;
        const double s3 = cc * xnoi;
        const double s2 = -0.5 * s3 / c.Rtemsq;
        const double s4 = s3 * c.Rtemsq;
        const double s1 = -15.0 * c.Em * s4;
        const double s5 = x1 * x3 + x2 * x4;
        const double s6 = x2 * x3 + x1 * x4;
        const double s7 = x2 * x4 - x1 * x3;
        if (body == 0) {
            c.Ss1 = s1, c.Ss2 = s2, c.Ss3 = s3, c.Ss4 = s4, c.Ss5 = s5, c.Ss6 = s6, c.Ss7 = s7;
            c.Sz1 = z1, c.Sz2 = z2, c.Sz3 = z3;
            c.Sz11 = z11, c.Sz12 = z12, c.Sz13 = z13;
            c.Sz21 = z21, c.Sz22 = z22, c.Sz23 = z23;
            c.Sz31 = z31, c.Sz32 = z32, c.Sz33 = z33;
            zcosg = zcosgl;
            zsing = zsingl;
            zcosi = zcosil;
            zsini = zsinil;
            zcosh = zcoshl * c.Cnodm + zsinhl * c.Snodm;
            zsinh = c.Snodm * zcoshl - c.Cnodm * zsinhl;
            cc = C1l;
        } else {
            c.S1 = s1, c.S2 = s2, c.S3 = s3, c.S4 = s4, c.S5 = s5, c.S6 = s6, c.S7 = s7;
            c.Z1 = z1, c.Z2 = z2, c.Z3 = z3;
            c.Z11 = z11, c.Z12 = z12, c.Z13 = z13;
            c.Z21 = z21, c.Z22 = z22, c.Z23 = z23;
            c.Z31 = z31, c.Z32 = z32, c.Z33 = z33;
        }
    }
    FZmol = ModTwoPi(4.7199672 + 0.22997150 * c.Day - c.Gam);
    FZmos = ModTwoPi(6.2565837 + 0.017201977 * c.Day);

    // Periodic coefficients: sun.
    FSe2 = 2.0 * c.Ss1 * c.Ss6;
    FSe3 = 2.0 * c.Ss1 * c.Ss7;
    FSi2 = 2.0 * c.Ss2 * c.Sz12;
    FSi3 = 2.0 * c.Ss2 * (c.Sz13 - c.Sz11);
    FSl2 = -2.0 * c.Ss3 * c.Sz2;
    FSl3 = -2.0 * c.Ss3 * (c.Sz3 - c.Sz1);
    FSl4 = -2.0 * c.Ss3 * (-21.0 - 9.0 * c.Emsq) * Zes;
    FSgh2 = 2.0 * c.Ss4 * c.Sz32;
    FSgh3 = 2.0 * c.Ss4 * (c.Sz33 - c.Sz31);
    FSgh4 = -18.0 * c.Ss4 * Zes;
    FSh2 = -2.0 * c.Ss2 * c.Sz22;
    FSh3 = -2.0 * c.Ss2 * (c.Sz23 - c.Sz21);
    // Moon.
    FEe2 = 2.0 * c.S1 * c.S6;
    FE3 = 2.0 * c.S1 * c.S7;
    FXi2 = 2.0 * c.S2 * c.Z12;
    FXi3 = 2.0 * c.S2 * (c.Z13 - c.Z11);
    FXl2 = -2.0 * c.S3 * c.Z2;
    FXl3 = -2.0 * c.S3 * (c.Z3 - c.Z1);
    FXl4 = -2.0 * c.S3 * (-21.0 - 9.0 * c.Emsq) * Zel;
    FXgh2 = 2.0 * c.S4 * c.Z32;
    FXgh3 = 2.0 * c.S4 * (c.Z33 - c.Z31);
    FXgh4 = -18.0 * c.S4 * Zel;
    FXh2 = -2.0 * c.S2 * c.Z22;
    FXh3 = -2.0 * c.S2 * (c.Z23 - c.Z21);

    // Secular rates and resonance terms.
    constexpr double Q22 = 1.7891679e-6;
    constexpr double Q31 = 2.1460748e-6;
    constexpr double Q33 = 2.2123015e-7;
    constexpr double Root22 = 1.7891679e-6;
    constexpr double Root44 = 7.3636953e-9;
    constexpr double Root54 = 2.1765803e-9;
    constexpr double Rptim = 4.37526908801129966e-3; // Earth's rotation, rad/min
    constexpr double Root32 = 3.7393792e-7;
    constexpr double Root52 = 1.1428639e-7;
    constexpr double Znl = 1.5835218e-4;
    constexpr double Zns = 1.19459e-5;

    const double nm = c.Nm;
    double em = c.Em;
    double emsq = c.Emsq;
    if (nm < 0.0052359877 && nm > 0.0034906585)
        FResonance = 1;
    if (nm >= 8.26e-3 && nm <= 9.24e-3 && em >= 0.5)
        FResonance = 2;

    const double inclm = FInclo;
    const bool nearEquatorial = inclm < 5.2359877e-2 || inclm > Pi - 5.2359877e-2;
    const double ses = c.Ss1 * Zns * c.Ss5;
    const double sis = c.Ss2 * Zns * (c.Sz11 + c.Sz13);
    const double sls = -Zns * c.Ss3 * (c.Sz1 + c.Sz3 - 14.0 - 6.0 * emsq);
    const double sghs = c.Ss4 * Zns * (c.Sz31 + c.Sz33 - 6.0);
    double shs = -Zns * c.Ss2 * (c.Sz21 + c.Sz23);
    if (nearEquatorial)
        shs = 0.0;
    if (c.Sinim != 0.0)
        shs = shs / c.Sinim;
    const double sgs = sghs - c.Cosim * shs;

    FDedt = ses + c.S1 * Znl * c.S5;
    FDidt = sis + c.S2 * Znl * (c.Z11 + c.Z13);
    FDmdt = sls - Znl * c.S3 * (c.Z1 + c.Z3 - 14.0 - 6.0 * emsq);
    const double sghl = c.S4 * Znl * (c.Z31 + c.Z33 - 6.0);
    double shll = -Znl * c.S2 * (c.Z21 + c.Z23);
    if (nearEquatorial)
        shll = 0.0;
    FDomdt = sgs + sghl;
    FDnodt = shs;
    if (c.Sinim != 0.0) {
        FDomdt = FDomdt - c.Cosim / c.Sinim * shll;
        FDnodt = FDnodt + shll / c.Sinim;
    }

    const double theta = ModTwoPi(FGsto);
    if (FResonance != 0) {
        const double aonv = std::pow(nm / Xke, X2o3);
        if (FResonance == 2) {
            // Half-day orbits (Molniya type).
            const double cosisq = c.Cosim * c.Cosim;
            em = FEcco;
            emsq = eccsq;
            const double eoc = em * emsq;
            const double g201 = -0.306 - (em - 0.64) * 0.440;
            double g211, g310, g322, g410, g422, g520, g521, g532, g533;
            if (em <= 0.65) {
                g211 = 3.616 - 13.2470 * em + 16.2900 * emsq;
                g310 = -19.302 + 117.3900 * em - 228.4190 * emsq + 156.5910 * eoc;
                g322 = -18.9068 + 109.7927 * em - 214.6334 * emsq + 146.5816 * eoc;
                g410 = -41.122 + 242.6940 * em - 471.0940 * emsq + 313.9530 * eoc;
                g422 = -146.407 + 841.8800 * em - 1629.014 * emsq + 1083.4350 * eoc;
                g520 = -532.114 + 3017.977 * em - 5740.032 * emsq + 3708.2760 * eoc;
            } else {
                g211 = -72.099 + 331.819 * em - 508.738 * emsq + 266.724 * eoc;
                g310 = -346.844 + 1582.851 * em - 2415.925 * emsq + 1246.113 * eoc;
                g322 = -342.585 + 1554.908 * em - 2366.899 * emsq + 1215.972 * eoc;
                g410 = -1052.797 + 4758.686 * em - 7193.992 * emsq + 3651.957 * eoc;
                g422 = -3581.690 + 16178.110 * em - 24462.770 * emsq + 12422.520 * eoc;
                if (em > 0.715)
                    g520 = -5149.66 + 29936.92 * em - 54087.36 * emsq + 31324.56 * eoc;
                else
                    g520 = 1464.74 - 4664.75 * em + 3763.64 * emsq;
            }
            if (em < 0.7) {
                g533 = -919.22770 + 4988.6100 * em - 9064.7700 * emsq + 5542.21 * eoc;
                g521 = -822.71072 + 4568.6173 * em - 8491.4146 * emsq + 5337.524 * eoc;
                g532 = -853.66600 + 4690.2500 * em - 8624.7700 * emsq + 5341.4 * eoc;
            } else {
                g533 = -37995.780 + 161616.52 * em - 229838.20 * emsq + 109377.94 * eoc;
                g521 = -51752.104 + 218913.95 * em - 309468.16 * emsq + 146349.42 * eoc;
                g532 = -40023.880 + 170470.89 * em - 242699.48 * emsq + 115605.82 * eoc;
            }
            const double sini2 = c.Sinim * c.Sinim;
            const double f220 = 0.75 * (1.0 + 2.0 * c.Cosim + cosisq);
            const double f221 = 1.5 * sini2;
            const double f321 = 1.875 * c.Sinim * (1.0 - 2.0 * c.Cosim - 3.0 * cosisq);
            const double f322 = -1.875 * c.Sinim * (1.0 + 2.0 * c.Cosim - 3.0 * cosisq);
            const double f441 = 35.0 * sini2 * f220;
            const double f442 = 39.3750 * sini2 * sini2;
            const double f522 = 9.84375 * c.Sinim *
                                (sini2 * (1.0 - 2.0 * c.Cosim - 5.0 * cosisq) +
                                 0.33333333 * (-2.0 + 4.0 * c.Cosim + 6.0 * cosisq));
            const double f523 =
                c.Sinim * (4.92187512 * sini2 * (-2.0 - 4.0 * c.Cosim + 10.0 * cosisq) +
                           6.56250012 * (1.0 + 2.0 * c.Cosim - 3.0 * cosisq));
            const double f542 =
                29.53125 * c.Sinim *
                (2.0 - 8.0 * c.Cosim + cosisq * (-12.0 + 8.0 * c.Cosim + 10.0 * cosisq));
            const double f543 =
                29.53125 * c.Sinim *
                (-2.0 - 8.0 * c.Cosim + cosisq * (12.0 + 8.0 * c.Cosim - 10.0 * cosisq));
            const double xno2 = nm * nm;
            const double ainv2 = aonv * aonv;
            double temp1 = 3.0 * xno2 * ainv2;
            double temp = temp1 * Root22;
            FD2201 = temp * f220 * g201;
            FD2211 = temp * f221 * g211;
            temp1 = temp1 * aonv;
            temp = temp1 * Root32;
            FD3210 = temp * f321 * g310;
            FD3222 = temp * f322 * g322;
            temp1 = temp1 * aonv;
            temp = 2.0 * temp1 * Root44;
            FD4410 = temp * f441 * g410;
            FD4422 = temp * f442 * g422;
            temp1 = temp1 * aonv;
            temp = temp1 * Root52;
            FD5220 = temp * f522 * g520;
            FD5232 = temp * f523 * g532;
            temp = 2.0 * temp1 * Root54;
            FD5421 = temp * f542 * g521;
            FD5433 = temp * f543 * g533;
            FXlamo = ModTwoPi(FMo + FNodeo + FNodeo - theta - theta);
            FXfact = FMdot + FDmdt + 2.0 * (FNodedot + FDnodt - Rptim) - FNo;
            em = c.Em;
            emsq = c.Emsq;
        } else {
            // One-day orbits (geosynchronous).
            const double g200 = 1.0 + emsq * (-2.5 + 0.8125 * emsq);
            const double g310 = 1.0 + 2.0 * emsq;
            const double g300 = 1.0 + emsq * (-6.0 + 6.60937 * emsq);
            const double f220 = 0.75 * (1.0 + c.Cosim) * (1.0 + c.Cosim);
            const double f311 =
                0.9375 * c.Sinim * c.Sinim * (1.0 + 3.0 * c.Cosim) - 0.75 * (1.0 + c.Cosim);
            double f330 = 1.0 + c.Cosim;
            f330 = 1.875 * f330 * f330 * f330;
            FDel1 = 3.0 * nm * nm * aonv * aonv;
            FDel2 = 2.0 * FDel1 * f220 * g200 * Q22;
            FDel3 = 3.0 * FDel1 * f330 * g300 * Q33 * aonv;
            FDel1 = FDel1 * f311 * g310 * Q31 * aonv;
            FXlamo = ModTwoPi(FMo + FNodeo + FArgpo - theta);
            FXfact = FMdot + (FArgpdot + FNodedot) - Rptim + FDmdt + FDomdt + FDnodt - FNo;
        }
        FXli = FXlamo;
        FXni = FNo;
        FAtime = 0.0;
    }
}

void TSgp4::DeepSpaceSecular(double t, double& em, double& argpm, double& inclm, double& mm,
                             double& nodem, double& nm) {
    constexpr double Fasx2 = 0.13130908;
    constexpr double Fasx4 = 2.8843198;
    constexpr double Fasx6 = 0.37448087;
    constexpr double G22 = 5.7686396;
    constexpr double G32 = 0.95240898;
    constexpr double G44 = 1.8014998;
    constexpr double G52 = 1.0508330;
    constexpr double G54 = 4.4108898;
    constexpr double Rptim = 4.37526908801129966e-3;
    constexpr double StepMin = 720.0;
    constexpr double Step2 = 259200.0; // StepMin * StepMin / 2

    const double theta = ModTwoPi(FGsto + t * Rptim);
    em = em + FDedt * t;
    inclm = inclm + FDidt * t;
    argpm = argpm + FDomdt * t;
    nodem = nodem + FDnodt * t;
    mm = mm + FDmdt * t;
    if (FResonance == 0)
        return;

    // The resonance integrator restarts at the epoch when time went back or changed sign.
    if (FAtime == 0.0 || t * FAtime <= 0.0 || std::fabs(t) < std::fabs(FAtime)) {
        FAtime = 0.0;
        FXni = FNo;
        FXli = FXlamo;
    }
    const double delt = t > 0.0 ? StepMin : -StepMin;
    double ft = 0.0;
    double xndt = 0.0, xldot = 0.0, xnddt = 0.0;
    for (;;) {
        if (FResonance != 2) {
            xndt = FDel1 * std::sin(FXli - Fasx2) + FDel2 * std::sin(2.0 * (FXli - Fasx4)) +
                   FDel3 * std::sin(3.0 * (FXli - Fasx6));
            xldot = FXni + FXfact;
            xnddt = FDel1 * std::cos(FXli - Fasx2) + 2.0 * FDel2 * std::cos(2.0 * (FXli - Fasx4)) +
                    3.0 * FDel3 * std::cos(3.0 * (FXli - Fasx6));
            xnddt = xnddt * xldot;
        } else {
            const double xomi = FArgpo + FArgpdot * FAtime;
            const double x2omi = xomi + xomi;
            const double x2li = FXli + FXli;
            xndt = FD2201 * std::sin(x2omi + FXli - G22) + FD2211 * std::sin(FXli - G22) +
                   FD3210 * std::sin(xomi + FXli - G32) + FD3222 * std::sin(-xomi + FXli - G32) +
                   FD4410 * std::sin(x2omi + x2li - G44) + FD4422 * std::sin(x2li - G44) +
                   FD5220 * std::sin(xomi + FXli - G52) + FD5232 * std::sin(-xomi + FXli - G52) +
                   FD5421 * std::sin(xomi + x2li - G54) + FD5433 * std::sin(-xomi + x2li - G54);
            xldot = FXni + FXfact;
            xnddt = FD2201 * std::cos(x2omi + FXli - G22) + FD2211 * std::cos(FXli - G22) +
                    FD3210 * std::cos(xomi + FXli - G32) + FD3222 * std::cos(-xomi + FXli - G32) +
                    FD5220 * std::cos(xomi + FXli - G52) + FD5232 * std::cos(-xomi + FXli - G52) +
                    2.0 * (FD4410 * std::cos(x2omi + x2li - G44) + FD4422 * std::cos(x2li - G44) +
                           FD5421 * std::cos(xomi + x2li - G54) +
                           FD5433 * std::cos(-xomi + x2li - G54));
            xnddt = xnddt * xldot;
        }
        if (!(std::fabs(t - FAtime) >= StepMin)) {
            ft = t - FAtime;
            break;
        }
        FXli = FXli + xldot * delt + xndt * Step2;
        FXni = FXni + xndt * delt + xnddt * Step2;
        FAtime = FAtime + delt;
    }
    nm = FXni + xndt * ft + xnddt * ft * ft * 0.5;
    const double xl = FXli + xldot * ft + xndt * ft * ft * 0.5;
    if (FResonance != 1)
        mm = xl - 2.0 * nodem + 2.0 * theta;
    else
        mm = xl - nodem - argpm + theta;
}

void TSgp4::DeepSpacePeriodic(double t, double& ep, double& inclp, double& nodep, double& argpp,
                              double& mp) const {
    constexpr double Zns = 1.19459e-5;
    constexpr double Zes = 0.01675;
    constexpr double Znl = 1.5835218e-4;
    constexpr double Zel = 0.05490;

    double zm = FZmos + Zns * t;
    double zf = zm + 2.0 * Zes * std::sin(zm);
    double sinzf = std::sin(zf);
    double f2 = 0.5 * sinzf * sinzf - 0.25;
    double f3 = -0.5 * sinzf * std::cos(zf);
    const double ses = FSe2 * f2 + FSe3 * f3;
    const double sis = FSi2 * f2 + FSi3 * f3;
    const double sls = FSl2 * f2 + FSl3 * f3 + FSl4 * sinzf;
    const double sghs = FSgh2 * f2 + FSgh3 * f3 + FSgh4 * sinzf;
    const double shs = FSh2 * f2 + FSh3 * f3;
    zm = FZmol + Znl * t;
    zf = zm + 2.0 * Zel * std::sin(zm);
    sinzf = std::sin(zf);
    f2 = 0.5 * sinzf * sinzf - 0.25;
    f3 = -0.5 * sinzf * std::cos(zf);
    const double sel = FEe2 * f2 + FE3 * f3;
    const double sil = FXi2 * f2 + FXi3 * f3;
    const double sll = FXl2 * f2 + FXl3 * f3 + FXl4 * sinzf;
    const double sghl = FXgh2 * f2 + FXgh3 * f3 + FXgh4 * sinzf;
    const double shll = FXh2 * f2 + FXh3 * f3;
    // The epoch's own periodic values are zero in this revision of the model.
    const double pe = ses + sel;
    const double pinc = sis + sil;
    const double pl = sls + sll;
    double pgh = sghs + sghl;
    double ph = shs + shll;

    inclp = inclp + pinc;
    ep = ep + pe;
    const double sinip = std::sin(inclp);
    const double cosip = std::cos(inclp);
    if (inclp >= 0.2) {
        ph = ph / sinip;
        pgh = pgh - cosip * ph;
        argpp = argpp + pgh;
        nodep = nodep + ph;
        mp = mp + pl;
    } else {
        // Lyddane's modification for low inclinations.
        const double sinop = std::sin(nodep);
        const double cosop = std::cos(nodep);
        double alfdp = sinip * sinop;
        double betdp = sinip * cosop;
        const double dalf = ph * cosop + pinc * cosip * sinop;
        const double dbet = -ph * sinop + pinc * cosip * cosop;
        alfdp = alfdp + dalf;
        betdp = betdp + dbet;
        nodep = ModTwoPi(nodep);
        double xls = mp + argpp + cosip * nodep;
        const double dls = pl + pgh - pinc * nodep * sinip;
        xls = xls + dls;
        const double xnoh = nodep;
        nodep = std::atan2(alfdp, betdp);
        if (std::fabs(xnoh - nodep) > Pi)
            nodep = nodep < xnoh ? nodep + TwoPi : nodep - TwoPi;
        mp = mp + pl;
        argpp = xls - mp - cosip * nodep;
    }
}

TSgp4Error TSgp4::Propagate(double t, TStateVector& state) {
    ++FPropagationCount;
    if (FInitError == TSgp4Error::NotFinite || !std::isfinite(t))
        return TSgp4Error::NotFinite;
    const double vkmpersec = EarthRadiusKm * Xke / 60.0;

    // Secular gravity and atmospheric drag.
    const double xmdf = FMo + FMdot * t;
    const double argpdf = FArgpo + FArgpdot * t;
    const double nodedf = FNodeo + FNodedot * t;
    double argpm = argpdf;
    double mm = xmdf;
    const double t2 = t * t;
    double nodem = nodedf + FNodecf * t2;
    double tempa = 1.0 - FCc1 * t;
    double tempe = FBStar * FCc4 * t;
    double templ = FT2cof * t2;
    if (!FSimple) {
        const double delomg = FOmgcof * t;
        const double delmtemp = 1.0 + FEta * std::cos(xmdf);
        const double delm = FXmcof * (delmtemp * delmtemp * delmtemp - FDelmo);
        const double temp = delomg + delm;
        mm = xmdf + temp;
        argpm = argpdf - temp;
        const double t3 = t2 * t;
        const double t4 = t3 * t;
        tempa = tempa - FD2 * t2 - FD3 * t3 - FD4 * t4;
        tempe = tempe + FBStar * FCc5 * (std::sin(mm) - FSinmao);
        templ = templ + FT3cof * t3 + t4 * (FT4cof + t * FT5cof);
    }
    double nm = FNo;
    double em = FEcco;
    double inclm = FInclo;
    if (FDeepSpace)
        DeepSpaceSecular(t, em, argpm, inclm, mm, nodem, nm);
    if (nm <= 0.0)
        return TSgp4Error::MeanMotion;
    // Near the Earth nm is the epoch's mean motion, whose semi-major axis FAo already is.
    const double am = (FDeepSpace ? std::pow(Xke / nm, X2o3) : FAo) * tempa * tempa;
    nm = Xke / std::pow(am, 1.5);
    em = em - tempe;
    if (em >= 1.0 || em < -0.001)
        return TSgp4Error::MeanEccentricity;
    if (em < 1.0e-6)
        em = 1.0e-6;
    mm = mm + FNo * templ;
    double xlm = mm + argpm + nodem;
    nodem = ModTwoPi(nodem);
    argpm = ModTwoPi(argpm);
    xlm = ModTwoPi(xlm);
    mm = ModTwoPi(xlm - argpm - nodem);

    // Lunar-solar periodics.
    double ep = em;
    double xincp = inclm;
    double argpp = argpm;
    double nodep = nodem;
    double mp = mm;
    // Near the Earth the inclination is the epoch's (deep space replaces both below).
    double sinip = FSinio;
    double cosip = FCosio;
    double aycof = FAycof;
    double xlcof = FXlcof;
    double con41 = FCon41, x1mth2 = FX1mth2, x7thm1 = FX7thm1;
    if (FDeepSpace) {
        DeepSpacePeriodic(t, ep, xincp, nodep, argpp, mp);
        if (xincp < 0.0) {
            xincp = -xincp;
            nodep = nodep + Pi;
            argpp = argpp - Pi;
        }
        if (ep < 0.0 || ep > 1.0)
            return TSgp4Error::PerturbedEccentricity;
        sinip = std::sin(xincp);
        cosip = std::cos(xincp);
        aycof = -0.5 * J3oJ2 * sinip;
        const double cosip1 = std::fabs(cosip + 1.0) > 1.5e-12 ? 1.0 + cosip : 1.5e-12;
        xlcof = -0.25 * J3oJ2 * sinip * (3.0 + 5.0 * cosip) / cosip1;
        const double cosisq = cosip * cosip;
        con41 = 3.0 * cosisq - 1.0;
        x1mth2 = 1.0 - cosisq;
        x7thm1 = 7.0 * cosisq - 1.0;
    }

    // Long-period periodics.
    const double axnl = ep * std::cos(argpp);
    double temp = 1.0 / (am * (1.0 - ep * ep));
    const double aynl = ep * std::sin(argpp) + temp * aycof;
    const double xl = mp + argpp + nodep + temp * xlcof * axnl;

    // Kepler's equation.
    const double u = ModTwoPi(xl - nodep);
    double eo1 = u;
    double tem5 = 9999.9;
    double sineo1 = 0.0, coseo1 = 0.0;
    for (int iteration = 1; std::fabs(tem5) >= 1.0e-12 && iteration <= 10; ++iteration) {
        sineo1 = std::sin(eo1);
        coseo1 = std::cos(eo1);
        tem5 = 1.0 - coseo1 * axnl - sineo1 * aynl;
        tem5 = (u - aynl * coseo1 + axnl * sineo1 - eo1) / tem5;
        if (std::fabs(tem5) >= 0.95)
            tem5 = tem5 > 0.0 ? 0.95 : -0.95;
        eo1 = eo1 + tem5;
    }

    // Short-period preliminary quantities.
    const double ecose = axnl * coseo1 + aynl * sineo1;
    const double esine = axnl * sineo1 - aynl * coseo1;
    const double el2 = axnl * axnl + aynl * aynl;
    const double pl = am * (1.0 - el2);
    if (pl < 0.0)
        return TSgp4Error::SemiLatusRectum;
    const double rl = am * (1.0 - ecose);
    const double rdotl = std::sqrt(am) * esine / rl;
    const double rvdotl = std::sqrt(pl) / rl;
    const double betal = std::sqrt(1.0 - el2);
    temp = esine / (1.0 + betal);
    const double sinu = am / rl * (sineo1 - aynl - axnl * temp);
    const double cosu = am / rl * (coseo1 - axnl + aynl * temp);
    double su = std::atan2(sinu, cosu);
    const double sin2u = (cosu + cosu) * sinu;
    const double cos2u = 1.0 - 2.0 * sinu * sinu;
    temp = 1.0 / pl;
    const double temp1 = 0.5 * J2 * temp;
    const double temp2 = temp1 * temp;

    // Short-period periodics.
    const double mrt = rl * (1.0 - 1.5 * temp2 * betal * con41) + 0.5 * temp1 * x1mth2 * cos2u;
    su = su - 0.25 * temp2 * x7thm1 * sin2u;
    const double xnode = nodep + 1.5 * temp2 * cosip * sin2u;
    const double xinc = xincp + 1.5 * temp2 * cosip * sinip * cos2u;
    const double mvt = rdotl - nm * temp1 * x1mth2 * sin2u / Xke;
    const double rvdot = rvdotl + nm * temp1 * (x1mth2 * cos2u + 1.5 * con41) / Xke;

    // Orientation vectors.
    const double sinsu = std::sin(su);
    const double cossu = std::cos(su);
    const double snod = std::sin(xnode);
    const double cnod = std::cos(xnode);
    const double sini = std::sin(xinc);
    const double cosi = std::cos(xinc);
    const double xmx = -snod * cosi;
    const double xmy = cnod * cosi;
    const double ux = xmx * sinsu + cnod * cossu;
    const double uy = xmy * sinsu + snod * cossu;
    const double uz = sini * sinsu;
    const double vx = xmx * cossu - cnod * sinsu;
    const double vy = xmy * cossu - snod * sinsu;
    const double vz = sini * cossu;

    if (mrt < 1.0)
        return TSgp4Error::Decayed;
    const double position[3] = {mrt * ux * EarthRadiusKm, mrt * uy * EarthRadiusKm,
                                mrt * uz * EarthRadiusKm};
    const double velocity[3] = {(mvt * ux + rvdot * vx) * vkmpersec,
                                (mvt * uy + rvdot * vy) * vkmpersec,
                                (mvt * uz + rvdot * vz) * vkmpersec};
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(position[i]) || !std::isfinite(velocity[i]))
            return TSgp4Error::NotFinite;
    }
    for (int i = 0; i < 3; ++i) {
        state.PositionKm[i] = position[i];
        state.VelocityKmPerS[i] = velocity[i];
    }
    return TSgp4Error::None;
}

} // namespace kestrune
