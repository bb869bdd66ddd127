// SPDX-License-Identifier: GPL-3.0-or-later
#include "Constellations.h"

#include <cmath>
#include <cstdint>

#include "Earth.h"
#include "Random.h"

namespace orvane::loggen {

namespace {

constexpr double kGeoRadius = 42164.2e3;
constexpr double kSiderealDay = 2.0 * kPi / kEarthRate;

Satellite MakeOrbit(System system, int prn, Group group, double radius, double inclDeg, double periodS, double raanDeg,
    double u0Deg)
{
    Satellite s{};
    s.system = system;
    s.prn = prn;
    s.number = prn;
    s.group = group;
    s.radius = radius;
    s.cosI = std::cos(inclDeg * kDeg);
    s.sinI = std::sin(inclDeg * kDeg);
    s.raan0 = raanDeg * kDeg;
    s.u0 = u0Deg * kDeg;
    s.meanMotion = 2.0 * kPi / periodS;
    s.gainDb = (FixedFraction(uint64_t(prn) * 7 + uint64_t(system)) - 0.5) * 5.0;
    s.sends[0] = true;
    return s;
}

// Six planes at 55 degrees, 31 satellites, half a sidereal day. Most send
// L2C too and, of those, about two in three L5; the oldest send neither.
void AddGps(std::vector<Satellite>& sats)
{
    int k = 0;
    for (int prn = 1; prn <= 32; ++prn) {
        if (prn == 22)
            continue;
        const int plane = k % 6, slot = k / 6;
        const double spacing = plane == 0 ? 60.0 : 72.0;
        const double jitter = (FixedFraction(uint64_t(prn) + 100) - 0.5) * 20.0;
        Satellite s = MakeOrbit(System::Gps, prn, kGroupGp, 26559.7e3, 55.0, kSiderealDay / 2.0, 17.0 + 60.0 * plane,
            slot * spacing + plane * 43.0 + jitter);
        s.sends[1] = FixedFraction(uint64_t(prn) + 400) < 0.8;
        s.sends[2] = s.sends[1] && FixedFraction(uint64_t(prn) + 500) < 0.7;
        sats.push_back(s);
        ++k;
    }
}

// Two inclined geosynchronous satellites on a figure-eight ground track
// centred near 139 E, and one geostationary at 127 E, all with L2C. The
// 4.11 output numbers them 1-10 (PRN 193-202) under their own talker.
void AddQzss(std::vector<Satellite>& sats, NmeaVersion version)
{
    const size_t first = sats.size();
    const int prns[] = {194, 195};
    for (int i = 0; i < 2; ++i) {
        const double u0 = 150.0 * i + 35.0;
        sats.push_back(MakeOrbit(System::Qzss, prns[i], kGroupGp, kGeoRadius, 41.0, kSiderealDay, 139.0 - u0, u0));
    }
    sats.push_back(MakeOrbit(System::Qzss, 199, kGroupGp, kGeoRadius, 0.0, kSiderealDay, 127.0, 0.0));
    for (size_t i = first; i < sats.size(); ++i) {
        sats[i].sends[1] = true;
        if (version == NmeaVersion::V4_11) {
            sats[i].group = kGroupGq;
            sats[i].number = sats[i].prn - 192;
        }
    }
}

// Three planes of eight slots at 64.8 degrees; slot n is PRN 64+n.
void AddGlonass(std::vector<Satellite>& sats)
{
    for (int n = 1; n <= 24; ++n) {
        const int plane = (n - 1) / 8, slot = (n - 1) % 8;
        const double jitter = (FixedFraction(uint64_t(n) + 200) - 0.5) * 4.0;
        sats.push_back(MakeOrbit(System::Glonass, 64 + n, kGroupGl, 25508.2e3, 64.8, 40544.0, 61.0 + 120.0 * plane,
            45.0 * slot + 15.0 * plane + jitter));
        sats.back().sends[1] = true;  // G2
    }
}

// Three planes at 56 degrees.
void AddGalileo(std::vector<Satellite>& sats)
{
    const int prns[] = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 19, 21, 23, 24, 25, 26, 27, 29, 30, 31, 33, 34, 36};
    int k = 0;
    for (int prn : prns) {
        const int plane = k % 3, slot = k / 3;
        const double jitter = (FixedFraction(uint64_t(prn) + 300) - 0.5) * 8.0;
        sats.push_back(MakeOrbit(System::Galileo, prn, kGroupGa, 29599.8e3, 56.0, 50680.7, 144.0 + 120.0 * plane,
            40.0 * slot + 13.3 * plane + jitter));
        sats.back().sends = {true, true, true};  // E1, E5b, E5a
        ++k;
    }
}

// Five geostationary satellites over the Indian Ocean and the Pacific,
// inclined geosynchronous ones on figure-eight tracks over East Asia, and
// three planes of medium orbits at 55 degrees. The geostationary ones are
// numbered 1-5 and stand over Seoul all day, the inclined ones 6-10, 13, 16
// and 38-40 spend most of it there: the BeiDou satellites used share
// numbers with the GPS or Galileo satellites used in nearly every epoch,
// as a receiver in East Asia reports them. The older satellites (1-18) send
// B2I, the newer (19 on) B2a.
void AddBeidou(std::vector<Satellite>& sats)
{
    const size_t first = sats.size();
    const int geoPrns[] = {1, 2, 3, 4, 5};
    const double geoLongitudes[] = {140.0, 80.0, 110.5, 160.0, 58.75};
    for (int i = 0; i < 5; ++i)
        sats.push_back(
            MakeOrbit(System::Beidou, geoPrns[i], kGroupGb, kGeoRadius, 0.0, kSiderealDay, geoLongitudes[i], 0.0));

    const int igsoPrns[] = {6, 7, 8, 9, 10, 13, 16, 38, 39, 40};
    for (int i = 0; i < 10; ++i) {
        const double u0 = 36.0 * i + (FixedFraction(uint64_t(igsoPrns[i]) + 600) - 0.5) * 10.0;
        const double centre = 95.0 + 25.0 * FixedFraction(uint64_t(igsoPrns[i]) + 700);
        sats.push_back(
            MakeOrbit(System::Beidou, igsoPrns[i], kGroupGb, kGeoRadius, 55.0, kSiderealDay, centre - u0, u0));
    }

    // 13 revolutions in 7 sidereal days.
    const int meoPrns[] = {11, 12, 14, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 32, 33, 34, 35, 36, 37, 41, 42,
        43, 44, 45, 46};
    int k = 0;
    for (int prn : meoPrns) {
        const int plane = k % 3, slot = k / 3;
        const double jitter = (FixedFraction(uint64_t(prn) + 800) - 0.5) * 8.0;
        sats.push_back(MakeOrbit(System::Beidou, prn, kGroupGb, 27906.1e3, 55.0, kSiderealDay * 7.0 / 13.0,
            20.0 + 120.0 * plane, 40.0 * slot + 13.3 * plane + jitter));
        ++k;
    }

    for (size_t i = first; i < sats.size(); ++i) {
        sats[i].sends[1] = sats[i].prn <= 18;
        sats[i].sends[2] = sats[i].prn >= 19;
    }
}

}  // namespace

int SignalSnr(const Satellite& s, int k)
{
    if (k == 0)
        return s.tracked ? s.snr : 0;
    return s.bandSnr[size_t(k)];
}

std::vector<Satellite> BuildConstellations(NmeaVersion version)
{
    std::vector<Satellite> sats;
    AddGps(sats);
    AddQzss(sats, version);
    // SBAS: KASS (PRN 134, written as 47) on its geostationary slot at 91.5 E.
    sats.push_back(MakeOrbit(System::Sbas, 47, kGroupGp, kGeoRadius, 0.0, kSiderealDay, 91.5, 0.0));
    AddGlonass(sats);
    AddGalileo(sats);
    if (version == NmeaVersion::V4_11)
        AddBeidou(sats);
    return sats;
}

}  // namespace orvane::loggen
