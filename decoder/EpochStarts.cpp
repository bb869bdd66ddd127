// SPDX-License-Identifier: GPL-3.0-or-later
#include "EpochStarts.h"

#include <algorithm>

namespace orvane {

EpochsWithStarts ReadEpochsWithStarts(std::string_view text)
{
    EpochsWithStarts result;
    EpochReader reader(result.log, &result.starts);
    reader.Feed(text);
    reader.Finish();
    return result;
}

size_t EpochAtOffset(const std::vector<uint64_t>& starts, uint64_t offset)
{
    const auto after = std::upper_bound(starts.begin(), starts.end(), offset);
    return after == starts.begin() ? 0 : size_t(after - starts.begin()) - 1;
}

}  // namespace orvane
