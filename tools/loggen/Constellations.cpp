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
    s.group = group;
    s.radius = radius;
    s.cosI = std::cos(inclDeg * kDeg);
    s.sinI = std::sin(inclDeg * kDeg);
    s.raan0 = raanDeg * kDeg;
    s.u0 = u0Deg * kDeg;
    s.meanMotion = 2.0 * kPi / periodS;
    s.gainDb = (FixedFraction(uint64_t(prn) * 7 + uint64_t(system)) - 0.5) * 5.0;
    return s;
}

// Six planes at 55 degrees, 31 satellites, half a sidereal day.
void AddGps(std::vector<Satellite>& sats)
{
    int k = 0;
    for (int prn = 1; prn <= 32; ++prn) {
        if (prn == 22)
            continue;
        const int plane = k % 6, slot = k / 6;
        const double spacing = plane == 0 ? 60.0 : 72.0;
        const double jitter = (FixedFraction(uint64_t(prn) + 100) - 0.5) * 20.0;
        sats.push_back(MakeOrbit(System::Gps, prn, kGroupGp, 26559.7e3, 55.0, kSiderealDay / 2.0, 17.0 + 60.0 * plane,
            slot * spacing + plane * 43.0 + jitter));
        ++k;
    }
}

// Two inclined geosynchronous satellites on a figure-eight ground track
// centred near 139 E, and one geostationary at 127 E.
void AddQzss(std::vector<Satellite>& sats)
{
    const int prns[] = {194, 195};
    for (int i = 0; i < 2; ++i) {
        const double u0 = 150.0 * i + 35.0;
        sats.push_back(MakeOrbit(System::Qzss, prns[i], kGroupGp, kGeoRadius, 41.0, kSiderealDay, 139.0 - u0, u0));
    }
    sats.push_back(MakeOrbit(System::Qzss, 199, kGroupGp, kGeoRadius, 0.0, kSiderealDay, 127.0, 0.0));
}

// Three planes of eight slots at 64.8 degrees; slot n is PRN 64+n.
void AddGlonass(std::vector<Satellite>& sats)
{
    for (int n = 1; n <= 24; ++n) {
        const int plane = (n - 1) / 8, slot = (n - 1) % 8;
        const double jitter = (FixedFraction(uint64_t(n) + 200) - 0.5) * 4.0;
        sats.push_back(MakeOrbit(System::Glonass, 64 + n, kGroupGl, 25508.2e3, 64.8, 40544.0, 61.0 + 120.0 * plane,
            45.0 * slot + 15.0 * plane + jitter));
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
        ++k;
    }
}

}  // namespace

std::vector<Satellite> BuildConstellations()
{
    std::vector<Satellite> sats;
    AddGps(sats);
    AddQzss(sats);
    // SBAS: KASS (PRN 134, written as 47) on its geostationary slot at 91.5 E.
    sats.push_back(MakeOrbit(System::Sbas, 47, kGroupGp, kGeoRadius, 0.0, kSiderealDay, 91.5, 0.0));
    AddGlonass(sats);
    AddGalileo(sats);
    return sats;
}

}  // namespace orvane::loggen
