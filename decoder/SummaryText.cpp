// SPDX-License-Identifier: GPL-3.0-or-later
#include "SummaryText.h"

#include <string_view>

#include "KeyValueLines.h"
#include "Tables.h"
#include "TextFormat.h"

namespace orvane {

namespace {

void AppendTimeOfDay(std::string& out, int32_t hundredths)
{
    AppendInt(out, hundredths / 360000, 2);
    out.push_back(':');
    AppendInt(out, hundredths / 6000 % 60, 2);
    out.push_back(':');
    AppendInt(out, hundredths / 100 % 60, 2);
    out.push_back('.');
    AppendInt(out, hundredths % 100, 2);
}

}  // namespace

std::string SummaryText(const FixSummary& summary)
{
    std::string out;
    KeyValueLines lines(out);
    const auto& date = summary.Date();
    lines.Add("date", date.Known(), [&](std::string& text) {
        AppendInt(text, date.value.year, 4);
        text.push_back('-');
        AppendInt(text, date.value.month, 2);
        text.push_back('-');
        AppendInt(text, date.value.day, 2);
    });
    lines.Add("time", summary.Time().Known(), [&](std::string& text) { AppendTimeOfDay(text, summary.Time().value); });
    lines.Add("fix", true, [&](std::string& text) { text.append(summary.FixLabel()); });
    lines.AddInt("quality", summary.Quality().Known(), summary.Quality().value);
    lines.AddInt("fix_type", summary.FixType().Known(), summary.FixType().value);
    const auto& position = summary.Position();
    lines.AddFixed("latitude", position.Known(), position.value.latitude, 7);
    lines.AddFixed("longitude", position.Known(), position.value.longitude, 7);
    lines.AddFixed("altitude_m", summary.Altitude().Known(), summary.Altitude().value, 2);
    const double age = summary.PositionAgeSeconds();
    lines.AddFixed("position_age_s", age >= 0, age, 2);
    lines.AddFixed("speed_kmh", summary.SpeedKmh().Known(), summary.SpeedKmh().value, 3);
    lines.AddFixed("course_deg", summary.Course().Known(), summary.Course().value, 2);
    lines.AddFixed("pdop", summary.Pdop().Known(), summary.Pdop().value, 2);
    lines.AddFixed("hdop", summary.Hdop().Known(), summary.Hdop().value, 2);
    lines.AddFixed("vdop", summary.Vdop().Known(), summary.Vdop().value, 2);
    lines.AddInt("satellites_used", true, summary.SatellitesUsed());
    lines.AddInt("satellites_in_view", true, summary.SatellitesInView());
    // Each constellation with a satellite used or in view: the satellites
    // its own GSA lists, and how many are in view.
    for (int c = 0; c < kConstellationCount; ++c) {
        const ConstellationSky& sky = summary.Sky().Of(Constellation(c));
        if (sky.used.value.empty() && sky.inView.value.empty())
            continue;
        const std::string prefix = std::string(ConstellationKey(Constellation(c))) + ".";
        lines.Add(prefix + "used", !sky.used.value.empty(), [&](std::string& text) {
            for (size_t k = 0; k < sky.used.value.size(); ++k) {
                if (k != 0)
                    text.push_back(',');
                AppendInt(text, sky.used.value[k]);
            }
        });
        lines.AddInt(prefix + "in_view", true, (long long)sky.inView.value.size());
    }
    for (int row = 0; row < kTalkerCount; ++row) {
        const TalkerSummary& talker = summary.Talker(row);
        if (talker.Sentences() == 0)
            continue;
        const std::string prefix = std::string(TalkerTable[size_t(row)].id) + ".";
        lines.AddInt(prefix + "decoded", true, (long long)talker.decoded);
        lines.AddInt(prefix + "bad_checksum", true, (long long)talker.badChecksum);
        lines.AddInt(prefix + "parse_errors", true, (long long)talker.parseErrors);
    }
    out += ReceiverReportsText(summary.Reports());
    return out;
}

std::string SkyText(const FixSummary& summary)
{
    std::string out;
    for (const SkySatellite& sky : summary.Satellites()) {
        // One line per signal; a satellite without signal IDs has one
        // signal with none given, and an empty last column.
        for (const SkySignal& signal : sky.perSignal) {
            out.append("SKY,");
            out.append(TalkerTable[size_t(sky.talkerRow)].id);
            for (const long long value : {(long long)sky.satellite.prn, (long long)sky.satellite.elevation,
                     (long long)sky.satellite.azimuth, (long long)signal.snr, (long long)(sky.used ? 1 : 0)}) {
                out.push_back(',');
                AppendInt(out, value);
            }
            out.push_back(',');
            if (signal.id != 0)
                out.push_back(signal.id);
            out.push_back('\n');
        }
    }
    return out;
}

}  // namespace orvane
