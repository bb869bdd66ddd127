#include "TextFormat.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace orvane {

namespace {

// Writes value with precision decimals into buffer, exactly as printf's
// "%.*f" would, for the common case: a finite value from 2^-40 up to
// 2^63 and at most nine decimals. The value is mantissa * 2^exponent; the
// digits are mantissa * 10^precision shifted into place in 128-bit
// integers, rounded half to even as printf rounds the exact binary value.
// Returns the length written, or 0 when the value is not such a case.
int FixedDigits(char* buffer, double value, int precision)
{
    if (!std::isfinite(value) || precision < 0 || precision > 9)
        return 0;
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(value), &exponent);
    if (fraction != 0.0 && (exponent < -40 || exponent > 63))
        return 0;
    using Wide = unsigned __int128;
    const auto mantissa = uint64_t(std::ldexp(fraction, 53));  // exact: 53 bits
    const int shift = exponent - 53;
    uint64_t scale = 1;
    for (int k = 0; k < precision; ++k)
        scale *= 10;
    Wide scaled = Wide(mantissa) * scale;
    if (shift >= 0) {
        scaled <<= shift;
    } else {
        const Wide rest = scaled & ((Wide(1) << -shift) - 1);
        const Wide half = Wide(1) << (-shift - 1);
        scaled >>= -shift;
        if (rest > half || (rest == half && (scaled & 1)))
            ++scaled;
    }
    // Digits from the last: the decimals, then at least one integer digit,
    // in 64-bit arithmetic (a larger number takes the general path).
    if (scaled >> 64)
        return 0;
    auto narrow = uint64_t(scaled);
    char digits[24];
    int count = 0;
    do {
        digits[count++] = char('0' + int(narrow % 10));
        narrow /= 10;
    } while (narrow > 0 || count <= precision);
    int length = 0;
    if (std::signbit(value))
        buffer[length++] = '-';
    for (int k = count - 1; k >= 0; --k) {
        if (k == precision - 1)
            buffer[length++] = '.';
        buffer[length++] = digits[k];
    }
    return length;
}

}  // namespace

void AppendInt(std::string& out, long long value, int zeroPadWidth)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    const int length = int(result.ptr - buffer);
    if (length >= zeroPadWidth) {
        out.append(buffer, size_t(length));
        return;
    }
    // The zeros go between the sign and the digits, as printf puts them.
    const char* digits = buffer;
    if (value < 0) {
        out.push_back('-');
        ++digits;
    }
    out.append(size_t(zeroPadWidth - length), '0');
    out.append(digits, size_t(result.ptr - digits));
}

void AppendFixed(std::string& out, double value, int precision, int minWidth)
{
    // Room for the largest double written out in full: 309 integer digits,
    // a sign, a point and the decimals.
    char buffer[320 + 32];
    int length = FixedDigits(buffer, value, precision);
    if (length == 0) {
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
        length = int(result.ptr - buffer);
    }
    if (length < minWidth)
        out.append(size_t(minWidth - length), ' ');
    out.append(buffer, size_t(length));
}

std::string ErrorLine(std::string_view type, int32_t code)
{
    std::string line;
    line.reserve(24);
    line.push_back('[');
    line.append(type);
    line.append("] Error Code:  ");
    AppendInt(line, code);
    return line;
}

}  // namespace orvane
