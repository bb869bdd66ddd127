// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrackCollect.h"

#include <array>
#include <cmath>

#include "decoder/Calendar.h"
#include "decoder/FieldConvert.h"
#include "decoder/VectorGrowth.h"

namespace orvane {

namespace {

constexpr int kMaxFields = 24;

struct Fields {
    std::array<std::string_view, kMaxFields> at{};
    int count = 0;
    std::string_view operator[](int i) const { return i < count ? at[size_t(i)] : std::string_view(); }
};

Fields Split(std::string_view body)
{
    Fields fields;
    size_t start = 0;
    while (fields.count < kMaxFields) {
        const size_t comma = body.find(',', start);
        fields.at[size_t(fields.count++)] = body.substr(start, comma == std::string_view::npos ? comma : comma - start);
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return fields;
}

// Digits with at most one point (and a leading minus where allowed); the
// value, or none for an empty or malformed field.
std::optional<double> Number(std::string_view field, bool signedValue)
{
    size_t i = signedValue && !field.empty() && field[0] == '-' ? 1 : 0;
    bool digits = false;
    bool point = false;
    for (; i < field.size(); ++i) {
        if (field[i] >= '0' && field[i] <= '9') {
            digits = true;
        } else if (field[i] == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits)
        return std::nullopt;
    const double value = ParseDecimal(field);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

// hhmmss or hhmmss.ss to hundredths since midnight; -1 when not a time.
int32_t TimeOfDay(std::string_view field)
{
    if (field.size() < 6 || (field.size() > 6 && field[6] != '.'))
        return -1;
    for (size_t i = 0; i < field.size(); ++i) {
        if (i != 6 && (field[i] < '0' || field[i] > '9'))
            return -1;
    }
    const auto two = [&](size_t at) { return (field[at] - '0') * 10 + (field[at + 1] - '0'); };
    const int hour = two(0), minute = two(2), second = two(4);
    if (hour > 23 || minute > 59 || second > 59)
        return -1;
    int hundredths = 0;
    if (field.size() > 7)
        hundredths += (field[7] - '0') * 10;
    if (field.size() > 8)
        hundredths += field[8] - '0';
    return ((hour * 60 + minute) * 60 + second) * 100 + hundredths;
}

// ddmm.mmmm (or dddmm.mmmm) and its hemisphere letter to signed degrees;
// none when anything is missing or out of range. The letter alone gives the
// sign: a minus sign in the field (some receivers add one beside W or S)
// leaves only the magnitude.
std::optional<double> Coordinate(std::string_view value, std::string_view hemisphere, char positive, char negative,
    double limit)
{
    const std::optional<double> signedRaw = Number(value, true);
    if (!signedRaw || hemisphere.size() != 1 || (hemisphere[0] != positive && hemisphere[0] != negative))
        return std::nullopt;
    const double raw = std::fabs(*signedRaw);
    if (std::fmod(raw, 100.0) >= 60.0)
        return std::nullopt;
    const double degrees = ToDegrees(raw);
    if (!std::isfinite(degrees) || degrees == 0 || degrees > limit)
        return std::nullopt;
    return hemisphere[0] == negative ? -degrees : degrees;
}

std::optional<TrackPoint> Position(const Fields& f, int latAt, int timeAt)
{
    const auto latitude = Coordinate(f[latAt], f[latAt + 1], 'N', 'S', 90.0);
    const auto longitude = Coordinate(f[latAt + 2], f[latAt + 3], 'E', 'W', 180.0);
    if (!latitude || !longitude)
        return std::nullopt;
    TrackPoint point;
    point.latitude = *latitude;
    point.longitude = *longitude;
    point.timeOfDay = TimeOfDay(f[timeAt]);
    return point;
}

// ddmmyy of RMC.
std::optional<int64_t> RmcDay(std::string_view field)
{
    if (field.size() != 6)
        return std::nullopt;
    for (const char c : field) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    const auto two = [&](size_t at) { return (field[at] - '0') * 10 + (field[at + 1] - '0'); };
    return DaysOfValidDate(2000 + two(4), two(2), two(0));
}

}  // namespace

std::optional<int64_t> DaysOfValidDate(int year, int month, int day)
{
    static constexpr std::array<int, 12> kDays{31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (year < 1970 || year > 9999 || month < 1 || month > 12 || day < 1 || day > kDays[size_t(month - 1)] ||
        (month == 2 && day == 29 && !leap))
        return std::nullopt;
    return DaysFromCivil(year, month, day);
}

void TrackCollector::Feed(std::string_view text)
{
    size_t at = text.find('$');
    while (at != std::string_view::npos) {
        const size_t end = text.find_first_of("*$\r\n", at + 1);
        if (end == std::string_view::npos)
            return;
        if (text[end] != '*') {
            at = text[end] == '$' ? end : text.find('$', end);
            continue;
        }
        const std::string_view body = text.substr(at + 1, end - at - 1);
        bool intact = true;
        if (end + 2 < text.size() && HexValue(text[end + 1]) >= 0 && HexValue(text[end + 2]) >= 0) {
            unsigned sum = 0;
            for (const char c : body)
                sum ^= static_cast<unsigned char>(c);
            intact = sum == unsigned(HexValue(text[end + 1]) * 16 + HexValue(text[end + 2]));
        }
        if (intact)
            TakeSentence(body);
        at = text.find('$', end);
    }
}

void TrackCollector::TakeSentence(std::string_view body)
{
    const Fields f = Split(body);
    if (f[0].size() != 5 || f[0][0] == 'P')
        return;
    const std::string_view type = f[0].substr(2);
    if (type == "RMC") {
        if (f[2] != "A")
            return;
        if (const auto point = Position(f, 3, 1))
            TakePosition(*point, RmcDay(f[9]));
    } else if (type == "GGA") {
        if (f[6].empty() || f[6] == "0")
            return;
        if (auto point = Position(f, 2, 1)) {
            point->elevation = Number(f[9], true);
            TakePosition(*point, std::nullopt);
        }
    } else if (type == "GLL") {
        if (f[6] == "V")
            return;
        if (const auto point = Position(f, 1, 5))
            TakePosition(*point, std::nullopt);
    } else if (type == "ZDA") {
        const int32_t timeOfDay = TimeOfDay(f[1]);
        const auto day = Number(f[2], false), month = Number(f[3], false), year = Number(f[4], false);
        if (timeOfDay < 0 || !day || !month || !year || *year > 9999 || *month > 12 || *day > 31)
            return;
        if (const auto days = DaysOfValidDate(int(*year), int(*month), int(*day)))
            TakeDate(timeOfDay, *days);
    }
}

void TrackCollector::TakePosition(const TrackPoint& point, std::optional<int64_t> day)
{
    const int32_t dayKept = day ? int32_t(*day) : kNoDay;
    if (!m_Fixes.empty() && point.timeOfDay >= 0 && m_Fixes.back().timeOfDay == point.timeOfDay) {
        Fix& fix = m_Fixes.back();
        if (std::isnan(fix.elevation) && point.elevation)
            fix.elevation = *point.elevation;
        if (!fix.HasDay())
            fix.day = dayKept;
        return;
    }
    ReserveForMore(m_Fixes, 1);
    m_Fixes.push_back(
        {point.latitude, point.longitude, point.elevation.value_or(std::nan("")), point.timeOfDay, dayKept});
}

void TrackCollector::TakeDate(int32_t timeOfDay, int64_t day)
{
    if (!m_Fixes.empty() && m_Fixes.back().timeOfDay == timeOfDay && !m_Fixes.back().HasDay())
        m_Fixes.back().day = int32_t(day);
}

std::vector<TrackPoint> TrackCollector::Points() const
{
    std::vector<TrackPoint> points;
    points.reserve(m_Fixes.size());
    for (const Fix& fix : m_Fixes) {
        TrackPoint& point = points.emplace_back();
        point.latitude = fix.latitude;
        point.longitude = fix.longitude;
        if (!std::isnan(fix.elevation))
            point.elevation = fix.elevation;
        point.timeOfDay = fix.timeOfDay;
    }

    // The day of each fix, from the first dated one onwards and back.
    const int64_t halfDay = kHundredthsPerDay / 2;
    size_t first = 0;
    while (first < m_Fixes.size() && !(m_Fixes[first].HasDay() && m_Fixes[first].timeOfDay >= 0))
        ++first;
    if (first == m_Fixes.size())
        return points;
    std::vector<std::optional<int64_t>> days(m_Fixes.size());
    days[first] = m_Fixes[first].day;
    int64_t day = m_Fixes[first].day;
    int32_t last = m_Fixes[first].timeOfDay;
    for (size_t i = first + 1; i < m_Fixes.size(); ++i) {
        const int32_t timeOfDay = m_Fixes[i].timeOfDay;
        if (timeOfDay < 0)
            continue;
        if (m_Fixes[i].HasDay())
            day = m_Fixes[i].day;
        else if (timeOfDay < last - halfDay)
            ++day;
        days[i] = day;
        last = timeOfDay;
    }
    day = m_Fixes[first].day;
    last = m_Fixes[first].timeOfDay;
    for (size_t i = first; i-- > 0;) {
        const int32_t timeOfDay = m_Fixes[i].timeOfDay;
        if (timeOfDay < 0)
            continue;
        if (timeOfDay > last + halfDay)
            --day;
        days[i] = day;
        last = timeOfDay;
    }
    for (size_t i = 0; i < points.size(); ++i) {
        if (days[i])
            points[i].time = *days[i] * kHundredthsPerDay + points[i].timeOfDay;
    }
    return points;
}

}  // namespace orvane
