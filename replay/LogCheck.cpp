// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogCheck.h"

#include <cstring>

namespace orvane {

int32_t CheckLogText(std::string_view text, LogSummary& summary)
{
    summary.length = int32_t(text.size());
    if (summary.length <= kMinimumLogLength)
        return 0;
    // One pass over the "$" signs, counting the talker whose id or alias
    // (GQ for QZSS) follows each; it ends early once every talker is
    // offered. Each id is "$" and letters, so the count is the plain
    // substring count, summed over id and alias.
    std::array<int, kTalkerCount> counts{};
    int offered = 0;
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    while (offered < kTalkerCount && at < end) {
        const void* dollar = std::memchr(at, '$', size_t(end - at));
        if (!dollar)
            break;
        at = static_cast<const char*>(dollar) + 1;
        const std::string_view after(at, size_t(end - at));
        for (int row = 0; row < kTalkerCount; ++row) {
            const TalkerEntry& talker = TalkerTable[size_t(row)];
            if (!after.starts_with(talker.id) && (talker.alias.empty() || !after.starts_with(talker.alias)))
                continue;
            if (++counts[size_t(row)] == kTalkerOccurrenceThreshold + 1) {
                summary.present[size_t(row)] = true;
                ++offered;
            }
            break;
        }
    }
    return summary.length;
}

}  // namespace orvane
