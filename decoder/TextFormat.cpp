// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextFormat.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace orvane {

namespace {

using detail::kDigitPairs;

constexpr uint64_t kPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

// Room for the sign, twenty digits and the point.
constexpr int kFixedRoom = 24;

// Writes value with precision decimals, exactly as printf's "%.*f" would,
// for the common case: a finite value from 2^-40 up to 2^63 and at most
// nine decimals. The value is mantissa * 2^shift; the digits are
// mantissa * 10^precision shifted into place in 128-bit integers, rounded
// half to even as printf rounds the exact binary value. The text is written
// backwards so that it ends at the end of room; returns where it begins, or
// null when the value is not such a case.
char* FixedDigits(char (&room)[kFixedRoom], double value, int precision)
{
    if (!std::isfinite(value) || precision < 0 || precision > 9)
        return nullptr;
    const auto bits = std::bit_cast<uint64_t>(value);
    const int biasedExponent = int((bits >> 52) & 0x7ff);
    uint64_t mantissa = bits & ((uint64_t(1) << 52) - 1);
    if (biasedExponent == 0 && mantissa != 0)
        return nullptr;  // far below 2^-40
    int shift = 0;
    if (biasedExponent != 0) {
        // 2^-40 <= |value| < 2^63, as a 53-bit mantissa and a power of two.
        if (biasedExponent < 1023 - 41 || biasedExponent > 1023 + 62)
            return nullptr;
        mantissa |= uint64_t(1) << 52;
        shift = biasedExponent - 1075;
    }
    using Wide = unsigned __int128;
    Wide scaled = Wide(mantissa) * kPowersOfTen[precision];
    if (shift >= 0) {
        scaled <<= shift;
    } else {
        const Wide rest = scaled & ((Wide(1) << -shift) - 1);
        const Wide half = Wide(1) << (-shift - 1);
        scaled >>= -shift;
        if (rest > half || (rest == half && (scaled & 1)))
            ++scaled;
    }
    // The digits in 64-bit arithmetic (a larger number takes the general
    // path): the decimals, the point, then at least one integer digit.
    if (scaled >> 64)
        return nullptr;
    auto number = uint64_t(scaled);
    char* at = room + kFixedRoom;
    int decimals = precision;
    for (; decimals >= 2; decimals -= 2) {
        at -= 2;
        std::memcpy(at, kDigitPairs + 2 * (number % 100), 2);
        number /= 100;
    }
    if (decimals == 1) {
        *--at = char('0' + number % 10);
        number /= 10;
    }
    if (precision > 0)
        *--at = '.';
    for (; number >= 100; number /= 100) {
        at -= 2;
        std::memcpy(at, kDigitPairs + 2 * (number % 100), 2);
    }
    if (number >= 10) {
        at -= 2;
        std::memcpy(at, kDigitPairs + 2 * number, 2);
    } else {
        *--at = char('0' + number);
    }
    if (std::signbit(value))
        *--at = '-';
    return at;
}

}  // namespace

void detail::AppendOtherInt(std::string& out, long long value, int zeroPadWidth)
{
    // Years and other values below 10000: all four digits from two pairs,
    // of which the wanted ones are appended.
    if (value >= 0 && value < 10000 && zeroPadWidth <= 4) {
        char digits[4];
        std::memcpy(digits, kDigitPairs + 2 * (value / 100), 2);
        std::memcpy(digits + 2, kDigitPairs + 2 * (value % 100), 2);
        const int width = std::max(value >= 1000 ? 4 : 3, zeroPadWidth);
        out.append(digits + 4 - width, size_t(width));
        return;
    }
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
    char room[kFixedRoom];
    // Room for the largest double written out in full: 309 integer digits,
    // a sign, a point and the decimals.
    char buffer[320 + 32];
    std::string_view text;
    if (const char* const digits = FixedDigits(room, value, precision)) {
        text = std::string_view(digits, size_t(room + kFixedRoom - digits));
    } else {
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
        text = std::string_view(buffer, size_t(result.ptr - buffer));
    }
    if (int(text.size()) < minWidth)
        out.append(size_t(minWidth) - text.size(), ' ');
    out.append(text);
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
