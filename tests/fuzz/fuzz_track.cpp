// SPDX-License-Identifier: GPL-3.0-or-later
// The track of a text and its GPX and GeoJSON files: the first byte sets
// the length of the track's name (any bytes, as a file name may hold), the
// rest is the text. Every point is a usable position, and both files hold
// every point, nothing that is not a number where a number stands, and no
// control character the formats forbid.

#include <cmath>
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "replay/TrackCollect.h"
#include "replay/TrackExport.h"

namespace {

using namespace orvane;

size_t Count(const std::string& text, std::string_view what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++count;
    return count;
}

bool HasControl(const std::string& text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\n')
            return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::FuzzInput input(data, size);
    const std::string_view name = input.Bytes(input.Byte() % 32);
    TrackCollector collector;
    collector.Feed(input.Rest());
    const std::vector<TrackPoint> points = collector.Points();
    for (const TrackPoint& point : points) {
        if (!std::isfinite(point.latitude) || !std::isfinite(point.longitude) || std::fabs(point.latitude) > 90 ||
            std::fabs(point.longitude) > 180 || (point.latitude == 0 && point.longitude == 0))
            fuzz::Fail("a point that is no usable position");
        if (point.elevation && !std::isfinite(*point.elevation))
            fuzz::Fail("an elevation that is not finite");
    }

    const std::string gpx = TrackToGpx(points, name);
    if (gpx.rfind("<?xml", 0) != 0 || gpx.size() < 7 || gpx.compare(gpx.size() - 7, 7, "</gpx>\n") != 0)
        fuzz::Fail("GPX without its frame");
    if (Count(gpx, "<trkpt ") != points.size())
        fuzz::Fail("GPX without every point");
    if (Count(gpx, "<trkseg>") != SegmentStarts(points).size())
        fuzz::Fail("GPX segments lost");
    const std::string geoJson = TrackToGeoJson(points, name);
    // A name may spell "nan" or "inf" itself; the numbers may not.
    const bool nameSpellsNoNumber =
        name.find("nan") == std::string_view::npos && name.find("inf") == std::string_view::npos;
    for (const std::string* file : {&gpx, &geoJson}) {
        if (HasControl(*file))
            fuzz::Fail("a file with a control character");
        if (nameSpellsNoNumber && (file->find("nan") != std::string::npos || file->find("inf") != std::string::npos))
            fuzz::Fail("a file with a value that is no number");
    }
    return 0;
}
