// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Calendar arithmetic on days since 1970-01-01, proleptic Gregorian, in
// eras of 400 years that start on 1 March: the one calendar of the epoch
// reader, the track writers and the log generator.

#include <cstdint>

namespace orvane {

struct CivilDate {
    int64_t year;
    int month;
    int day;
};

// Days from 1970-01-01 to the date, which is not checked.
int64_t DaysFromCivil(int64_t year, int month, int day);
// The date of a day count.
CivilDate CivilFromDays(int64_t days);

}  // namespace orvane
