// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two number layouts of the sentences that the decoder's TextFormat.h
// has no equal for. Integers go through its AppendInt.

#include <string>

namespace orvane::loggen {

// Fixed-point decimals: the magnitude times 10^decimals rounded half away
// from zero, the integer part padded with zeros to intDigits ("005.30" in
// VTG). AppendFixed rounds the exact binary value half to even and pads with
// blanks, so it writes 2.675 as "2.67" where this writes "2.68"; the logs a
// seed gives must not change, so the generator keeps its own rounding.
void AppendRounded(std::string& out, double value, int decimals, int intDigits = 1);

// Unsigned degrees as d..dmm.mmmmm, the degrees padded to degDigits and the
// minutes rounded to five decimals.
void AppendDegreesMinutes(std::string& out, double degrees, int degDigits);

}  // namespace orvane::loggen
