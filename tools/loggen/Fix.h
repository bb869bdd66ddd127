// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The receiver's solution at one epoch, as its sentences report it.

#include "Calendar.h"
#include "Dops.h"

namespace orvane::loggen {

struct Fix {
    EpochTime time;
    double latitude = 0.0, longitude = 0.0;  // deg, north and east positive
    double altitude = 0.0;                   // m above mean sea level
    double separation = 0.0;                 // m, geoid above the ellipsoid
    double speed = 0.0;                      // m/s over ground
    double course = 0.0;                     // deg true, below 360.00 as written
    int usedCount = 0;                       // satellites in the solution
    Dops dops;
    // 4.11 output only (GST): the receiver's estimate of the one-sigma range
    // error and the RMS of the range residuals of the solution, in m.
    double rangeSigma = 0.0;
    double residualRms = 0.0;
    // A receiver with a known noise (Scenario) reports it in GST as the
    // standard deviations of latitude, longitude and altitude, in m.
    bool knownSigma = false;
    double sigmaNorth = 0.0, sigmaEast = 0.0, sigmaUp = 0.0;
};

}  // namespace orvane::loggen
