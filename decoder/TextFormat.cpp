#include "TextFormat.h"

#include <charconv>

namespace orvane {

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
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    const int length = int(result.ptr - buffer);
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
