// SPDX-License-Identifier: GPL-3.0-or-later
#include "Calendar.h"

namespace orvane::loggen {

EpochTime TimeOfEpoch(uint64_t epoch, int rate)
{
    const int64_t startDay = DaysFromCivil(kStartYear, kStartMonth, kStartDay);
    const int64_t seconds = int64_t(kStartSecondOfDay) + int64_t(epoch / uint64_t(rate));
    const int hundredths = int(epoch % uint64_t(rate)) * (100 / rate);
    const int64_t day = startDay + seconds / 86400;
    const int secondOfDay = int(seconds % 86400);
    EpochTime time;
    time.date = CivilFromDays(day);
    time.hour = secondOfDay / 3600;
    time.minute = secondOfDay / 60 % 60;
    time.second = secondOfDay % 60;
    time.hundredths = hundredths;
    time.unixTime = double(day) * 86400.0 + double(secondOfDay) + double(hundredths) / 100.0;
    return time;
}

}  // namespace orvane::loggen
