// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fix summary: the latest state of the receiver as every sentence of the
// stream tells it, whatever talker and type the text view shows. Each replay
// or live tick hands it the stretch of text the tick consumed; it reads
// every sentence that starts in the stretch, of every talker and every
// decoded type, with the sentence parsers, and keeps the latest value of
// each field together with the number of times the field was updated (a
// reader that notes the count sees when a value goes stale). The cost is
// linear in the stretch.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "Latest.h"
#include "ReceiverReports.h"
#include "Records.h"
#include "SkyModel.h"

namespace orvane {

struct SummaryDate {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t day = 0;
};

struct SummaryPosition {
    double latitude = 0;    // signed degrees, north positive
    double longitude = 0;   // signed degrees, east positive
    bool timed = false;     // the sentence carried its time of day
    int32_t timeOfDay = 0;  // hundredths of a second since midnight, when timed
};

// One talker row's sentence counts and the GSV set it is sending.
struct TalkerSummary {
    uint64_t decoded = 0;      // sentences of a decoded type that parsed
    uint64_t badChecksum = 0;  // sentences of any type whose checksum is wrong or missing
    uint64_t parseErrors = 0;  // sentences of a decoded type that did not parse

    // The GSV set being assembled: the satellites so far, the sentence
    // number expected next (0: none), the set's sentence count and its
    // signal ID (0: none given).
    std::vector<GsvSatellite> pending;
    int32_t pendingNext = 0;
    int32_t pendingTotal = 0;
    char pendingSignal = 0;

    uint64_t Sentences() const { return decoded + badChecksum + parseErrors; }
};

class FixSummary {
public:
    // Reads every sentence whose "$" lies in text[begin, end). A sentence
    // runs to its "*" and two checksum digits, or to its line end, the next
    // "$" or the end of text when the "*" is missing; it may end past end.
    void Consume(std::string_view text, size_t begin, size_t end);
    // Forgets everything, counts included.
    void Reset() { *this = FixSummary(); }

    const Latest<SummaryDate>& Date() const { return m_Date; }
    // The latest time of day of any sentence, in hundredths of a second.
    const Latest<int32_t>& Time() const { return m_Time; }
    const Latest<SummaryPosition>& Position() const { return m_Position; }
    const Latest<double>& Altitude() const { return m_Altitude; }
    const Latest<int32_t>& Quality() const { return m_Quality; }  // GGA fix quality
    const Latest<int32_t>& FixType() const { return m_FixType; }  // GSA fix type, 1 to 3
    const Latest<double>& Pdop() const { return m_Pdop; }
    const Latest<double>& Hdop() const { return m_Hdop; }
    const Latest<double>& Vdop() const { return m_Vdop; }
    // Speed and course each from the sentences that carried the field: a
    // stationary receiver often leaves its course empty.
    const Latest<double>& SpeedKmh() const { return m_SpeedKmh; }
    const Latest<double>& Course() const { return m_Course; }  // degrees true
    const TalkerSummary& Talker(int talkerRow) const { return m_Talkers[size_t(talkerRow)]; }
    // The satellites of the latest epoch, per constellation.
    const SkyModel& Sky() const { return m_Sky; }
    // What GNS, GST, GBS, TXT, THS and the RMC status fields report.
    const ReceiverReports& Reports() const { return m_Reports; }

    // "No fix", "2D", "3D", "DGPS", "RTK fixed", "RTK float", "Estimated",
    // "Manual" or "Simulated", from the GGA quality and the GSA fix type.
    std::string_view FixLabel() const;
    // Seconds from the last position's time to the latest time (across
    // midnight); negative when either is unknown.
    double PositionAgeSeconds() const;
    // Distinct satellites (constellation and PRN) used and in view.
    int SatellitesUsed() const { return m_Sky.Used(); }
    int SatellitesInView() const { return m_Sky.InView(); }
    // The satellites in view, in constellation order and then in the order
    // reported; used when its own constellation's GSA lists it.
    std::vector<SkySatellite> Satellites() const { return m_Sky.Satellites(); }

private:
    void TakeSentence(std::string_view sentence, int talkerRow, int messageRow);
    void TakeTime(std::string_view timeField, const NmeaDateTime& dateTime);
    void TakePosition(double latitude, char16_t latHemisphere, double longitude, char16_t lonHemisphere,
        std::string_view timeField, const NmeaDateTime& dateTime);
    void TakeMotion(std::string_view speedField, double speedKmh, std::string_view courseField, double course);
    void TakeGsv(std::string_view sentence, int talkerRow, const GsvList& list);

    Latest<SummaryDate> m_Date;
    Latest<int32_t> m_Time;
    Latest<SummaryPosition> m_Position;
    Latest<double> m_Altitude;
    Latest<int32_t> m_Quality;
    Latest<int32_t> m_FixType;
    Latest<double> m_Pdop;
    Latest<double> m_Hdop;
    Latest<double> m_Vdop;
    Latest<double> m_SpeedKmh;
    Latest<double> m_Course;
    std::array<TalkerSummary, kSatelliteRows> m_Talkers{};
    SkyModel m_Sky;
    ReceiverReports m_Reports;
    // Counts the changes of the time of day: sentences of one epoch share
    // it, so a second GSA or GSV set of a talker within an epoch adds to the
    // first instead of replacing it. 0 until a time is known.
    uint64_t m_Epoch = 0;
};

}  // namespace orvane
