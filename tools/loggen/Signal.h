// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The signal of one satellite as the car's receiver gets it: strength from
// elevation and fading, shading by the buildings along the street, and the
// seconds it takes to lock on again after a loss.

#include <cstdint>

#include "Constellations.h"
#include "Random.h"

namespace orvane::loggen {

// What around the car bears on the signals.
struct Street {
    double heading;  // deg true, the direction of travel
    int urban;       // 0 open, 1 mid-rise, 2 dense street canyon
    bool moving;
};

// Updates the tracking state and SNR of a satellite whose elevation and
// azimuth are current. Draws from random only for satellites above the
// horizon, always in the same order.
void TrackSignal(Satellite& s, const Street& street, uint64_t epoch, Rng& random);

// Updates the SNR of the signals after the first (the second and third
// bands) of a satellite whose first signal is current. A band is tracked
// only while the first signal is steadily tracked, with its own offset
// and fading, and lost first when the signal is weak. Draws from random
// only for the bands a satellite above the horizon sends, in band order.
void TrackBands(Satellite& s, const Street& street, Rng& random);

}  // namespace orvane::loggen
