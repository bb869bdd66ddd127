// SPDX-License-Identifier: GPL-3.0-or-later
#include "EpochStarts.h"

#include <algorithm>
#include <cstring>

namespace orvane {

EpochsWithStarts ReadEpochsWithStarts(std::string_view text)
{
    constexpr size_t kLongestPiece = 64 * 1024;
    EpochsWithStarts result;
    EpochReader reader(result.log);
    // Where the open epoch began: a line with a new time closes the open
    // epoch and opens the next.
    uint64_t openStart = 0;
    const auto noteClosed = [&result, &openStart] { result.starts.resize(result.log.epochs.size(), openStart); };
    size_t at = 0;
    while (at < text.size()) {
        const size_t span = std::min(text.size() - at, kLongestPiece);
        const void* lineFeed = std::memchr(text.data() + at, '\n', span);
        const size_t end = lineFeed ? size_t(static_cast<const char*>(lineFeed) - text.data()) + 1 : at + span;
        reader.Feed(text.substr(at, end - at));
        if (result.log.epochs.size() != result.starts.size()) {
            noteClosed();
            openStart = at;
        }
        at = end;
    }
    reader.Finish();
    noteClosed();
    return result;
}

size_t EpochAtOffset(const std::vector<uint64_t>& starts, uint64_t offset)
{
    const auto after = std::upper_bound(starts.begin(), starts.end(), offset);
    return after == starts.begin() ? 0 : size_t(after - starts.begin()) - 1;
}

}  // namespace orvane
