#pragma once
// printf-style number formatting without the C locale or iostreams. The
// results equal what the C library's printf gives for "%d", "%0Nd" and
// "%W.Pf" (exact decimal expansion, ties to even), including "inf" and "nan".

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

// "%d" with zeroPadWidth 0, "%02d" with 2, "%04d" with 4.
void AppendInt(std::string& out, long long value, int zeroPadWidth = 0);

// "%.Pf" with minWidth 0, "%3.2f" with minWidth 3 (padded with blanks).
void AppendFixed(std::string& out, double value, int precision, int minWidth = 0);

// "[GGA] Error Code:  -1": a parser's code under its sentence type.
std::string ErrorLine(std::string_view type, int32_t code);

}  // namespace orvane
