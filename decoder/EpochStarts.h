// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A whole log cut into epochs, with where each epoch begins in the text:
// the replay's position maps to an epoch, and an epoch back to a position
// to replay from.

#include <cstdint>
#include <string_view>
#include <vector>

#include "Epochs.h"

namespace orvane {

struct EpochsWithStarts {
    EpochLog log;
    // One per epoch: the offset of the line that opened it (0 for the
    // first, which also holds the untimed lines before its time).
    std::vector<uint64_t> starts;
};

// The epochs ReadEpochs gives, each with the offset of its opening line,
// whatever the line ends.
EpochsWithStarts ReadEpochsWithStarts(std::string_view text);

// The epoch whose text holds offset: the last that starts at or before it
// (0 when the first starts later); starts must not be empty.
size_t EpochAtOffset(const std::vector<uint64_t>& starts, uint64_t offset);

}  // namespace orvane
