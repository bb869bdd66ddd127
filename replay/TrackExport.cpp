// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrackExport.h"

#include <cstdint>

#include "decoder/Calendar.h"
#include "decoder/TextFormat.h"
#include "decoder/XmlText.h"

namespace orvane {

namespace {

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
    const CivilDate date = CivilFromDays(days);

    std::string out;
    AppendInt(out, date.year, 4);
    out.push_back('-');
    AppendInt(out, date.month, 2);
    out.push_back('-');
    AppendInt(out, date.day, 2);
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
        AppendXmlText(out, CleanText(name));
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
    const std::string cleanName = CleanText(name);
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
