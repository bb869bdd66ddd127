// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Locating sentences in a block of NMEA text. The text is never split into
// lines: the next "$" + talker + type is searched from a position, and the
// sentence runs from its "$" through the first "*" after it, line ends
// included when the "*" was lost.

#include <cstdint>
#include <string_view>

namespace orvane {

// Positions are 32-bit; text beyond this length is not searched.
inline constexpr int32_t kMaxTextLength = 0x7fffffff;

// Searches text from start for the sentence of the talker row and the
// message row; for a talker with an alias (QZSS: "$QZ" and "$GQ"), for
// either, whichever comes first. Returns:
//   -1  rows outside the tables or start at or past the end (out untouched),
//       or no occurrence of the pattern (out emptied);
//   the text length when the pattern occurs but no "*" follows (out empty);
//   otherwise the position just after the "*", with out set to the sentence
//   from "$" through "*" (a view into text).
int32_t FindSentence(std::string_view text, int32_t start, int32_t talkerRow, int32_t messageRow,
    std::string_view& out);

}  // namespace orvane
