// SPDX-License-Identifier: GPL-3.0-or-later
#include "FieldConvert.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace orvane {

namespace {

bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Moves p past leading white space and an optional sign; true for "-".
bool SkipBlanksAndSign(const char*& p, const char* end)
{
    while (p != end && IsSpace(*p))
        ++p;
    if (p != end && (*p == '+' || *p == '-'))
        return *p++ == '-';
    return false;
}

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

}  // namespace

double ParseDecimal(std::string_view field)
{
    // Nearly every field is only digits with at most one point, and few
    // enough digits for an exact mantissa: read those in one plain loop.
    // Anything else (blanks, a sign, an exponent, more digits, another
    // character) takes the full reading below.
    if (field.size() <= 16) {
        uint64_t digitsValue = 0;
        const char* point = nullptr;
        const char* at = field.data();
        const char* const fieldEnd = at + field.size();
        for (; at != fieldEnd; ++at) {
            const auto digit = unsigned(static_cast<unsigned char>(*at)) - unsigned('0');
            if (digit < 10)
                digitsValue = digitsValue * 10 + digit;
            else if (*at == '.' && point == nullptr)
                point = at;
            else
                break;
        }
        const auto digitCount = int(field.size()) - (point != nullptr ? 1 : 0);
        if (at == fieldEnd && digitCount <= 15) {
            // Both operands are exact doubles, so one division rounds correctly.
            return double(digitsValue) / kPowersOfTen[point != nullptr ? fieldEnd - point - 1 : 0];
        }
    }

    const char* p = field.data();
    const char* const end = p + field.size();
    const bool negative = SkipBlanksAndSign(p, end);

    // The digits, read once: leading zeros skipped, the first significant
    // digit located, and every digit from it on gathered into an integer
    // mantissa. The mantissa is exact up to 15 digits, all that is used of
    // it; beyond 19 it wraps, unused.
    const char* numberBegin = p;
    uint64_t mantissa = 0;
    const auto gather = [&mantissa, end](const char*& at) {
        for (; at != end && IsDigit(*at); ++at)
            mantissa = mantissa * 10 + uint64_t(*at - '0');
    };
    while (p != end && *p == '0')
        ++p;
    const char* firstSignificant = p;
    gather(p);
    const char* const integerEnd = p;
    long long significantDigits = integerEnd - firstSignificant;
    long long fractionDigits = 0;
    if (p != end && *p == '.') {
        const char* const fractionBegin = ++p;
        if (significantDigits == 0) {
            while (p != end && *p == '0')
                ++p;
            firstSignificant = p;
        }
        const char* const gatheredFrom = p;
        gather(p);
        significantDigits += p - gatheredFrom;
        fractionDigits = p - fractionBegin;
    }
    if (integerEnd == numberBegin && fractionDigits == 0)
        return 0.0;
    const bool seenSignificant = significantDigits > 0;
    // The decimal exponent of the first significant digit.
    const long long firstDigitExponent = !seenSignificant                ? 0
                                         : firstSignificant < integerEnd ? integerEnd - firstSignificant - 1
                                                                         : integerEnd - firstSignificant;

    // An exponent counts only when at least one digit follows its letter.
    long long exponent = 0;
    bool hasExponent = false;
    if (p != end && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        bool exponentNegative = false;
        if (q != end && (*q == '+' || *q == '-')) {
            exponentNegative = *q == '-';
            ++q;
        }
        if (q != end && IsDigit(*q)) {
            hasExponent = true;
            for (; q != end && IsDigit(*q); ++q) {
                if (exponent < 1000000)
                    exponent = exponent * 10 + (*q - '0');
            }
            if (exponentNegative)
                exponent = -exponent;
            p = q;
        }
    }

    if (!seenSignificant)
        return negative ? -0.0 : 0.0;

    if (!hasExponent && significantDigits <= 15 && fractionDigits <= 22) {
        // Both operands are exact doubles, so one division rounds correctly.
        const double value = double(mantissa) / kPowersOfTen[fractionDigits];
        return negative ? -value : value;
    }

    double value = 0.0;
    const auto result = std::from_chars(numberBegin, p, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone on overflow and underflow; the
        // exponent of the first significant digit tells which it was.
        value = exponent + firstDigitExponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

int32_t ParseInteger(std::string_view field)
{
    const char* p = field.data();
    const char* const end = p + field.size();
    const bool negative = SkipBlanksAndSign(p, end);
    // Accumulate in 64 bits and stop growing once past the 32-bit range.
    constexpr int64_t kLimit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    int64_t value = 0;
    for (; p != end && IsDigit(*p); ++p) {
        if (value <= kLimit)
            value = value * 10 + (*p - '0');
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return int32_t(value);
}

int32_t TruncateToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0)
        return std::numeric_limits<int32_t>::max();
    if (value <= -2147483649.0)
        return std::numeric_limits<int32_t>::min();
    return int32_t(value);
}

double ToDegrees(double value)
{
    // An infinity has no minutes to split off (inf - inf is a NaN): it stays
    // as it is, sign included. A NaN stays a NaN.
    if (!std::isfinite(value))
        return value;
    const double degrees = std::trunc(value / 100.0);
    return degrees + (value - 100.0 * degrees) / 60.0;
}

void SplitTime(double value, NmeaDateTime& dateTime)
{
    const int32_t whole = TruncateToInt32(value);
    dateTime.hour = uint16_t(TruncateToInt32(value / 10000.0));
    dateTime.minute = uint16_t((whole % 10000) / 100);
    dateTime.second = uint16_t(whole % 100);
    dateTime.hundredths = uint16_t(TruncateToInt32(value * 100.0) % 100);
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace orvane
