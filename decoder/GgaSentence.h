// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A GGA sentence written from a fix, for the casters that want to know
// where the rover is (network RTK): the receiver's latest time, position,
// fix quality, satellites used, HDOP and altitude, as
//
//   $GPGGA,hhmmss.ss,ddmm.mmmmm,N,dddmm.mmmmm,E,q,nn,h.h,a.a,M,,M,,*hh
//
// with the checksum and without a line end. Unknown values are left empty.

#include <cstdint>
#include <optional>
#include <string>

namespace orvane {

struct GgaFix {
    std::optional<int32_t> timeOfDay;    // hundredths of a second since midnight
    double latitude = 0, longitude = 0;  // signed degrees
    int32_t quality = 1;
    std::optional<int32_t> satellites;
    std::optional<double> hdop;
    std::optional<double> altitude;  // metres above mean sea level
};

std::string GgaSentence(const GgaFix& fix);

}  // namespace orvane
