// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dilution of precision of the satellites in the solution.

#include <array>
#include <vector>

#include "Constellations.h"

namespace orvane::loggen {

struct Dops {
    double pdop = 0.0, hdop = 0.0, vdop = 0.0;
    // The position part of the inverted normal matrix: the variances of
    // east, north and up and the east-north covariance of the solution, per
    // unit range variance.
    double qEast = 0.0, qNorth = 0.0, qEastNorth = 0.0, qUp = 0.0;
};

using GroupLists = std::array<std::vector<const Satellite*>, kGroupCount>;

// Least-squares geometry of the used satellites: east, north, up and one
// clock per system time that contributes (QZSS keeps GPS time). Each DOP is
// capped at 99.99, which is also what a geometry without a solution gets.
Dops ComputeDops(const GroupLists& used);

}  // namespace orvane::loggen
