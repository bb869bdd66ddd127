// SPDX-License-Identifier: GPL-3.0-or-later
// GNS, GST, GBS, THS, TXT and the late fields of RMC, in the field layout of
// NMEA 0183 4.11. Each reader fills a report of its own and hands it over
// only when every field it reads is of its form, so a broken sentence
// changes nothing.

#include "ReceiverReports.h"

#include <algorithm>
#include <cmath>

#include "FieldConvert.h"
#include "FieldWalk.h"
#include "KeyValueLines.h"
#include "TextFormat.h"

namespace orvane {

using namespace detail;

namespace {

// The most fields a sentence is split into; later ones are not read (NMEA
// adds fields at the end, and none of these types has this many).
constexpr size_t kMostFields = 24;

// A sentence's fields up to its "*": field 0 is the address ("$GNGST"),
// field n the one after comma n.
class Fields {
public:
    // False when the sentence has no "*" (it may be cut short) or no comma.
    bool Split(std::string_view sentence)
    {
        const size_t star = sentence.find('*');
        if (star == std::string_view::npos)
            return false;
        m_Body = sentence.substr(0, star);
        FieldCursor cursor(m_Body);
        std::string_view field;
        m_Count = 0;
        while (cursor.Next(field)) {
            if (m_Count < kMostFields)
                m_Fields[m_Count++] = field;
        }
        if (m_Count == 0)
            return false;
        // The field after the last comma ends at the "*".
        if (m_Count < kMostFields)
            m_Fields[m_Count++] = m_Body.substr(cursor.Position());
        return true;
    }

    size_t Count() const { return m_Count; }
    std::string_view operator[](size_t n) const { return n < m_Count ? m_Fields[n] : std::string_view(); }
    // Field n and everything after it, commas included, up to the "*";
    // n below Count().
    std::string_view From(size_t n) const { return m_Body.substr(size_t(m_Fields[n].data() - m_Body.data())); }

private:
    std::string_view m_Body;
    std::array<std::string_view, kMostFields> m_Fields{};
    size_t m_Count = 0;
};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// An empty field leaves the value unknown; otherwise the field must be a
// number (an optional minus, digits with at most one point) that fits.
bool ReadDecimal(std::string_view field, std::optional<double>& value)
{
    value.reset();
    if (field.empty())
        return true;
    size_t at = field.front() == '-' ? 1 : 0;
    bool point = false;
    bool digits = false;
    for (; at < field.size(); ++at) {
        if (IsDigit(field[at]))
            digits = true;
        else if (field[at] == '.' && !point)
            point = true;
        else
            return false;
    }
    if (!digits)
        return false;
    const double number = ParseDecimal(field);
    if (!std::isfinite(number))
        return false;
    value = number;
    return true;
}

// An empty field leaves the value unknown; otherwise digits only.
bool ReadCount(std::string_view field, std::optional<int32_t>& value)
{
    value.reset();
    if (field.empty())
        return true;
    if (!std::all_of(field.begin(), field.end(), IsDigit))
        return false;
    value = ParseInteger(field);
    return true;
}

// An empty field leaves the value unknown; otherwise one or two
// hexadecimal digits.
bool ReadHex(std::string_view field, std::optional<int32_t>& value)
{
    value.reset();
    if (field.empty())
        return true;
    if (field.size() > 2)
        return false;
    int32_t number = 0;
    for (const char c : field) {
        const int digit = HexValue(c);
        if (digit < 0)
            return false;
        number = number * 16 + digit;
    }
    value = number;
    return true;
}

bool IsLetter(char c)
{
    return c >= 'A' && c <= 'Z';
}

// An empty field leaves the letter unknown; otherwise one capital letter.
bool ReadLetter(std::string_view field, std::optional<char>& letter)
{
    letter.reset();
    if (field.empty())
        return true;
    if (field.size() != 1 || !IsLetter(field.front()))
        return false;
    letter = field.front();
    return true;
}

// A field that must be given: digits only.
bool ReadRequiredCount(std::string_view field, int32_t& value)
{
    std::optional<int32_t> read;
    if (field.empty() || !ReadCount(field, read))
        return false;
    value = *read;
    return true;
}

// $GNGNS,112257.00,3844.24011,N,00908.43828,W,AAAAN,28,0.6,105.2,48.9,,,S*hh
//        time      lat        N lon         W modes sv hdop alt  geoid age station nav
// (time and position are not read; the navigational status is sent from
// 4.10 on, and before that the sentence ends after the station)
bool ReadGns(const Fields& fields, GnsReport& report)
{
    if (fields.Count() < 13)
        return false;
    const std::string_view modes = fields[6];
    if (modes.size() > kMostGnsModes || !std::all_of(modes.begin(), modes.end(), IsLetter))
        return false;
    std::copy(modes.begin(), modes.end(), report.modeLetters.begin());
    report.modeCount = uint8_t(modes.size());
    return ReadCount(fields[7], report.satellitesUsed) && ReadDecimal(fields[8], report.hdop) &&
           ReadDecimal(fields[9], report.altitude) && ReadDecimal(fields[10], report.geoidSeparation) &&
           ReadDecimal(fields[11], report.differentialAge) && ReadCount(fields[12], report.stationId) &&
           ReadLetter(fields[13], report.navStatus);
}

// $GNGST,082356.00,1.8,,,,1.7,1.3,2.2*60
//        time      rms major minor orientation lat lon alt
// (metres but the orientation, in degrees from true north; time not read)
bool ReadGst(const Fields& fields, GstReport& report)
{
    return fields.Count() >= 9 && ReadDecimal(fields[2], report.rangeRms) &&
           ReadDecimal(fields[3], report.sigmaMajor) && ReadDecimal(fields[4], report.sigmaMinor) &&
           ReadDecimal(fields[5], report.orientation) && ReadDecimal(fields[6], report.sigmaLatitude) &&
           ReadDecimal(fields[7], report.sigmaLongitude) && ReadDecimal(fields[8], report.sigmaAltitude);
}

// $GNGBS,235458.00,1.4,1.3,3.1,03,,-21.4,3.8,1,0*hh
//        time      lat lon alt sat probability bias sigma system signal
// (expected errors, bias and its sigma in metres; the system and signal of
// the failed satellite are sent from 4.10 on, as one hexadecimal digit
// each, two digits also read; time not read)
bool ReadGbs(const Fields& fields, GbsReport& report)
{
    return fields.Count() >= 9 && ReadDecimal(fields[2], report.errorLatitude) &&
           ReadDecimal(fields[3], report.errorLongitude) && ReadDecimal(fields[4], report.errorAltitude) &&
           ReadCount(fields[5], report.failedSatellite) && ReadDecimal(fields[6], report.missedProbability) &&
           ReadDecimal(fields[7], report.bias) && ReadDecimal(fields[8], report.biasSigma) &&
           ReadHex(fields[9], report.systemId) && ReadHex(fields[10], report.signalId);
}

// $GNRMC,083559.00,A,4717.11437,N,00833.91522,E,0.004,77.52,091202,,,D,S*hh
//        time      st lat       N lon        E knots course date var E mode nav
// (only the mode, sent from 2.3 on, and the navigational status, from 4.10
// on, are read here; 'present' is false for an RMC without a mode field)
bool ReadRmc(const Fields& fields, RmcStatus& status, bool& present)
{
    present = fields.Count() >= 13;
    return !present || (ReadLetter(fields[12], status.mode) && ReadLetter(fields[13], status.navStatus));
}

// $GNTHS,77.52,E*2A
//        heading mode
// (degrees true; A autonomous, E estimated, M manual, S simulator, V not
// valid; 'valid' is true for a heading that may be shown)
bool ReadThs(const Fields& fields, HeadingReport& report, bool& valid)
{
    std::optional<double> heading;
    std::optional<char> mode;
    if (fields.Count() < 3 || !ReadDecimal(fields[1], heading) || !ReadLetter(fields[2], mode))
        return false;
    if (heading && (*heading < 0 || *heading > 360))
        return false;
    valid = heading && mode && (*mode == 'A' || *mode == 'E' || *mode == 'M' || *mode == 'S');
    if (valid)
        report = {*heading, *mode};
    return true;
}

// $GNTXT,01,01,02,ANTSTATUS=OK*25
//        total number id text
// (the text runs to the "*", commas included; it must be printable)
bool ReadTxt(const Fields& fields, TxtMessage& message)
{
    if (fields.Count() < 5 || !ReadRequiredCount(fields[1], message.total) ||
        !ReadRequiredCount(fields[2], message.number) || !ReadRequiredCount(fields[3], message.id))
        return false;
    if (message.total < 1 || message.number < 1 || message.number > message.total)
        return false;
    const std::string_view text = fields.From(4);
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c <= '~'; }))
        return false;
    message.length = uint8_t(std::min(text.size(), kTxtTextCapacity));
    std::copy_n(text.begin(), message.length, message.letters.begin());
    return true;
}

}  // namespace

void TxtLog::Push(const TxtMessage& message)
{
    if (m_Size < kCapacity) {
        m_Messages[(m_First + m_Size) % kCapacity] = message;
        ++m_Size;
    } else {
        m_Messages[m_First] = message;
        m_First = (m_First + 1) % kCapacity;
    }
    ++m_Received;
}

ReportResult ReceiverReports::Take(std::string_view sentence, std::string_view type)
{
    enum class Kind { Gns, Gst, Gbs, Rmc, Ths, Txt };
    Kind kind;
    if (type == "GNS")
        kind = Kind::Gns;
    else if (type == "GST")
        kind = Kind::Gst;
    else if (type == "GBS")
        kind = Kind::Gbs;
    else if (type == "RMC")
        kind = Kind::Rmc;
    else if (type == "THS")
        kind = Kind::Ths;
    else if (type == "TXT")
        kind = Kind::Txt;
    else
        return ReportResult::OtherType;

    Fields fields;
    if (!fields.Split(sentence))
        return ReportResult::NotParsed;
    switch (kind) {
    case Kind::Gns: {
        GnsReport report;
        if (!ReadGns(fields, report))
            return ReportResult::NotParsed;
        m_Gns.Set(report);
        break;
    }
    case Kind::Gst: {
        GstReport report;
        if (!ReadGst(fields, report))
            return ReportResult::NotParsed;
        m_Gst.Set(report);
        break;
    }
    case Kind::Gbs: {
        GbsReport report;
        if (!ReadGbs(fields, report))
            return ReportResult::NotParsed;
        m_Gbs.Set(report);
        break;
    }
    case Kind::Rmc: {
        RmcStatus status;
        bool present = false;
        if (!ReadRmc(fields, status, present))
            return ReportResult::NotParsed;
        if (present)
            m_Rmc.Set(status);
        break;
    }
    case Kind::Ths: {
        HeadingReport report;
        bool valid = false;
        if (!ReadThs(fields, report, valid))
            return ReportResult::NotParsed;
        if (valid)
            m_TrueHeading.Set(report);
        break;
    }
    case Kind::Txt: {
        TxtMessage message;
        if (!ReadTxt(fields, message))
            return ReportResult::NotParsed;
        m_Txt.Push(message);
        break;
    }
    }
    return ReportResult::Taken;
}

std::string ReceiverReportsText(const ReceiverReports& reports)
{
    std::string out;
    KeyValueLines lines(out);

    const bool gnsKnown = reports.Gns().Known();
    const GnsReport& gns = reports.Gns().value;
    lines.Add("gns_mode", gnsKnown && gns.modeCount != 0, [&](std::string& text) { text.append(gns.Modes()); });
    lines.AddInt("gns_satellites_used", gnsKnown, gns.satellitesUsed);
    lines.AddFixed("gns_hdop", gnsKnown, gns.hdop, 2);
    lines.AddFixed("gns_altitude_m", gnsKnown, gns.altitude, 2);
    lines.AddFixed("gns_geoid_separation_m", gnsKnown, gns.geoidSeparation, 2);
    lines.AddFixed("gns_diff_age_s", gnsKnown, gns.differentialAge, 1);
    lines.AddInt("gns_station_id", gnsKnown, gns.stationId);
    lines.AddLetter("gns_nav_status", gnsKnown, gns.navStatus);

    const bool rmcKnown = reports.Rmc().Known();
    lines.AddLetter("rmc_mode", rmcKnown, reports.Rmc().value.mode);
    lines.AddLetter("rmc_nav_status", rmcKnown, reports.Rmc().value.navStatus);

    const bool gstKnown = reports.Gst().Known();
    const GstReport& gst = reports.Gst().value;
    lines.AddFixed("gst_rms_m", gstKnown, gst.rangeRms, 3);
    lines.AddFixed("gst_sigma_major_m", gstKnown, gst.sigmaMajor, 3);
    lines.AddFixed("gst_sigma_minor_m", gstKnown, gst.sigmaMinor, 3);
    lines.AddFixed("gst_orientation_deg", gstKnown, gst.orientation, 2);
    lines.AddFixed("gst_sigma_lat_m", gstKnown, gst.sigmaLatitude, 3);
    lines.AddFixed("gst_sigma_lon_m", gstKnown, gst.sigmaLongitude, 3);
    lines.AddFixed("gst_sigma_alt_m", gstKnown, gst.sigmaAltitude, 3);

    const bool gbsKnown = reports.Gbs().Known();
    const GbsReport& gbs = reports.Gbs().value;
    lines.AddFixed("gbs_error_lat_m", gbsKnown, gbs.errorLatitude, 3);
    lines.AddFixed("gbs_error_lon_m", gbsKnown, gbs.errorLongitude, 3);
    lines.AddFixed("gbs_error_alt_m", gbsKnown, gbs.errorAltitude, 3);
    lines.AddInt("gbs_failed_satellite", gbsKnown, gbs.failedSatellite);
    lines.AddFixed("gbs_missed_probability", gbsKnown, gbs.missedProbability, 4);
    lines.AddFixed("gbs_bias_m", gbsKnown, gbs.bias, 3);
    lines.AddFixed("gbs_bias_sigma_m", gbsKnown, gbs.biasSigma, 3);
    lines.AddInt("gbs_system_id", gbsKnown, gbs.systemId);
    lines.AddInt("gbs_signal_id", gbsKnown, gbs.signalId);

    const auto& heading = reports.TrueHeading();
    lines.Add("true_heading_deg", heading.Known(),
        [&](std::string& text) { AppendFixed(text, heading.value.degrees, 3); });
    lines.Add("true_heading_mode", heading.Known(), [&](std::string& text) { text.push_back(heading.value.mode); });

    const TxtLog& txt = reports.Txt();
    for (size_t k = 0; k < txt.Size(); ++k) {
        const TxtMessage& message = txt.At(k);
        out.append("txt=");
        AppendInt(out, message.id, 2);
        out.push_back(',');
        out.append(message.Text());
        out.push_back('\n');
    }
    return out;
}

}  // namespace orvane
