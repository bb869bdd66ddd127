// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The receiver's view of the car: position with a slowly wandering error,
// height over the terrain, and speed and course over ground with noise.

#include "Drive.h"
#include "Fix.h"
#include "Random.h"

namespace orvane::loggen {

class Receiver {
public:
    Receiver();

    // Latitude, longitude, altitude and geoid separation of the antenna.
    void Locate(const Drive& drive, Fix& fix) const;

    // Speed and course over ground as the receiver reports them.
    void ReportMotion(const Drive& drive, Rng& random, Fix& fix);

    // Moves the position error on by one second, once the car has moved.
    void AdvanceError(const Drive& drive, Rng& random);

private:
    // Local metric frame around the start point.
    double m_MetresPerDegLat = 0.0;
    double m_MetresPerDegLon = 0.0;

    double m_ErrorNorth = 0.0, m_ErrorEast = 0.0, m_ErrorUp = 0.0;  // m
    double m_ReportedCourse = kStartHeading;
};

}  // namespace orvane::loggen
