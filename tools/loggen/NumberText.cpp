// SPDX-License-Identifier: GPL-3.0-or-later
#include "NumberText.h"

#include <cmath>
#include <cstdint>

#include "decoder/TextFormat.h"

namespace orvane::loggen {

namespace {

constexpr int64_t kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};

}  // namespace

void AppendRounded(std::string& out, double value, int decimals, int intDigits)
{
    const int64_t scale = kPow10[decimals];
    const int64_t scaled = std::llround(std::fabs(value) * double(scale));
    // No "-0.00": a value that rounds to zero is written unsigned.
    if (value < 0.0 && scaled != 0)
        out += '-';
    AppendInt(out, scaled / scale, intDigits);
    if (decimals > 0) {
        out += '.';
        AppendInt(out, scaled % scale, decimals);
    }
}

void AppendDegreesMinutes(std::string& out, double degrees, int degDigits)
{
    // Hundred-thousandths of a minute, rounded once, so 59.999995 minutes
    // carries into the degrees instead of printing as 60.00000.
    const int64_t total = std::llround(degrees * 60.0 * 100000.0);
    AppendInt(out, total / 6000000, degDigits);
    const int64_t minutes = total % 6000000;
    AppendInt(out, minutes / 100000, 2);
    out += '.';
    AppendInt(out, minutes % 100000, 5);
}

}  // namespace orvane::loggen
