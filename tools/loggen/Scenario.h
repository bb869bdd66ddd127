// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Receivers with a known error, for testing statistics exactly: a static
// receiver whose fixes scatter about its true place with a given bias and
// noise, and a device under test that reports the drive of the usual
// receiver moved by an offset and late by a delay. Without either, the
// generator writes its usual output, byte for byte.

#include <array>

namespace orvane::loggen {

struct Scenario {
    // A receiver standing at the start point: each fix is the point moved
    // by the bias plus normal noise of the given standard deviations, east,
    // north and up in metres, drawn independently per epoch from the seed.
    // In the 4.11 output GST reports the noise's standard deviations.
    bool standing = false;
    std::array<double, 3> bias{};
    std::array<double, 3> noise{};
    // Its epochs per second, a divisor of 100 (its time in hundredths).
    int rate = 1;

    // The device under test of a drive: at each epoch it reports the
    // position the usual receiver reported delay seconds before
    // (interpolated between epochs), moved by the offset (east, north, up
    // in metres). The usual output of the same seed is the reference.
    bool device = false;
    std::array<double, 3> offset{};
    double delay = 0;
};

}  // namespace orvane::loggen
