// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// When an epoch holds a valid fix, for time-to-first-fix tests: a fix
// reported (GGA quality 1 or more, or a position from RMC status A, GNS or
// GLL), and, when asked for, a 3D fix, an HDOP at most a limit, and a
// position within a distance of a reference point.

#include <optional>
#include <string>

#include "ReceiverStats.h"
#include "decoder/Epochs.h"

namespace orvane {

struct FixCriterion {
    // A GSA's fix type 3, or a GGA quality of DGPS or RTK (fixed or float).
    bool threeD = false;
    std::optional<double> maxHdop;
    // Horizontal distance on the WGS84 ellipsoid.
    std::optional<GeodeticPoint> reference;
    double withinMetres = 0;
};

// GGA quality 1 or more, or a position from a sentence that reports a fix.
bool HasFix(const Epoch& epoch);
bool Meets(const Epoch& epoch, const FixCriterion& criterion);
// "GGA quality >= 1 or RMC status A, 3D, HDOP <= 2, within 10 m of 37.5, 127".
std::string Describe(const FixCriterion& criterion);

}  // namespace orvane
