// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Earth the simulation runs on: angle helpers, the WGS-84 ellipsoid and
// its rotation, speed units, and positions in the Earth-fixed frame.

namespace orvane::loggen {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kDeg = kPi / 180.0;

// WGS-84 ellipsoid and Earth rotation rate.
inline constexpr double kWgsA = 6378137.0;
inline constexpr double kWgsF = 1.0 / 298.257223563;
inline constexpr double kWgsE2 = kWgsF * (2.0 - kWgsF);
inline constexpr double kEarthRate = 7.2921151467e-5;  // rad/s

// Speeds are m/s inside the simulation; the sentences report these units.
inline constexpr double kKnotsPerMs = 3600.0 / 1852.0;
inline constexpr double kKmhPerMs = 3.6;

// Degrees folded into [0, 360) and into (-180, 180].
double Wrap360(double deg);
double Wrap180(double deg);

// A point in the Earth-centred, Earth-fixed frame, in metres.
struct Vec3 {
    double x, y, z;
};

Vec3 GeodeticToEcef(double latDeg, double lonDeg, double height);

}  // namespace orvane::loggen
