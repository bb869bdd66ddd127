// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Conversions of one NMEA field. Numbers are read the way the C runtime's
// atof/atoi read them: leading white space, an optional sign, the longest
// prefix that forms a number, and 0 when there are no digits. There is no
// "inf", "nan" or hexadecimal form. Every result is deterministic for any
// input: nothing is cast from a double that does not fit.

#include <cstdint>
#include <string_view>

#include "Records.h"

namespace orvane {

// A decimal number, correctly rounded. Too large a magnitude gives an
// infinity, too small a zero, both with the field's sign.
double ParseDecimal(std::string_view field);

// An integer; a value outside the 32-bit range clamps to its nearest end.
int32_t ParseInteger(std::string_view field);

// The double truncated toward zero, clamped to the 32-bit range; NaN gives 0.
int32_t TruncateToInt32(double value);

// The value of one hexadecimal digit (either case), or -1 for any other
// character: a checksum's two digits.
int HexValue(char c);

// ddmm.mmmm or dddmm.mmmm to unsigned decimal degrees. An infinite value
// stays infinite with its sign.
double ToDegrees(double value);

// hhmmss.ss into the hour, minute, second and hundredths of the date-time.
// Fractions beyond the hundredth are cut, not rounded.
void SplitTime(double value, NmeaDateTime& dateTime);

}  // namespace orvane
