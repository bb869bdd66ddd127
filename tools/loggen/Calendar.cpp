// SPDX-License-Identifier: GPL-3.0-or-later
#include "Calendar.h"

#include "decoder/Epochs.h"

namespace orvane::loggen {

// The calendar of the epoch reader, so the generator and the reader that
// checks its logs count days alike.
int64_t DaysFromCivil(int64_t year, int month, int day)
{
    return DaysFromDate({uint16_t(year), uint8_t(month), uint8_t(day)});
}

CivilDate CivilFromDays(int64_t days)
{
    const EpochDate date = DateFromDays(days);
    return {date.year, date.month, date.day};
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
