// SPDX-License-Identifier: GPL-3.0-or-later
#include "Receiver.h"

#include <algorithm>
#include <cmath>

#include "Earth.h"

namespace orvane::loggen {

Receiver::Receiver()
{
    const double sl = std::sin(kStartLat * kDeg);
    const double w = std::sqrt(1.0 - kWgsE2 * sl * sl);
    const double meridian = kWgsA * (1.0 - kWgsE2) / (w * w * w);
    const double prime = kWgsA / w;
    m_MetresPerDegLat = meridian * kDeg;
    m_MetresPerDegLon = prime * std::cos(kStartLat * kDeg) * kDeg;
}

void Receiver::Locate(const Drive& drive, Fix& fix) const
{
    const double north = drive.North(), east = drive.East();
    fix.latitude = kStartLat + (north + m_ErrorNorth) / m_MetresPerDegLat;
    fix.longitude = kStartLon + (east + m_ErrorEast) / m_MetresPerDegLon;
    const double terrain = 27.0 + 8.0 * std::sin(east / 1900.0 + 0.4) * std::cos(north / 2600.0) +
                           4.0 * std::sin(north / 700.0 - east / 900.0);
    fix.altitude = std::max(terrain, 8.0) + 1.4 + m_ErrorUp;  // antenna on the roof
    fix.separation = 23.62 - north * 2e-5 + east * 1e-5;
}

void Receiver::ReportMotion(const Drive& drive, Rng& random, Fix& fix)
{
    // Speed over ground with the receiver's Doppler noise; standing still the
    // filter reports a few millimetres per second.
    double sog;
    if (drive.Speed() > kStandingSpeed)
        sog = std::max(0.0, drive.Speed() + 0.03 * random.Gauss());
    else
        sog = std::fabs(0.004 * random.Gauss());
    // Course over ground is frozen below walking pace, like a real receiver.
    if (sog > kStandingSpeed)
        m_ReportedCourse = Wrap360(drive.Heading() + (0.15 + 0.4 / sog) * random.Gauss());
    fix.speed = sog;
    // A course that would be written as 360.00 is written as 0.00.
    fix.course = std::llround(m_ReportedCourse * 100.0) >= 36000 ? 0.0 : m_ReportedCourse;
}

// A slow random walk that holds still while the car stands (static hold).
void Receiver::AdvanceError(const Drive& drive, Rng& random)
{
    if (drive.Speed() > kStandingSpeed) {
        m_ErrorNorth = 0.97 * m_ErrorNorth + 0.12 * random.Gauss();
        m_ErrorEast = 0.97 * m_ErrorEast + 0.12 * random.Gauss();
        m_ErrorUp = 0.95 * m_ErrorUp + 0.10 * random.Gauss();
    }
}

}  // namespace orvane::loggen
