// SPDX-License-Identifier: GPL-3.0-or-later
#include "StatsReport.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace orvane {

namespace {

constexpr int64_t kMsPerDay = 86400000;

void Append(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

void Append(std::string& out, const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length > 0)
        out.append(buffer, size_t(std::min(length, int(sizeof buffer) - 1)));
}

// The value as printed with the decimals given: one that rounds to zero is
// zero, not "-0.000" (the bias about the mean of the fixes is such).
double Tidy(double value, int decimals)
{
    return std::fabs(value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : value;
}

// A JSON number with the decimals given, or null when not finite.
std::string Number(double value, int decimals = 4)
{
    if (!std::isfinite(value))
        return "null";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, Tidy(value, decimals));
    return buffer;
}

std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// Of no values, every figure is unknown (null), not 0.
std::string SpreadJson(const Spread& spread)
{
    const auto figure = [&spread](double value) { return spread.n ? Number(value) : std::string("null"); };
    return "{\"n\": " + std::to_string(spread.n) + ", \"mean\": " + figure(spread.mean) +
           ", \"sigma\": " + figure(spread.sigma) + ", \"p50\": " + figure(spread.p50) +
           ", \"p95\": " + figure(spread.p95) + ", \"p99\": " + figure(spread.p99) +
           ", \"max\": " + figure(spread.max) + "}";
}

std::string SummaryJson(const Summary& summary)
{
    const auto figure = [&summary](double value, int decimals) {
        return summary.n ? Number(value, decimals) : std::string("null");
    };
    return "{\"n\": " + std::to_string(summary.n) + ", \"mean\": " + figure(summary.mean, 2) +
           ", \"median\": " + figure(summary.median, 0) + ", \"p10\": " + figure(summary.p10, 0) +
           ", \"p90\": " + figure(summary.p90, 0) + "}";
}

// A C/N0 summary as a row's columns: n, mean, median, p10, p90; "-" for the
// figures of none.
std::string SummaryColumns(const Summary& summary)
{
    char text[64];
    if (summary.n == 0)
        std::snprintf(text, sizeof text, "%7zu %5s %3s %3s %3s", summary.n, "-", "-", "-", "-");
    else
        std::snprintf(text, sizeof text, "%7zu %5.1f %3.0f %3.0f %3.0f", summary.n, summary.mean, summary.median,
            summary.p10, summary.p90);
    return text;
}

std::string SignalKey(char id)
{
    return id == 0 ? std::string() : std::string(1, id);
}

std::string SignalLabel(const Cn0SignalStats& signal)
{
    const std::string_view name = SignalName(signal.constellation, signal.signalId);
    return std::string(ConstellationName(signal.constellation)) + " " +
           (name.empty() ? std::string("(no signal ID)") : std::string(name));
}

const char* FilterKey(FixFilter filter)
{
    switch (filter) {
    case FixFilter::All:
        return "all";
    case FixFilter::ThreeD:
        return "3d";
    case FixFilter::RtkFixed:
        return "rtk";
    }
    return "all";
}

}  // namespace

std::string TimeText(int64_t ms, bool dated)
{
    const int64_t day = ms >= 0 ? ms / kMsPerDay : -((-ms + kMsPerDay - 1) / kMsPerDay);
    const int64_t of = ms - day * kMsPerDay;
    char clock[32];
    std::snprintf(clock, sizeof clock, "%02d:%02d:%02d.%03d", int(of / 3600000), int(of / 60000 % 60),
        int(of / 1000 % 60), int(of % 1000));
    if (dated) {
        const EpochDate date = DateFromDays(day);
        char text[48];
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%sZ", date.year, date.month, date.day, clock);
        return text;
    }
    return day == 0 ? std::string(clock) : std::string(clock) + "+" + std::to_string(day) + "d";
}

std::string StatsText(const ReceiverStats& stats, const ReportContext& context)
{
    std::string out;
    const bool dated = stats.timeLine.dated;
    const size_t epochs = stats.endEpoch - stats.firstEpoch;
    Append(out, "File:          %s\n", context.file.c_str());
    if (epochs != 0)
        Append(out, "Range:         %s to %s, %zu epochs\n",
            TimeText(stats.timeLine.ms[stats.firstEpoch], dated).c_str(),
            TimeText(stats.timeLine.ms[stats.endEpoch - 1], dated).c_str(), epochs);
    Append(out, "Fixes counted: %s\n", FilterKey(context.options->filter));

    const AccuracyStats& a = stats.accuracy;
    out += "\nAccuracy";
    switch (context.options->reference) {
    case ReferenceKind::MeanOfFixes:
        out += " about the mean of the fixes";
        break;
    case ReferenceKind::Point:
        out += " about the point given";
        break;
    case ReferenceKind::Log:
        out += " against " + context.referenceLog;
        break;
    }
    if (context.options->reference != ReferenceKind::Log) {
        Append(out, " (%.9f, %.9f", a.reference.latitude, a.reference.longitude);
        if (a.reference.heightMsl)
            Append(out, ", %.3f m", *a.reference.heightMsl);
        out += ")";
    }
    Append(out, "\n  fixes         %zu\n", a.n);
    Append(out, "  horizontal    CEP50 %.3f m  R95 %.3f m  99%% %.3f m  max %.3f m\n", a.cep50, a.r95, a.p99, a.max);
    Append(out, "                DRMS %.3f m  2DRMS %.3f m\n", a.drms, a.twoDrms);
    if (a.vertical)
        Append(out, "  vertical      50%% %.3f m  95%% %.3f m\n", a.up50, a.up95);
    Append(out, "  bias          east %+.3f m  north %+.3f m", Tidy(a.bias[0], 3), Tidy(a.bias[1], 3));
    if (a.vertical)
        Append(out, "  up %+.3f m", Tidy(a.bias[2], 3));
    Append(out, "\n  sigma         east %.3f m  north %.3f m", a.sigma[0], a.sigma[1]);
    if (a.vertical)
        Append(out, "  up %.3f m", a.sigma[2]);
    out += "\n";

    const AvailabilityStats& v = stats.availability;
    Append(out, "\nAvailability\n  period        %.3f s\n  fixes         %zu of %zu expected (%.2f %%)\n",
        v.periodSeconds, v.withFix, v.expected, 100 * v.availability);
    Append(out, "  gaps          %zu\n", v.gaps.size());
    for (const Gap& gap : v.gaps)
        Append(out, "    from %s, %.3f s\n", TimeText(gap.startMs, dated).c_str(), gap.seconds);
    for (int f = 0; f < kFixClassCount; ++f)
        if (v.secondsByFix[size_t(f)] > 0)
            Append(out, "  time %-9s %.1f s\n", FixClassKey(FixClass(f)), v.secondsByFix[size_t(f)]);
    Append(out, "  RTK fixed     %.2f %%   RTK float %.2f %%\n", 100 * v.rtkFixedShare, 100 * v.rtkFloatShare);
    if (v.firstFixSeconds)
        Append(out, "  first fix     after %.3f s\n", *v.firstFixSeconds);
    if (v.firstRtkFixedSeconds)
        Append(out, "  first RTK fix after %.3f s\n", *v.firstRtkFixedSeconds);
    if (v.correctionAge.n != 0)
        Append(out, "  correction age  mean %.2f s  95%% %.2f s  max %.2f s\n", v.correctionAge.mean,
            v.correctionAge.p90, v.correctionAgeMax);

    if (!stats.cn0.empty()) {
        out += "\nC/N0 (dB-Hz)             used: n mean median p10 p90    in view: n mean median p10 p90\n";
        for (const Cn0SignalStats& s : stats.cn0)
            Append(out, "  %-22s %s      %s\n", SignalLabel(s).c_str(), SummaryColumns(s.used).c_str(),
                SummaryColumns(s.inView).c_str());
        out += "  by elevation\n";
        for (const Cn0Bin& bin : stats.cn0ByElevation)
            if (bin.all.n != 0)
                Append(out, "    %2d-%2d deg  %7zu %5.1f %3.0f\n", bin.fromDegrees, bin.fromDegrees + 10, bin.all.n,
                    bin.all.mean, bin.all.median);
    }
    if (stats.honesty.n != 0)
        Append(out, "\nError against GST sigma: median %.3f, 95%% %.3f (%zu epochs)\n", stats.honesty.median,
            stats.honesty.p95, stats.honesty.n);
    if (stats.pair) {
        const PairStats& p = *stats.pair;
        Append(out, "\nTwo receivers: %zu of %zu epochs matched within %d ms (%zu in the reference)\n", p.matched,
            p.deviceEpochs, context.options->matchToleranceMs, p.referenceEpochs);
        const auto line = [&out](const char* name, const Spread& s) {
            if (s.n == 0)
                Append(out, "  %-12s n 0\n", name);
            else
                Append(out, "  %-12s n %zu  mean %+.3f  sigma %.3f  50%% %.3f  95%% %.3f  99%% %.3f  max %.3f m\n",
                    name, s.n, Tidy(s.mean, 3), s.sigma, s.p50, s.p95, s.p99, s.max);
        };
        line("horizontal", p.horizontal);
        line("vertical", p.vertical);
        line("along-track", p.alongTrack);
        line("cross-track", p.crossTrack);
    }
    return out;
}

std::string StatsJson(const ReceiverStats& stats, const ReportContext& context)
{
    const bool dated = stats.timeLine.dated;
    const StatsOptions& options = *context.options;
    std::string out = "{\n";
    out += "  \"file\": " + Quoted(context.file) + ",\n";
    const size_t epochs = stats.endEpoch - stats.firstEpoch;
    out += "  \"epochs\": " + std::to_string(epochs) + ",\n";
    out += "  \"first\": " +
           (epochs ? Quoted(TimeText(stats.timeLine.ms[stats.firstEpoch], dated)) : std::string("null")) + ",\n";
    out += "  \"last\": " +
           (epochs ? Quoted(TimeText(stats.timeLine.ms[stats.endEpoch - 1], dated)) : std::string("null")) + ",\n";
    out += std::string("  \"fix_filter\": \"") + FilterKey(options.filter) + "\",\n";

    const AccuracyStats& a = stats.accuracy;
    static constexpr const char* kKinds[] = {"mean", "point", "log"};
    out += std::string("  \"reference\": {\"kind\": \"") + kKinds[int(options.reference)] + "\"";
    if (options.reference == ReferenceKind::Log) {
        out += ", \"log\": " + Quoted(context.referenceLog);
    } else {
        out += ", \"latitude\": " + Number(a.reference.latitude, 9) +
               ", \"longitude\": " + Number(a.reference.longitude, 9) +
               ", \"height_m\": " + (a.reference.heightMsl ? Number(*a.reference.heightMsl) : std::string("null"));
    }
    out += "},\n";
    const auto vertical = [&a](double value) { return a.vertical ? Number(value) : std::string("null"); };
    out += "  \"accuracy\": {\"n\": " + std::to_string(a.n) + ", \"cep50_m\": " + Number(a.cep50) +
           ", \"r95_m\": " + Number(a.r95) + ", \"p99_m\": " + Number(a.p99) + ", \"max_m\": " + Number(a.max) +
           ", \"drms_m\": " + Number(a.drms) + ", \"2drms_m\": " + Number(a.twoDrms) +
           ", \"up50_m\": " + vertical(a.up50) + ", \"up95_m\": " + vertical(a.up95) +
           ",\n    \"bias_m\": {\"east\": " + Number(a.bias[0]) + ", \"north\": " + Number(a.bias[1]) +
           ", \"up\": " + vertical(a.bias[2]) + "}, \"sigma_m\": {\"east\": " + Number(a.sigma[0]) +
           ", \"north\": " + Number(a.sigma[1]) + ", \"up\": " + vertical(a.sigma[2]) + "}},\n";

    const AvailabilityStats& v = stats.availability;
    out += "  \"availability\": {\"period_s\": " + Number(v.periodSeconds, 3) +
           ", \"expected\": " + std::to_string(v.expected) + ", \"with_fix\": " + std::to_string(v.withFix) +
           ", \"availability\": " + Number(v.availability, 6) + ",\n    \"gaps\": [";
    for (size_t k = 0; k < v.gaps.size(); ++k)
        out += std::string(k ? ", " : "") + "{\"start\": " + Quoted(TimeText(v.gaps[k].startMs, dated)) +
               ", \"length_s\": " + Number(v.gaps[k].seconds, 3) + "}";
    out += "],\n    \"time_by_fix_s\": {";
    for (int f = 0; f < kFixClassCount; ++f)
        out += std::string(f ? ", " : "") + "\"" + FixClassKey(FixClass(f)) +
               "\": " + Number(v.secondsByFix[size_t(f)], 3);
    out +=
        "},\n    \"rtk_fixed_share\": " + Number(v.rtkFixedShare, 6) +
        ", \"rtk_float_share\": " + Number(v.rtkFloatShare, 6) +
        ", \"time_to_first_fix_s\": " + (v.firstFixSeconds ? Number(*v.firstFixSeconds, 3) : "null") +
        ", \"time_to_first_rtk_fixed_s\": " + (v.firstRtkFixedSeconds ? Number(*v.firstRtkFixedSeconds, 3) : "null") +
        ",\n    \"correction_age_s\": ";
    if (v.correctionAge.n == 0)
        out += "null";
    else
        out += "{\"n\": " + std::to_string(v.correctionAge.n) + ", \"mean\": " + Number(v.correctionAge.mean, 3) +
               ", \"p95\": " + Number(v.correctionAge.p90, 3) + ", \"max\": " + Number(v.correctionAgeMax, 3) + "}";
    out += "},\n  \"cn0\": [";
    for (size_t k = 0; k < stats.cn0.size(); ++k) {
        const Cn0SignalStats& s = stats.cn0[k];
        out += std::string(k ? "," : "") + "\n    {\"constellation\": \"" +
               std::string(ConstellationKey(s.constellation)) + "\", \"signal\": " + Quoted(SignalKey(s.signalId)) +
               ", \"name\": " + Quoted(std::string(SignalName(s.constellation, s.signalId))) +
               ", \"used\": " + SummaryJson(s.used) + ", \"in_view\": " + SummaryJson(s.inView) + "}";
    }
    out += "],\n  \"cn0_by_elevation\": [";
    for (size_t k = 0; k < stats.cn0ByElevation.size(); ++k) {
        const Cn0Bin& bin = stats.cn0ByElevation[k];
        out += std::string(k ? "," : "") + "\n    {\"from_deg\": " + std::to_string(bin.fromDegrees) +
               ", \"to_deg\": " + std::to_string(bin.fromDegrees + 10) + ", \"all\": " + SummaryJson(bin.all) + "}";
    }
    out += "],\n  \"honesty\": {\"n\": " + std::to_string(stats.honesty.n) +
           ", \"median\": " + (stats.honesty.n ? Number(stats.honesty.median) : "null") +
           ", \"p95\": " + (stats.honesty.n ? Number(stats.honesty.p95) : "null") + "},\n";
    out += "  \"pair\": ";
    if (!stats.pair) {
        out += "null\n";
    } else {
        const PairStats& p = *stats.pair;
        out += "{\"device_epochs\": " + std::to_string(p.deviceEpochs) +
               ", \"reference_epochs\": " + std::to_string(p.referenceEpochs) +
               ", \"matched\": " + std::to_string(p.matched) +
               ", \"tolerance_ms\": " + std::to_string(options.matchToleranceMs) +
               ",\n    \"horizontal_m\": " + SpreadJson(p.horizontal) +
               ",\n    \"vertical_m\": " + SpreadJson(p.vertical) +
               ",\n    \"along_track_m\": " + SpreadJson(p.alongTrack) +
               ",\n    \"cross_track_m\": " + SpreadJson(p.crossTrack) + "}\n";
    }
    out += "}\n";
    return out;
}

std::string EpochsCsv(const ReceiverStats& stats, const ReportContext& context)
{
    std::string out = "time,latitude,longitude,height_msl_m,fix,quality,fix_type";
    for (int c = 0; c < kConstellationCount; ++c)
        out += std::string(",used_") + std::string(ConstellationKey(Constellation(c)));
    for (int c = 0; c < kConstellationCount; ++c)
        out += std::string(",in_view_") + std::string(ConstellationKey(Constellation(c)));
    out += ",pdop,hdop,vdop,sigma_lat_m,sigma_lon_m,sigma_height_m,east_m,north_m,up_m,horizontal_m,along_m,cross_m\n";
    const auto value = [](double v, int decimals) { return std::isfinite(v) ? Number(v, decimals) : std::string(); };
    const auto field = [&out](const std::string& text) {
        out.push_back(',');
        out.append(text);
    };
    for (size_t k = stats.firstEpoch; k < stats.endEpoch; ++k) {
        const Epoch& e = context.log->epochs[k];
        const EpochError& error = stats.errors[k - stats.firstEpoch];
        const bool position = e.Has(Epoch::kPosition);
        out += TimeText(stats.timeLine.ms[k], stats.timeLine.dated);
        field(position ? Number(e.latitude, 9) : std::string());
        field(position ? Number(e.longitude, 9) : std::string());
        field(position && e.Has(Epoch::kHeight) ? Number(e.heightMsl, 3) : std::string());
        field(FixClassKey(ClassOf(e)));
        field(e.quality >= 0 ? std::to_string(e.quality) : std::string());
        field(e.fixType > 0 ? std::to_string(e.fixType) : std::string());
        for (const uint8_t count : e.used)
            field(std::to_string(count));
        for (const uint8_t count : e.inView)
            field(std::to_string(count));
        for (const float v : {e.pdop, e.hdop, e.vdop})
            field(value(v, 2));
        for (const float v : {e.sigmaLatitude, e.sigmaLongitude, e.sigmaHeight})
            field(value(v, 3));
        field(error.known ? Number(error.east) : std::string());
        field(error.known ? Number(error.north) : std::string());
        field(error.known && error.vertical ? Number(error.up) : std::string());
        field(error.known ? Number(error.horizontal) : std::string());
        field(error.track ? Number(error.along) : std::string());
        field(error.track ? Number(error.cross) : std::string());
        out.push_back('\n');
    }
    return out;
}

}  // namespace orvane
