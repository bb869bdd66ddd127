// SPDX-License-Identifier: GPL-3.0-or-later
#include "GgaSentence.h"

#include <cmath>
#include <cstdio>

#include "SentenceChecksum.h"

namespace orvane {

namespace {

// Degrees as ddmm.mmmmm (latitude) or dddmm.mmmmm (longitude) and the
// hemisphere letter; minutes are rounded first, so 59.999999' never shows
// as 60.00000'.
std::string Angle(double degrees, int degreeDigits, char positive, char negative)
{
    const double units = std::round(std::abs(degrees) * 60.0 * 1e5);  // 1e-5 minutes
    const auto whole = static_cast<int64_t>(units);
    const int64_t perDegree = 60 * 100000;
    char text[32];
    std::snprintf(text, sizeof text, "%0*lld%02lld.%05lld,%c", degreeDigits, static_cast<long long>(whole / perDegree),
        static_cast<long long>(whole % perDegree / 100000), static_cast<long long>(whole % 100000),
        degrees < 0 ? negative : positive);
    return text;
}

}  // namespace

std::string GgaSentence(const GgaFix& fix)
{
    std::string body = "GPGGA,";
    if (fix.timeOfDay && *fix.timeOfDay >= 0) {
        const int32_t t = *fix.timeOfDay % 8640000;
        char time[16];
        std::snprintf(time, sizeof time, "%02d%02d%02d.%02d", t / 360000, t / 6000 % 60, t / 100 % 60, t % 100);
        body += time;
    }
    body += ',';
    const bool usable = std::isfinite(fix.latitude) && std::isfinite(fix.longitude) && std::abs(fix.latitude) <= 90 &&
                        std::abs(fix.longitude) <= 180;
    body += usable ? Angle(fix.latitude, 2, 'N', 'S') + ',' + Angle(fix.longitude, 3, 'E', 'W') : std::string(",,,");
    body += ',' + std::to_string(fix.quality) + ',';
    if (fix.satellites) {
        char count[8];
        std::snprintf(count, sizeof count, "%02d", *fix.satellites < 0 ? 0 : *fix.satellites % 100);
        body += count;
    }
    char number[32];
    body += ',';
    if (fix.hdop && std::isfinite(*fix.hdop)) {
        std::snprintf(number, sizeof number, "%.1f", *fix.hdop);
        body += number;
    }
    body += ',';
    if (fix.altitude && std::isfinite(*fix.altitude) && std::abs(*fix.altitude) < 1e6) {
        std::snprintf(number, sizeof number, "%.1f", *fix.altitude);
        body += number;
    }
    body += ",M,,M,,";
    std::string sentence = '$' + body;
    AppendChecksum(sentence, body);
    return sentence;
}

}  // namespace orvane
