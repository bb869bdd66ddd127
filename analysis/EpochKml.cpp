// SPDX-License-Identifier: GPL-3.0-or-later
#include "EpochKml.h"

#include <cstdio>
#include <vector>

#include "decoder/XmlText.h"

namespace orvane {

namespace {

struct KindStyle {
    const char* id;
    const char* label;
    const char* colour;  // KML's aabbggrr
};

constexpr KindStyle kStyles[kTrackFixKindCount] = {
    {"none", "No fix", "ff808080"},                    // grey
    {"gps", "GPS", "ffff0000"},                        // blue
    {"dgps", "DGPS", "ffffff00"},                      // cyan
    {"rtk_float", "RTK float", "ff0080ff"},            // orange
    {"rtk_fixed", "RTK fixed", "ff00c000"},            // green
    {"dead_reckoning", "Dead reckoning", "ffff00ff"},  // magenta
    {"other", "Other", "ff00ffff"},                    // yellow
};

void AppendFixed(std::string& out, double value, int decimals)
{
    char buffer[48];
    const int length = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    // No "-0.000": a value that rounds to zero is written as zero.
    std::string_view text(buffer, size_t(length > 0 ? length : 0));
    if (text.starts_with('-') && text.find_first_not_of("-0.") == std::string_view::npos)
        text.remove_prefix(1);
    out.append(text);
}

}  // namespace

TrackFixKind TrackKindOf(const Epoch& epoch)
{
    switch (ClassOf(epoch)) {
    case FixClass::None:
        return TrackFixKind::None;
    case FixClass::TwoD:
    case FixClass::ThreeD:
        return TrackFixKind::Gps;
    case FixClass::Dgps:
        return TrackFixKind::Dgps;
    case FixClass::RtkFloat:
        return TrackFixKind::RtkFloat;
    case FixClass::RtkFixed:
        return TrackFixKind::RtkFixed;
    case FixClass::Estimated:
        return TrackFixKind::DeadReckoning;
    case FixClass::Manual:
    case FixClass::Simulated:
        break;
    }
    return TrackFixKind::Other;
}

const char* TrackKindId(TrackFixKind kind)
{
    return kStyles[size_t(kind)].id;
}

std::string EpochsKml(const EpochLog& log, size_t first, size_t end, FixFilter filter, std::string_view name)
{
    std::vector<const Epoch*> points;
    bool heights = true;
    for (size_t k = first; k < end && k < log.epochs.size(); ++k) {
        const Epoch& epoch = log.epochs[k];
        if (!epoch.Has(Epoch::kPosition) || !Passes(epoch, filter))
            continue;
        points.push_back(&epoch);
        heights = heights && epoch.Has(Epoch::kHeight);
    }

    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
        "<Document>\n"
        "  <name>";
    AppendXmlText(out, CleanText(name));
    out.append("</name>\n");
    for (const KindStyle& style : kStyles) {
        out.append("  <Style id=\"").append(style.id).append("\"><LineStyle><color>");
        out.append(style.colour).append("</color><width>3</width></LineStyle></Style>\n");
    }
    for (size_t start = 0; start < points.size();) {
        const TrackFixKind kind = TrackKindOf(*points[start]);
        size_t stop = start + 1;
        while (stop < points.size() && TrackKindOf(*points[stop]) == kind)
            ++stop;
        const KindStyle& style = kStyles[size_t(kind)];
        out.append("  <Placemark>\n    <name>").append(style.label).append("</name>\n");
        out.append("    <styleUrl>#").append(style.id).append("</styleUrl>\n");
        out.append("    <LineString>\n      <tessellate>1</tessellate>\n      <altitudeMode>");
        out.append(heights ? "absolute" : "clampToGround").append("</altitudeMode>\n      <coordinates>\n");
        // From the last point of the run before, so the line goes on.
        for (size_t k = start == 0 ? 0 : start - 1; k < stop; ++k) {
            out.append("        ");
            AppendFixed(out, points[k]->longitude, 9);
            out.push_back(',');
            AppendFixed(out, points[k]->latitude, 9);
            if (heights) {
                out.push_back(',');
                AppendFixed(out, points[k]->heightMsl, 3);
            }
            out.push_back('\n');
        }
        out.append("      </coordinates>\n    </LineString>\n  </Placemark>\n");
        start = stop;
    }
    out.append("</Document>\n</kml>\n");
    return out;
}

}  // namespace orvane
