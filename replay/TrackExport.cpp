// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrackExport.h"

#include <cstdint>

#include "decoder/TextFormat.h"

namespace orvane {

namespace {

// The length of the UTF-8 sequence at text[i], or 0 when it is not one.
size_t Utf8Length(std::string_view text, size_t i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length = 0;
    uint32_t code = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return overlong || surrogate || code > 0x10FFFF || code == 0xFFFE || code == 0xFFFF ? 0 : length;
}

// The name as text both formats can hold: control characters and bytes
// that are not UTF-8 become '?'.
std::string CleanName(std::string_view name)
{
    std::string out;
    for (size_t i = 0; i < name.size();) {
        const size_t length = Utf8Length(name, i);
        if (length == 0 || static_cast<unsigned char>(name[i]) < 0x20 || name[i] == 0x7F) {
            out.push_back('?');
            i += length == 0 ? 1 : length;
        } else {
            out.append(name.substr(i, length));
            i += length;
        }
    }
    return out;
}

void AppendXmlText(std::string& out, std::string_view text)
{
    for (const char c : text) {
        switch (c) {
        case '&':
            out.append("&amp;");
            break;
        case '<':
            out.append("&lt;");
            break;
        case '>':
            out.append("&gt;");
            break;
        case '"':
            out.append("&quot;");
            break;
        default:
            out.push_back(c);
        }
    }
}

void AppendJsonString(std::string& out, std::string_view text)
{
    out.push_back('"');
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

int64_t FloorDiv(int64_t a, int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// The whole-day difference between two times of day that lies nearest to 0.
int64_t DayDistance(int32_t from, int32_t to)
{
    int64_t d = int64_t(to) - from;
    if (d > kHundredthsPerDay / 2)
        d -= kHundredthsPerDay;
    else if (d < -kHundredthsPerDay / 2)
        d += kHundredthsPerDay;
    return d;
}

// A time that fits a four-digit year.
bool Writable(const TrackPoint& point)
{
    return point.time && *point.time >= 0 && *point.time < int64_t(2932896) * kHundredthsPerDay;
}

}  // namespace

std::string IsoTime(int64_t hundredthsSince1970)
{
    const int64_t days = FloorDiv(hundredthsSince1970, kHundredthsPerDay);
    int64_t rest = hundredthsSince1970 - days * kHundredthsPerDay;
    // Civil date of a day count, in eras of 400 years from 1 March.
    const int64_t z = days + 719468;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);

    std::string out;
    AppendInt(out, year, 4);
    out.push_back('-');
    AppendInt(out, month, 2);
    out.push_back('-');
    AppendInt(out, day, 2);
    out.push_back('T');
    const int64_t hundredths = rest % 100;
    rest /= 100;
    AppendInt(out, rest / 3600, 2);
    out.push_back(':');
    AppendInt(out, rest / 60 % 60, 2);
    out.push_back(':');
    AppendInt(out, rest % 60, 2);
    if (hundredths != 0) {
        out.push_back('.');
        AppendInt(out, hundredths, 2);
    }
    out.push_back('Z');
    return out;
}

std::vector<size_t> SegmentStarts(const std::vector<TrackPoint>& points)
{
    std::vector<size_t> starts;
    const TrackPoint* timed = nullptr;  // the last point with a time of day
    for (size_t i = 0; i < points.size(); ++i) {
        const TrackPoint& point = points[i];
        bool gap = i == 0;
        if (timed && point.timeOfDay >= 0) {
            const int64_t step =
                timed->time && point.time ? *point.time - *timed->time : DayDistance(timed->timeOfDay, point.timeOfDay);
            gap = step > kSegmentGapHundredths || step < -kSegmentGapHundredths;
        }
        if (gap)
            starts.push_back(i);
        if (point.timeOfDay >= 0)
            timed = &point;
    }
    return starts;
}

std::string TrackToGpx(const std::vector<TrackPoint>& points, std::string_view name)
{
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"Orvane\" xmlns=\"http://www.topografix.com/GPX/1/1\"\n"
        "     xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
        "     xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\n";
    const std::vector<size_t> starts = SegmentStarts(points);
    if (!points.empty()) {
        out.append("  <trk>\n    <name>");
        AppendXmlText(out, CleanName(name));
        out.append("</name>\n");
        for (size_t s = 0; s < starts.size(); ++s) {
            const size_t end = s + 1 < starts.size() ? starts[s + 1] : points.size();
            out.append("    <trkseg>\n");
            for (size_t i = starts[s]; i < end; ++i) {
                const TrackPoint& point = points[i];
                out.append("      <trkpt lat=\"");
                AppendFixed(out, point.latitude, 9);
                out.append("\" lon=\"");
                AppendFixed(out, point.longitude, 9);
                out.push_back('"');
                if (!point.elevation && !Writable(point)) {
                    out.append("/>\n");
                    continue;
                }
                out.push_back('>');
                if (point.elevation) {
                    out.append("<ele>");
                    AppendFixed(out, *point.elevation, 3);
                    out.append("</ele>");
                }
                if (Writable(point))
                    out.append("<time>").append(IsoTime(*point.time)).append("</time>");
                out.append("</trkpt>\n");
            }
            out.append("    </trkseg>\n");
        }
        out.append("  </trk>\n");
    }
    out.append("</gpx>\n");
    return out;
}

std::string TrackToGeoJson(const std::vector<TrackPoint>& points, std::string_view name)
{
    std::string out = "{\"type\":\"FeatureCollection\",\"features\":[";
    const std::vector<size_t> starts = SegmentStarts(points);
    const std::string cleanName = CleanName(name);
    for (size_t s = 0; s < starts.size(); ++s) {
        const size_t end = s + 1 < starts.size() ? starts[s + 1] : points.size();
        const bool single = end - starts[s] == 1;
        out.append(s == 0 ? "\n" : ",\n");
        out.append("{\"type\":\"Feature\",\"properties\":{\"name\":");
        AppendJsonString(out, cleanName);
        out.append(",\"segment\":");
        AppendInt(out, (long long)s);
        out.append(",\"times\":[");
        for (size_t i = starts[s]; i < end; ++i) {
            if (i != starts[s])
                out.push_back(',');
            if (Writable(points[i]))
                out.append("\"").append(IsoTime(*points[i].time)).append("\"");
            else
                out.append("null");
        }
        out.append(single ? "]},\"geometry\":{\"type\":\"Point\",\"coordinates\":"
                          : "]},\"geometry\":{\"type\":\"LineString\",\"coordinates\":[");
        for (size_t i = starts[s]; i < end; ++i) {
            const TrackPoint& point = points[i];
            out.append(i == starts[s] ? "[" : ",[");
            AppendFixed(out, point.longitude, 9);
            out.push_back(',');
            AppendFixed(out, point.latitude, 9);
            if (point.elevation) {
                out.push_back(',');
                AppendFixed(out, *point.elevation, 3);
            }
            out.push_back(']');
        }
        out.append(single ? "}}" : "]}}");
    }
    out.append(starts.empty() ? "]}\n" : "\n]}\n");
    return out;
}

}  // namespace orvane
