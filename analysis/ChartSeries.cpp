// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChartSeries.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <set>
#include <tuple>

namespace orvane {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double Known(float value)
{
    return std::isfinite(value) ? double(value) : kNaN;
}

double Cn0Value(const EpochLog& log, const Epoch& epoch, const SeriesSpec& spec)
{
    if (!epoch.Has(Epoch::kSatellitesInView))
        return kNaN;
    const uint16_t signalBit = uint16_t(1u << spec.signalBit);
    size_t signalIndex = 0;
    for (const EpochSatellite& satellite : log.SatellitesOf(epoch)) {
        if (satellite.Prn() == spec.prn && satellite.System() == spec.constellation) {
            if (!(satellite.signalBits & signalBit))
                return kNaN;
            signalIndex += size_t(std::popcount(unsigned(satellite.signalBits & (signalBit - 1))));
            const uint8_t cn0 = log.Cn0Of(epoch)[signalIndex];
            return cn0 ? double(cn0) : kNaN;
        }
        signalIndex += size_t(satellite.SignalCount());
    }
    return kNaN;
}

}  // namespace

ErrorSeries ErrorsOf(const ReceiverStats& stats, size_t epochCount)
{
    ErrorSeries series;
    series.east.assign(epochCount, float(kNaN));
    series.north.assign(epochCount, float(kNaN));
    series.vertical.assign(epochCount, float(kNaN));
    for (size_t k = stats.firstEpoch; k < stats.endEpoch && k < epochCount; ++k) {
        const EpochError& error = stats.errors[k - stats.firstEpoch];
        if (!error.known)
            continue;
        series.east[k] = float(error.east);
        series.north[k] = float(error.north);
        if (error.vertical)
            series.vertical[k] = float(error.up);
    }
    return series;
}

double SeriesValue(const EpochLog& log, size_t index, const SeriesSpec& spec, const ErrorSeries& errors)
{
    const Epoch& epoch = log.epochs[index];
    const auto errorAt = [index](const std::vector<float>& values) {
        return index < values.size() ? Known(values[index]) : kNaN;
    };
    switch (spec.kind) {
    case SeriesKind::Cn0:
        return Cn0Value(log, epoch, spec);
    case SeriesKind::Used:
        return epoch.Has(Epoch::kSatellitesUsed) ? double(epoch.used[size_t(spec.constellation)]) : kNaN;
    case SeriesKind::InView:
        return epoch.Has(Epoch::kSatellitesInView) ? double(epoch.inView[size_t(spec.constellation)]) : kNaN;
    case SeriesKind::Hdop:
        return Known(epoch.hdop);
    case SeriesKind::Pdop:
        return Known(epoch.pdop);
    case SeriesKind::Fix:
        return double(ClassOf(epoch));
    case SeriesKind::Height:
        return epoch.Has(Epoch::kPosition) && epoch.Has(Epoch::kHeight) ? double(epoch.heightMsl) : kNaN;
    case SeriesKind::Speed:
        return Known(epoch.speed);
    case SeriesKind::Horizontal:
        return std::hypot(errorAt(errors.east), errorAt(errors.north));
    case SeriesKind::Vertical:
        return errorAt(errors.vertical);
    case SeriesKind::SigmaLatitude:
        return Known(epoch.sigmaLatitude);
    case SeriesKind::SigmaLongitude:
        return Known(epoch.sigmaLongitude);
    case SeriesKind::SigmaHeight:
        return Known(epoch.sigmaHeight);
    }
    return kNaN;
}

std::vector<SeriesSpec> Cn0Signals(const EpochLog& log)
{
    std::set<std::tuple<int, int32_t, int>> found;
    for (const EpochSatellite& satellite : log.satellites)
        for (int bit = 0; bit < 16; ++bit)
            if (satellite.signalBits & (1u << bit))
                found.emplace(int(satellite.System()), satellite.Prn(), bit);
    std::vector<SeriesSpec> specs;
    specs.reserve(found.size());
    for (const auto& [system, prn, bit] : found)
        specs.push_back({SeriesKind::Cn0, Constellation(system), prn, bit});
    return specs;
}

void SampleSeries(const EpochLog& log, const TimeLine& timeLine, int64_t originMs, const SeriesSpec& spec,
    const ErrorSeries& errors, double from, double to, int columns, double gapSeconds, SeriesPoints& out)
{
    out.x.clear();
    out.y.clear();
    const std::vector<int64_t>& ms = timeLine.ms;
    if (ms.empty() || !(to > from) || columns < 1)
        return;
    const auto secondsAt = [&](size_t k) { return double(ms[k] - originMs) / 1000.0; };
    // The shown range and one epoch beyond each end.
    const auto lower = std::lower_bound(ms.begin(), ms.end(), originMs + int64_t(std::floor(from * 1000.0)));
    const auto upper = std::upper_bound(ms.begin(), ms.end(), originMs + int64_t(std::ceil(to * 1000.0)));
    const size_t first = size_t(std::max<ptrdiff_t>(0, (lower - ms.begin()) - 1));
    const size_t end = std::min(ms.size(), size_t(upper - ms.begin()) + 1);
    if (first >= end)
        return;

    const auto pushBreak = [&out] {
        if (!out.y.empty() && !std::isnan(out.y.back())) {
            out.x.push_back(out.x.back());
            out.y.push_back(kNaN);
        }
    };
    double previousX = secondsAt(first);
    if (end - first <= size_t(2 * columns)) {
        for (size_t k = first; k < end; ++k) {
            const double x = secondsAt(k);
            const double y = SeriesValue(log, k, spec, errors);
            if (x - previousX > gapSeconds || std::isnan(y))
                pushBreak();
            previousX = x;
            if (!std::isnan(y)) {
                out.x.push_back(x);
                out.y.push_back(y);
            }
        }
        return;
    }

    // Per column the lowest and highest value, in time order; a break in a
    // column is drawn before the column's points.
    struct Column {
        bool any = false, broken = false;
        double lowX = 0, low = 0, highX = 0, high = 0;
    } column;
    const double width = (to - from) / double(columns);
    long current = std::numeric_limits<long>::min();
    const auto flush = [&] {
        if (column.broken)
            pushBreak();
        if (column.any) {
            const bool lowFirst = column.lowX <= column.highX;
            out.x.push_back(lowFirst ? column.lowX : column.highX);
            out.y.push_back(lowFirst ? column.low : column.high);
            if (column.lowX != column.highX || column.low != column.high) {
                out.x.push_back(lowFirst ? column.highX : column.lowX);
                out.y.push_back(lowFirst ? column.high : column.low);
            }
        }
        column = Column{};
    };
    for (size_t k = first; k < end; ++k) {
        const double x = secondsAt(k);
        const long at = std::clamp(long(std::floor((x - from) / width)), -1L, long(columns));
        if (at != current) {
            flush();
            current = at;
        }
        const double y = SeriesValue(log, k, spec, errors);
        if (x - previousX > gapSeconds || std::isnan(y)) {
            // A break after points of this column closes them first.
            if (column.any)
                flush();
            column.broken = true;
        }
        previousX = x;
        if (std::isnan(y))
            continue;
        if (!column.any || y < column.low) {
            column.low = y;
            column.lowX = x;
        }
        if (!column.any || y > column.high) {
            column.high = y;
            column.highX = x;
        }
        column.any = true;
    }
    flush();
}

}  // namespace orvane
