// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The track of a drive: the positions of a log or of a live session, one
// point per fix, in the order they came, with their UTC times and heights.
// Standard C++ only, so the batch decoder and the window share it.
//
// Every talker counts. The sentences of one fix (RMC, GGA and GLL of the
// same time of day, also from several talkers) make one point: its
// position is the first one given, its height comes from GGA and its date
// from RMC or ZDA. A sentence takes part only when its checksum is right
// (or lost) and it reports a fix: RMC with status A, GGA with a fix
// quality, GLL without status V; a position with a coordinate of zero,
// out of range or not finite, or without its hemisphere letter, makes no
// point.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace orvane {

struct TrackPoint {
    double latitude = 0;              // signed decimal degrees, north positive
    double longitude = 0;             // signed decimal degrees, east positive
    std::optional<double> elevation;  // metres above mean sea level (GGA)
    int32_t timeOfDay = -1;           // UTC hundredths of a second since midnight; -1 unknown
    std::optional<int64_t> time;      // UTC hundredths of a second since 1970-01-01
};

inline constexpr int64_t kHundredthsPerDay = 8640000;

class TrackCollector {
public:
    // Takes the whole sentences of text; a sentence cut off at the end of
    // the text is left out. Live data comes in one tick's text at a time.
    void Feed(std::string_view text);
    void Clear() { m_Fixes.clear(); }
    bool Empty() const { return m_Fixes.empty(); }
    size_t Size() const { return m_Fixes.size(); }

    // The points with their full times. A fix's date is the one its own
    // sentences give; else it follows from the nearest dated fix before it
    // (a day later each time the time of day runs back over midnight), or
    // after it when none came before. Without any date in the track no
    // point has a full time.
    std::vector<TrackPoint> Points() const;

private:
    // A point as kept: 32 bytes, for a live session of days at 10 Hz.
    static constexpr int32_t kNoDay = INT32_MIN;
    struct Fix {
        double latitude, longitude;
        double elevation;   // NaN: not known
        int32_t timeOfDay;  // as TrackPoint's
        int32_t day;        // days since 1970-01-01; kNoDay: not known

        bool HasDay() const { return day != kNoDay; }
    };
    void TakeSentence(std::string_view sentence);
    void TakePosition(const TrackPoint& point, std::optional<int64_t> day);
    void TakeDate(int32_t timeOfDay, int64_t day);

    std::vector<Fix> m_Fixes;
};

// Days since 1970-01-01 of a civil date from 1970 to 9999; none for a date
// that does not exist or lies outside.
std::optional<int64_t> DaysOfValidDate(int year, int month, int day);

}  // namespace orvane
