// SPDX-License-Identifier: GPL-3.0-or-later
#include "FixSummary.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "FieldConvert.h"
#include "FieldWalk.h"
#include "Parsers.h"
#include "Tables.h"

namespace orvane {

namespace {

constexpr int32_t kHundredthsPerDay = 24 * 60 * 60 * 100;
constexpr size_t kLongestSentence = 4096;
// A GSV set being assembled holds at most this many satellites.
constexpr size_t kMostSatellites = SkyModel::kMostSatellites;

// Field n of a sentence (0 is the address "$GPGGA"); empty when missing.
// The last field ends at "*" or at the end of the sentence.
std::string_view Field(std::string_view sentence, int n)
{
    // The commas before it are found as the parsers find theirs; the field
    // itself is a few characters long, walked plainly to its end.
    detail::FieldCursor cursor(sentence);
    std::string_view skipped;
    for (int k = 0; k < n; ++k) {
        if (!cursor.Next(skipped))
            return {};
    }
    const char* const data = sentence.data();
    const size_t size = sentence.size();
    const size_t begin = cursor.Position();
    size_t end = begin;
    while (end < size && data[end] != ',' && data[end] != '*')
        ++end;
    return sentence.substr(begin, end - begin);
}

// Hundredths of a second since midnight, or -1 when a field is out of its
// range (a broken sentence): such a time is not taken.
int32_t TimeOfDay(const NmeaDateTime& dateTime)
{
    if (dateTime.hour > 23 || dateTime.minute > 59 || dateTime.second > 60 || dateTime.hundredths > 99)
        return -1;
    return ((int32_t(dateTime.hour) * 60 + dateTime.minute) * 60 + dateTime.second) * 100 + dateTime.hundredths;
}

// A hemisphere letter as a sign: +1, -1, or 0 when it is no hemisphere.
int HemisphereSign(char16_t letter, char16_t positive, char16_t negative)
{
    return letter == positive ? 1 : letter == negative ? -1 : 0;
}

}  // namespace

void FixSummary::Consume(std::string_view text, size_t begin, size_t end)
{
    end = std::min(end, text.size());
    const char* const data = text.data();
    size_t pos = begin;
    while (pos < end) {
        const void* found = std::memchr(data + pos, '$', end - pos);
        if (!found)
            return;
        const size_t dollar = size_t(static_cast<const char*>(found) - data);

        // The sentence runs to its "*", or stops at a line end or the next
        // "$", whichever comes first. No sentence is longer than the limit,
        // which keeps the search linear in the stretch.
        const size_t limit = std::min(text.size(), dollar + kLongestSentence);
        unsigned char sum = 0;
        size_t stop = dollar + 1;
        for (; stop < limit; ++stop) {
            const char c = data[stop];
            if (c == '*' || c == '\n' || c == '\r' || c == '$')
                break;
            sum ^= static_cast<unsigned char>(c);
        }
        const bool starred = stop < limit && data[stop] == '*';
        bool checksumOk = false;
        if (starred && stop + 2 < text.size()) {
            const int high = HexValue(data[stop + 1]);
            const int low = HexValue(data[stop + 2]);
            checksumOk = high >= 0 && low >= 0 && (high << 4 | low) == sum;
        }
        const std::string_view sentence = text.substr(dollar, (starred ? stop + 1 : stop) - dollar);
        pos = std::max(stop, dollar + 1);

        if (sentence.size() < 6)
            continue;
        const int talkerRow = TalkerRowFromId(sentence.substr(1, 2));
        if (talkerRow < 0)
            continue;
        if (!checksumOk)
            ++m_Talkers[size_t(talkerRow)].badChecksum;
        const int messageRow = MessageRowFromId(sentence.substr(3, 3));
        TakeSentence(sentence, talkerRow, messageRow);
    }
}

void FixSummary::TakeSentence(std::string_view sentence, int talkerRow, int messageRow)
{
    TalkerSummary& talker = m_Talkers[size_t(talkerRow)];
    // Every decoded type: its parser's code, then what it tells.
    int32_t code = 0;
    switch (messageRow) {
    case kGgaRow: {
        GgaRecord record;
        if ((code = ParseGga(sentence, record)) != 0)
            break;
        const std::string_view timeField = Field(sentence, 1);
        TakeTime(timeField, record.dateTime);
        if (!Field(sentence, 6).empty())
            m_Quality.Set(record.fixQuality);
        if (record.fixQuality > 0) {
            TakePosition(record.latitude, record.latHemisphere, record.longitude, record.lonHemisphere, timeField,
                record.dateTime);
            if (!Field(sentence, 9).empty() && std::isfinite(record.altitude))
                m_Altitude.Set(record.altitude);
            if (record.hdop > 0 && std::isfinite(record.hdop))
                m_Hdop.Set(record.hdop);
        }
        break;
    }
    case kGllRow: {
        GllRecord record;
        if ((code = ParseGll(sentence, record)) != 0)
            break;
        TakeTime(Field(sentence, 5), record.dateTime);
        // Only a valid fix gives a position: status A, and a mode other
        // than N (no fix) where the receiver sends the mode.
        if (Field(sentence, 6) == "A" && Field(sentence, 7) != "N")
            TakePosition(record.latitude, record.latHemisphere, record.longitude, record.lonHemisphere,
                Field(sentence, 5), record.dateTime);
        break;
    }
    case kGsaRow: {
        GsaRecord record;
        if ((code = ParseGsa(sentence, record)) != 0)
            break;
        if (record.fixType >= 1 && record.fixType <= 3)
            m_FixType.Set(record.fixType);
        // NMEA 4.10+ names the constellation in field 18.
        const std::string_view system = Field(sentence, 18);
        m_Sky.TakeGsa(sentence.substr(1, 2), system.empty() ? 0 : ParseInteger(system), record.prn, m_Epoch);
        for (auto [dop, value] : {std::pair{&m_Pdop, record.pdop}, {&m_Hdop, record.hdop}, {&m_Vdop, record.vdop}}) {
            if (value > 0 && std::isfinite(value))
                dop->Set(value);
        }
        break;
    }
    case kGsvRow: {
        GsvList list;
        const int32_t count = ParseGsv(sentence, list);
        if (count < 0) {
            code = count;
            break;
        }
        TakeGsv(sentence, talkerRow, list);
        break;
    }
    case kRmcRow: {
        RmcRecord record;
        if ((code = ParseRmc(sentence, record)) != 0)
            break;
        TakeTime(Field(sentence, 1), record.dateTime);
        m_Reports.Take(sentence, "RMC");  // the mode and nav status of NMEA 2.3 and 4.10
        if (!Field(sentence, 9).empty())
            m_Date.Set({record.dateTime.year, record.dateTime.month, record.dateTime.day});
        if (record.status == u'A') {
            TakePosition(record.latitude, record.latHemisphere, record.longitude, record.lonHemisphere,
                Field(sentence, 1), record.dateTime);
            TakeMotion(Field(sentence, 7), record.speedKmh, Field(sentence, 8), record.course);
        }
        break;
    }
    case kVtgRow: {
        VtgRecord record;
        if ((code = ParseVtg(sentence, record)) != 0)
            break;
        TakeMotion(Field(sentence, 7), record.speedKmh, Field(sentence, 1), record.courseTrue);
        break;
    }
    case kZdaRow: {
        ZdaRecord record;
        if ((code = ParseZda(sentence, record)) != 0)
            break;
        TakeTime(Field(sentence, 1), record);
        if (record.day >= 1 && record.day <= 31 && record.month >= 1 && record.month <= 12 && record.year != 0)
            m_Date.Set({record.year, record.month, record.day});
        break;
    }
    default:
        // The sentences today's receivers add (GNS, GST, GBS, TXT, THS);
        // any other type is only counted for its checksum.
        switch (m_Reports.Take(sentence, sentence.substr(3, 3))) {
        case ReportResult::OtherType:
            return;
        case ReportResult::NotParsed:
            code = 1;
            break;
        case ReportResult::Taken:
            break;
        }
        break;
    }
    if (code != 0)
        ++talker.parseErrors;
    else
        ++talker.decoded;
}

void FixSummary::TakeTime(std::string_view timeField, const NmeaDateTime& dateTime)
{
    const int32_t timeOfDay = TimeOfDay(dateTime);
    if (timeField.empty() || timeOfDay < 0)
        return;
    if (!m_Time.Known() || m_Time.value != timeOfDay)
        ++m_Epoch;
    m_Time.Set(timeOfDay);
}

void FixSummary::TakePosition(double latitude, char16_t latHemisphere, double longitude, char16_t lonHemisphere,
    std::string_view timeField, const NmeaDateTime& dateTime)
{
    // The letter alone gives the sign: some receivers also put a minus sign
    // in a western or southern field.
    latitude = std::fabs(latitude);
    longitude = std::fabs(longitude);
    const int latSign = HemisphereSign(latHemisphere, u'N', u'S');
    const int lonSign = HemisphereSign(lonHemisphere, u'E', u'W');
    if (latSign == 0 || lonSign == 0 || !std::isfinite(latitude) || !std::isfinite(longitude) || latitude > 90 ||
        longitude > 180)
        return;
    SummaryPosition position;
    position.latitude = latSign * latitude;
    position.longitude = lonSign * longitude;
    const int32_t timeOfDay = TimeOfDay(dateTime);
    position.timed = !timeField.empty() && timeOfDay >= 0;
    position.timeOfDay = position.timed ? timeOfDay : 0;
    m_Position.Set(position);
}

void FixSummary::TakeMotion(std::string_view speedField, double speedKmh, std::string_view courseField, double course)
{
    // An empty field was not sent: the last value sent stays, and ages.
    if (!speedField.empty() && std::isfinite(speedKmh))
        m_SpeedKmh.Set(speedKmh);
    if (!courseField.empty() && std::isfinite(course))
        m_Course.Set(course);
}

void FixSummary::TakeGsv(std::string_view sentence, int talkerRow, const GsvList& list)
{
    TalkerSummary& talker = m_Talkers[size_t(talkerRow)];
    const int32_t total = ParseInteger(Field(sentence, 1));
    const int32_t number = ParseInteger(Field(sentence, 2));
    // The signal as its hexadecimal digit; ID 0 ("all signals") names none.
    const char signal = list.signal > 0 ? "0123456789ABCDEF"[list.signal] : 0;
    if (total < 1 || number < 1 || number > total) {
        talker.pendingNext = 0;
        return;
    }
    // A set starts at its first sentence; one out of turn, or of another
    // signal, drops the set.
    if (number == 1) {
        talker.pending.clear();
        talker.pendingTotal = total;
        talker.pendingSignal = signal;
    } else if (number != talker.pendingNext || total != talker.pendingTotal || signal != talker.pendingSignal) {
        talker.pendingNext = 0;
        return;
    }
    for (int k = 0; k < list.count; ++k) {
        const GsvSatellite& satellite = list.entries[size_t(k)];
        if (satellite.prn != 0 && talker.pending.size() < kMostSatellites)
            talker.pending.push_back(satellite);
    }
    if (number < total) {
        talker.pendingNext = number + 1;
        return;
    }
    talker.pendingNext = 0;
    m_Sky.TakeGsvSet(talkerRow, sentence.substr(1, 2), signal, talker.pending, m_Epoch);
    talker.pending.clear();
}

std::string_view FixSummary::FixLabel() const
{
    static constexpr std::string_view kQualityLabels[] = {"No fix", "", "DGPS", "DGPS", "RTK fixed", "RTK float",
        "Estimated", "Manual", "Simulated"};
    if (m_Quality.Known() && m_Quality.value >= 0 && m_Quality.value <= 8 && m_Quality.value != 1)
        return kQualityLabels[m_Quality.value];
    if (m_FixType.Known())
        return m_FixType.value == 3 ? "3D" : m_FixType.value == 2 ? "2D" : "No fix";
    if (m_Quality.Known() && m_Quality.value == 1)
        return "3D";
    return "No fix";
}

double FixSummary::PositionAgeSeconds() const
{
    if (!m_Position.Known() || !m_Position.value.timed || !m_Time.Known())
        return -1;
    const int32_t age =
        ((m_Time.value - m_Position.value.timeOfDay) % kHundredthsPerDay + kHundredthsPerDay) % kHundredthsPerDay;
    return age / 100.0;
}

}  // namespace orvane
