// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// printf-style number formatting without the C locale or iostreams. The
// results equal what the C library's printf gives for "%d", "%0Nd" and
// "%W.Pf" (exact decimal expansion, ties to even), including "inf" and "nan".

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

namespace detail {

// "00" to "99": two digits are written at once.
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// AppendInt for every value but the one- and two-digit ones it writes itself.
void AppendOtherInt(std::string& out, long long value, int zeroPadWidth);

}  // namespace detail

// "%d" with zeroPadWidth 0, "%02d" with 2, "%04d" with 4.
inline void AppendInt(std::string& out, long long value, int zeroPadWidth = 0)
{
    // Clock fields, dates and counts, most of every line: one or two digits,
    // written where the call is.
    if (value >= 0 && value < 100 && zeroPadWidth <= 2) {
        if (value >= 10 || zeroPadWidth == 2) {
            out.push_back(detail::kDigitPairs[2 * value]);
            out.push_back(detail::kDigitPairs[2 * value + 1]);
        } else {
            out.push_back(char('0' + value));
        }
        return;
    }
    detail::AppendOtherInt(out, value, zeroPadWidth);
}

// "%.Pf" with minWidth 0, "%3.2f" with minWidth 3 (padded with blanks).
void AppendFixed(std::string& out, double value, int precision, int minWidth = 0);

// "[GGA] Error Code:  -1": a parser's code under its sentence type.
std::string ErrorLine(std::string_view type, int32_t code);

}  // namespace orvane
