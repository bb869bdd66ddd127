// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The replay's ten speed steps and the timer period of each.

#include <cstdint>

namespace orvane {

// The replay timer's period for a speed step: 1000 / step, remainder dropped.
inline constexpr int kSlowestSpeedStep = 1;
inline constexpr int kFastestSpeedStep = 10;
constexpr int16_t ReplayIntervalFor(int16_t speedStep)
{
    return int16_t(1000 / speedStep);
}

}  // namespace orvane
