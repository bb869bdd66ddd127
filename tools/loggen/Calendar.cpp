// SPDX-License-Identifier: GPL-3.0-or-later
#include "Calendar.h"

namespace orvane::loggen {

int64_t DaysFromCivil(int64_t year, int month, int day)
{
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yoe = year - era * 400;
    const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilDate CivilFromDays(int64_t days)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t doe = days - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int d = int(doy - (153 * mp + 2) / 5 + 1);
    const int m = int(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (m <= 2), m, d};
}

EpochTime TimeOfEpoch(uint64_t epoch)
{
    const int64_t startDay = DaysFromCivil(kStartYear, kStartMonth, kStartDay);
    const int64_t seconds = int64_t(kStartSecondOfDay) + int64_t(epoch);
    const int64_t day = startDay + seconds / 86400;
    const int secondOfDay = int(seconds % 86400);
    EpochTime time;
    time.date = CivilFromDays(day);
    time.hour = secondOfDay / 3600;
    time.minute = secondOfDay / 60 % 60;
    time.second = secondOfDay % 60;
    time.unixTime = double(day) * 86400.0 + double(secondOfDay);
    return time;
}

}  // namespace orvane::loggen
