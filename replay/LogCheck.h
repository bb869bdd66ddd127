// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Deciding whether a loaded log is worth replaying, and which talkers it
// offers.

#include <array>
#include <cstdint>
#include <string_view>

#include "decoder/Tables.h"

namespace orvane {

struct LogSummary {
    int32_t length = 0;                        // the examined text's length
    std::array<bool, kTalkerCount> present{};  // the talker occurs often enough to be offered
};

// A talker is offered when "$" + its id or alias occurs more than this many
// times.
inline constexpr int kTalkerOccurrenceThreshold = 10;
// A text of this many characters or fewer is refused.
inline constexpr int32_t kMinimumLogLength = 100;

// Records the text's length in summary. Returns 0, leaving the present
// flags alone, for a text of 100 characters or less. Otherwise sets the present flag of every talker whose "$" + id
// and "$" + alias occur more than ten times together (a plain substring count, so "$GN" counts for the combined talker
// only, "$QZ" and "$GQ" both for QZSS) and returns the text's length.
int32_t CheckLogText(std::string_view text, LogSummary& summary);

}  // namespace orvane
