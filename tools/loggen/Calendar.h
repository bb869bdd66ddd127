// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The receiver's clock: UTC of each epoch, counted from a fixed first epoch,
// with calendar arithmetic on days since 1970-01-01 (proleptic Gregorian).

#include <cstdint>

#include "decoder/Calendar.h"

namespace orvane::loggen {

// First epoch: 2026-03-14 23:58:00 UTC, so a default run crosses midnight.
inline constexpr int kStartYear = 2026;
inline constexpr int kStartMonth = 3;
inline constexpr int kStartDay = 14;
inline constexpr int kStartSecondOfDay = 23 * 3600 + 58 * 60;

// The UTC time of one epoch, as the sentences report it.
struct EpochTime {
    CivilDate date;
    int hour, minute, second;
    int hundredths = 0;
    double unixTime;  // s since 1970-01-01, drives the satellite orbits
};

// Epochs are 1/rate seconds apart (rate divides 100), the first at the
// start above.
EpochTime TimeOfEpoch(uint64_t epoch, int rate = 1);

}  // namespace orvane::loggen
