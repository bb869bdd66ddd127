// SPDX-License-Identifier: GPL-3.0-or-later
#include "Earth.h"

#include <cmath>

namespace orvane::loggen {

double Wrap360(double deg)
{
    deg = std::fmod(deg, 360.0);
    return deg < 0.0 ? deg + 360.0 : deg;
}

double Wrap180(double deg)
{
    deg = Wrap360(deg);
    return deg > 180.0 ? deg - 360.0 : deg;
}

Vec3 GeodeticToEcef(double latDeg, double lonDeg, double height)
{
    const double lat = latDeg * kDeg, lon = lonDeg * kDeg;
    const double sl = std::sin(lat), cl = std::cos(lat);
    const double n = kWgsA / std::sqrt(1.0 - kWgsE2 * sl * sl);
    return {(n + height) * cl * std::cos(lon), (n + height) * cl * std::sin(lon), (n * (1.0 - kWgsE2) + height) * sl};
}

}  // namespace orvane::loggen
