#include "LogCheck.h"

#include <string>

namespace orvane {

int32_t CheckLogText(std::string_view text, LogSummary& summary)
{
    summary.length = int32_t(text.size());
    if (summary.length <= kMinimumLogLength)
        return 0;
    for (int row = 0; row < kTalkerCount; ++row) {
        std::string pattern = "$";
        pattern.append(TalkerTable[size_t(row)].id);
        int count = 0;
        for (size_t at = text.find(pattern); at != std::string_view::npos; at = text.find(pattern, at + 1)) {
            if (++count > kTalkerOccurrenceThreshold) {
                summary.present[size_t(row)] = true;
                break;
            }
        }
    }
    return summary.length;
}

}  // namespace orvane
