// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReceiverStats.h"

#include <GeographicLib/LocalCartesian.hpp>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <map>
#include <numeric>

namespace orvane {

namespace {

constexpr int64_t kMsPerDay = 86400000;
constexpr double kDegrees = 3.14159265358979323846 / 180.0;
// Below this speed a reference's course says little: no along- or
// cross-track error.
constexpr double kCourseSpeed = 0.5;  // m/s

// Height above the ellipsoid: the receiver's height above mean sea level
// and its geoid separation (0 where it gave none).
double EllipsoidHeight(const Epoch& epoch)
{
    return double(epoch.heightMsl) + (epoch.Has(Epoch::kSeparation) ? double(epoch.geoidSeparation) : 0.0);
}

// A C/N0 histogram (whole dB-Hz) and its summary.
using Histogram = std::array<uint32_t, 256>;

Summary SummaryOf(const Histogram& histogram)
{
    Summary summary;
    double sum = 0;
    for (size_t v = 0; v < histogram.size(); ++v) {
        summary.n += histogram[v];
        sum += double(v) * histogram[v];
    }
    if (summary.n == 0)
        return summary;
    summary.mean = sum / double(summary.n);
    const auto rank = [&](double percent) {
        const auto wanted = std::max<size_t>(1, size_t(std::ceil(percent / 100.0 * double(summary.n))));
        size_t seen = 0;
        for (size_t v = 0; v < histogram.size(); ++v) {
            seen += histogram[v];
            if (seen >= wanted)
                return double(v);
        }
        return 0.0;
    };
    summary.median = rank(50);
    summary.p10 = rank(10);
    summary.p90 = rank(90);
    return summary;
}

// The range of epochs whose time lies within the options' ends.
void FindRange(const TimeLine& line, const StatsOptions& options, size_t& first, size_t& end)
{
    first = 0;
    end = line.ms.size();
    while (first < end && options.fromMs && line.ms[first] < *options.fromMs)
        ++first;
    while (end > first && options.toMs && line.ms[end - 1] > *options.toMs)
        --end;
}

// The errors of an epoch about a point: east, north, up in the point's
// local frame.
void ErrorAbout(const GeographicLib::LocalCartesian& frame, const Epoch& epoch, bool vertical, EpochError& error)
{
    double east = 0, north = 0, up = 0;
    frame.Forward(epoch.latitude, epoch.longitude, EllipsoidHeight(epoch), east, north, up);
    error.known = true;
    error.vertical = vertical;
    error.east = east;
    error.north = north;
    error.up = vertical ? up : 0;
    error.horizontal = std::hypot(east, north);
}

// The values of the percentiles' nearest ranks, as NearestRank gives them
// of the sorted values, found by selection: a day of epochs is not sorted
// for three of its values. The values are reordered.
template <size_t N>
std::array<double, N> SelectRanks(std::vector<double>& values, const std::array<double, N>& percents)
{
    std::array<double, N> found{};
    if (values.empty())
        return found;
    auto from = values.begin();
    for (size_t k = 0; k < N; ++k) {
        const auto rank = std::max<size_t>(1, size_t(std::ceil(percents[k] / 100.0 * double(values.size()) - 1e-9)));
        const auto at = values.begin() + ptrdiff_t(std::min(rank, values.size()) - 1);
        // Ascending percents: each selection looks only past the last.
        if (at >= from) {
            std::nth_element(from, at, values.end());
            from = at;
        }
        found[k] = *at;
    }
    return found;
}

// The mean and the standard deviation (N-1).
std::pair<double, double> MeanAndSigma(const std::vector<double>& values)
{
    if (values.empty())
        return {0, 0};
    const double mean = std::accumulate(values.begin(), values.end(), 0.0) / double(values.size());
    double squares = 0;
    for (const double value : values)
        squares += (value - mean) * (value - mean);
    return {mean, values.size() > 1 ? std::sqrt(squares / double(values.size() - 1)) : 0.0};
}

AccuracyStats AccuracyOf(const std::vector<EpochError>& errors, const GeodeticPoint& reference)
{
    AccuracyStats stats;
    stats.reference = reference;
    std::vector<double> horizontal, up, east, north, upSigned;
    double squares = 0;
    bool vertical = true;
    for (const EpochError& error : errors) {
        if (!error.known)
            continue;
        horizontal.push_back(error.horizontal);
        east.push_back(error.east);
        north.push_back(error.north);
        squares += error.horizontal * error.horizontal;
        vertical = vertical && error.vertical;
        if (error.vertical) {
            up.push_back(std::fabs(error.up));
            upSigned.push_back(error.up);
        }
    }
    stats.n = horizontal.size();
    if (stats.n == 0)
        return stats;
    const auto [cep50, r95, p99, max] = SelectRanks(horizontal, std::array<double, 4>{50, 95, 99, 100});
    stats.cep50 = cep50;
    stats.r95 = r95;
    stats.p99 = p99;
    stats.max = max;
    stats.drms = std::sqrt(squares / double(stats.n));
    stats.twoDrms = 2 * stats.drms;
    std::tie(stats.bias[0], stats.sigma[0]) = MeanAndSigma(east);
    std::tie(stats.bias[1], stats.sigma[1]) = MeanAndSigma(north);
    stats.vertical = vertical && !up.empty();
    if (stats.vertical) {
        const auto [up50, up95] = SelectRanks(up, std::array<double, 2>{50, 95});
        stats.up50 = up50;
        stats.up95 = up95;
        std::tie(stats.bias[2], stats.sigma[2]) = MeanAndSigma(upSigned);
    }
    return stats;
}

// The reference's epoch nearest in time to each of the device's, within
// the tolerance; -1 where none is. Both time lines run forward.
std::vector<int64_t> MatchEpochs(const std::vector<int64_t>& device, const std::vector<int64_t>& reference,
    int64_t tolerance)
{
    std::vector<int64_t> match(device.size(), -1);
    size_t r = 0;
    for (size_t d = 0; d < device.size(); ++d) {
        while (r + 1 < reference.size() && reference[r + 1] <= device[d])
            ++r;
        int64_t best = -1;
        int64_t bestDistance = tolerance + 1;
        for (size_t k = r; k < std::min(reference.size(), r + 2); ++k) {
            const int64_t distance = std::llabs(reference[k] - device[d]);
            if (distance < bestDistance) {
                bestDistance = distance;
                best = int64_t(k);
            }
        }
        match[d] = best;
    }
    return match;
}

}  // namespace

FixClass ClassOf(const Epoch& epoch)
{
    switch (epoch.quality) {
    case 0:
        return FixClass::None;
    case 2:
    case 3:
        return FixClass::Dgps;
    case 4:
        return FixClass::RtkFixed;
    case 5:
        return FixClass::RtkFloat;
    case 6:
        return FixClass::Estimated;
    case 7:
        return FixClass::Manual;
    case 8:
        return FixClass::Simulated;
    default:
        break;
    }
    // GGA quality 1 (or no GGA): the GSA's fix type tells 2D from 3D.
    if (epoch.fixType == 2)
        return epoch.Has(Epoch::kPosition) ? FixClass::TwoD : FixClass::None;
    if (epoch.fixType == 1)
        return FixClass::None;
    return epoch.Has(Epoch::kPosition) ? FixClass::ThreeD : FixClass::None;
}

const char* FixClassKey(FixClass fix)
{
    static constexpr const char* kKeys[kFixClassCount] = {"none", "2d", "3d", "dgps", "rtk_float", "rtk_fixed",
        "estimated", "manual", "simulated"};
    return kKeys[size_t(fix)];
}

bool Passes(const Epoch& epoch, FixFilter filter)
{
    if (!epoch.Has(Epoch::kPosition))
        return false;
    const FixClass fix = ClassOf(epoch);
    switch (filter) {
    case FixFilter::All:
        return fix != FixClass::None;
    case FixFilter::ThreeD:
        return fix == FixClass::ThreeD || fix == FixClass::Dgps || fix == FixClass::RtkFloat ||
               fix == FixClass::RtkFixed;
    case FixFilter::RtkFixed:
        return fix == FixClass::RtkFixed;
    }
    return false;
}

TimeLine MakeTimeLine(const EpochLog& log)
{
    TimeLine line;
    line.ms.resize(log.epochs.size());
    // Midnights counted from the first epoch: the time going back by more
    // than half a day.
    std::vector<int64_t> days(log.epochs.size());
    int64_t day = 0;
    std::optional<int64_t> firstDated;
    for (size_t k = 0; k < log.epochs.size(); ++k) {
        const Epoch& epoch = log.epochs[k];
        if (k > 0 && epoch.timeMs < log.epochs[k - 1].timeMs - kMsPerDay / 2)
            ++day;
        days[k] = day;
        if (!firstDated && epoch.date.Known())
            firstDated = DaysFromDate(epoch.date) - day;
    }
    line.dated = firstDated.has_value();
    for (size_t k = 0; k < log.epochs.size(); ++k)
        line.ms[k] = (firstDated.value_or(0) + days[k]) * kMsPerDay + log.epochs[k].timeMs;
    return line;
}

double NearestRank(const std::vector<double>& sorted, double percent)
{
    if (sorted.empty())
        return 0;
    const auto rank = std::max<size_t>(1, size_t(std::ceil(percent / 100.0 * double(sorted.size()) - 1e-9)));
    return sorted[std::min(rank, sorted.size()) - 1];
}

Spread SpreadOf(const std::vector<double>& values)
{
    Spread spread;
    spread.n = values.size();
    if (values.empty())
        return spread;
    std::tie(spread.mean, spread.sigma) = MeanAndSigma(values);
    std::vector<double> magnitudes(values.size());
    std::transform(values.begin(), values.end(), magnitudes.begin(), [](double v) { return std::fabs(v); });
    const auto [p50, p95, p99, max] = SelectRanks(magnitudes, std::array<double, 4>{50, 95, 99, 100});
    spread.p50 = p50;
    spread.p95 = p95;
    spread.p99 = p99;
    spread.max = max;
    return spread;
}

namespace {

bool ParseNumber(std::string_view text, double& value)
{
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && ptr == text.data() + text.size() && std::isfinite(value);
}

}  // namespace

bool ParseGeodeticPoint(std::string_view text, GeodeticPoint& point)
{
    double values[3];
    size_t count = 0;
    while (count < 3) {
        const size_t comma = text.find(',');
        if (!ParseNumber(text.substr(0, comma), values[count++]))
            return false;
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
        if (count == 3)
            return false;
    }
    if (count < 2 || std::fabs(values[0]) > 90 || std::fabs(values[1]) > 180)
        return false;
    point.latitude = values[0];
    point.longitude = values[1];
    if (count == 3)
        point.heightMsl = values[2];
    return true;
}

ReceiverStats ComputeStats(const EpochLog& log, const StatsOptions& options)
{
    ReceiverStats stats;
    stats.timeLine = MakeTimeLine(log);
    FindRange(stats.timeLine, options, stats.firstEpoch, stats.endEpoch);
    const size_t first = stats.firstEpoch, end = stats.endEpoch;
    const auto& epochs = log.epochs;
    const auto& times = stats.timeLine.ms;
    stats.errors.resize(end - first);

    // Errors about the reference.
    if (options.reference == ReferenceKind::Log && options.referenceLog) {
        const EpochLog& reference = *options.referenceLog;
        TimeLine referenceLine = MakeTimeLine(reference);
        std::vector<int64_t> deviceTimes(times.begin() + ptrdiff_t(first), times.begin() + ptrdiff_t(end));
        if (!(stats.timeLine.dated && referenceLine.dated)) {
            // Without dates on both sides, times of day from each log's first day.
            const auto strip = [](std::vector<int64_t>& line, const EpochLog& from, size_t offset) {
                int64_t day = 0;
                for (size_t k = 0; k < line.size(); ++k) {
                    const size_t at = offset + k;
                    if (at > 0 && from.epochs[at].timeMs < from.epochs[at - 1].timeMs - kMsPerDay / 2)
                        ++day;
                    line[k] = day * kMsPerDay + from.epochs[at].timeMs;
                }
            };
            strip(deviceTimes, log, first);
            strip(referenceLine.ms, reference, 0);
        }
        const std::vector<int64_t> match = MatchEpochs(deviceTimes, referenceLine.ms, options.matchToleranceMs);
        PairStats pair;
        pair.deviceEpochs = end - first;
        pair.referenceEpochs = reference.epochs.size();
        std::vector<double> horizontal, vertical, along, cross;
        GeographicLib::LocalCartesian frame;
        for (size_t k = first; k < end; ++k) {
            const int64_t r = match[k - first];
            if (r < 0)
                continue;
            ++pair.matched;
            const Epoch& device = epochs[k];
            const Epoch& truth = reference.epochs[size_t(r)];
            if (!Passes(device, options.filter) || !truth.Has(Epoch::kPosition))
                continue;
            frame.Reset(truth.latitude, truth.longitude, EllipsoidHeight(truth));
            EpochError& error = stats.errors[k - first];
            ErrorAbout(frame, device, device.Has(Epoch::kHeight) && truth.Has(Epoch::kHeight), error);
            horizontal.push_back(error.horizontal);
            if (error.vertical)
                vertical.push_back(error.up);
            const bool moving = std::isnan(truth.speed) || truth.speed >= kCourseSpeed;
            if (!std::isnan(truth.course) && moving) {
                const double course = double(truth.course) * kDegrees;
                error.track = true;
                error.along = error.east * std::sin(course) + error.north * std::cos(course);
                error.cross = error.east * std::cos(course) - error.north * std::sin(course);
                along.push_back(error.along);
                cross.push_back(error.cross);
            }
        }
        pair.horizontal = SpreadOf(horizontal);
        pair.vertical = SpreadOf(vertical);
        pair.alongTrack = SpreadOf(along);
        pair.crossTrack = SpreadOf(cross);
        stats.pair = pair;
        stats.accuracy = AccuracyOf(stats.errors, {});
    } else {
        GeodeticPoint reference;
        double originHeight = 0;
        bool vertical = false;
        if (options.reference == ReferenceKind::Point) {
            reference = options.point;
            // The point's height above mean sea level, over the geoid the
            // receiver reports; without it, the fixes' mean height (for the
            // frame only).
            double separation = 0, heights = 0;
            size_t count = 0;
            for (size_t k = first; k < end; ++k) {
                if (!Passes(epochs[k], options.filter) || !epochs[k].Has(Epoch::kHeight))
                    continue;
                if (count == 0 && epochs[k].Has(Epoch::kSeparation))
                    separation = epochs[k].geoidSeparation;
                heights += EllipsoidHeight(epochs[k]);
                ++count;
            }
            vertical = reference.heightMsl.has_value() && count != 0;
            originHeight =
                reference.heightMsl ? *reference.heightMsl + separation : (count ? heights / double(count) : 0.0);
        } else {
            // The mean of the fixes, taken in a frame about the first.
            GeographicLib::LocalCartesian frame;
            bool started = false, heights = true;
            double sums[3] = {0, 0, 0};
            size_t count = 0;
            for (size_t k = first; k < end; ++k) {
                const Epoch& epoch = epochs[k];
                if (!Passes(epoch, options.filter))
                    continue;
                if (!started) {
                    frame.Reset(epoch.latitude, epoch.longitude, EllipsoidHeight(epoch));
                    started = true;
                }
                double e = 0, n = 0, u = 0;
                frame.Forward(epoch.latitude, epoch.longitude, EllipsoidHeight(epoch), e, n, u);
                sums[0] += e;
                sums[1] += n;
                sums[2] += u;
                heights = heights && epoch.Has(Epoch::kHeight);
                ++count;
            }
            if (count != 0) {
                double latitude = 0, longitude = 0, height = 0;
                frame.Reverse(sums[0] / double(count), sums[1] / double(count), sums[2] / double(count), latitude,
                    longitude, height);
                reference.latitude = latitude;
                reference.longitude = longitude;
                originHeight = height;
                vertical = heights;
                if (vertical) {
                    // Reported above mean sea level, as the receiver does.
                    double msl = 0;
                    for (size_t k = first; k < end; ++k)
                        if (Passes(epochs[k], options.filter))
                            msl += epochs[k].heightMsl;
                    reference.heightMsl = msl / double(count);
                }
            }
        }
        GeographicLib::LocalCartesian frame(reference.latitude, reference.longitude, originHeight);
        for (size_t k = first; k < end; ++k) {
            if (Passes(epochs[k], options.filter))
                ErrorAbout(frame, epochs[k], vertical && epochs[k].Has(Epoch::kHeight), stats.errors[k - first]);
        }
        stats.accuracy = AccuracyOf(stats.errors, reference);
    }

    // The receiver's own estimate against its error.
    std::vector<double> ratios;
    for (size_t k = first; k < end; ++k) {
        const Epoch& epoch = epochs[k];
        const EpochError& error = stats.errors[k - first];
        const double sigma = std::hypot(double(epoch.sigmaLatitude), double(epoch.sigmaLongitude));
        if (error.known && std::isfinite(sigma) && sigma > 0)
            ratios.push_back(error.horizontal / sigma);
    }
    stats.honesty.n = ratios.size();
    const auto [ratio50, ratio95] = SelectRanks(ratios, std::array<double, 2>{50, 95});
    stats.honesty.median = ratio50;
    stats.honesty.p95 = ratio95;

    // Availability.
    AvailabilityStats& available = stats.availability;
    available.epochs = end - first;
    if (end > first) {
        std::vector<double> intervals;
        for (size_t k = first + 1; k < end; ++k)
            if (times[k] > times[k - 1])
                intervals.push_back(double(times[k] - times[k - 1]) / 1000.0);
        available.periodSeconds = SelectRanks(intervals, std::array<double, 1>{50})[0];
        // A log whose time goes back within a day (a receiver restarted with
        // a wrong clock, logs joined) holds stretches that run forward: the
        // epochs expected are those of each stretch, and the time since the
        // range's first epoch runs on over the stretches, a period for each
        // step back.
        std::vector<double> elapsed(end - first);
        size_t stretchStart = first;
        available.expected = 0;
        const auto closeStretch = [&](size_t stretchEnd) {
            const double span = double(times[stretchEnd - 1] - times[stretchStart]) / 1000.0;
            available.expected +=
                available.periodSeconds > 0 ? size_t(std::llround(span / available.periodSeconds)) + 1 : 1;
        };
        for (size_t k = first + 1; k < end; ++k) {
            const int64_t step = times[k] - times[k - 1];
            if (step <= 0) {
                closeStretch(k);
                stretchStart = k;
            }
            elapsed[k - first] = elapsed[k - 1 - first] + (step > 0 ? double(step) / 1000.0 : available.periodSeconds);
        }
        closeStretch(end);
        std::optional<size_t> lastFix;
        std::vector<double> ages;
        size_t fixed = 0, floating = 0;
        for (size_t k = first; k < end; ++k) {
            const Epoch& epoch = epochs[k];
            const FixClass fix = ClassOf(epoch);
            available.secondsByFix[size_t(fix)] += available.periodSeconds;
            fixed += fix == FixClass::RtkFixed;
            floating += fix == FixClass::RtkFloat;
            if (fix != FixClass::None && !available.firstFixSeconds)
                available.firstFixSeconds = elapsed[k - first];
            if (fix == FixClass::RtkFixed && !available.firstRtkFixedSeconds)
                available.firstRtkFixedSeconds = elapsed[k - first];
            if (!Passes(epoch, options.filter))
                continue;
            ++available.withFix;
            if (!std::isnan(epoch.correctionAge))
                ages.push_back(epoch.correctionAge);
            if (lastFix && available.periodSeconds > 0) {
                const double seconds = double(times[k] - times[*lastFix]) / 1000.0;
                if (seconds > 1.5 * available.periodSeconds)
                    available.gaps.push_back({times[*lastFix], seconds});
            }
            lastFix = k;
        }
        available.availability = double(available.withFix) / double(available.expected);
        available.rtkFixedShare = double(fixed) / double(end - first);
        available.rtkFloatShare = double(floating) / double(end - first);
        available.correctionAge.n = ages.size();
        if (!ages.empty()) {
            available.correctionAge.mean = MeanAndSigma(ages).first;
            const auto [age50, age95, ageMax] = SelectRanks(ages, std::array<double, 3>{50, 95, 100});
            available.correctionAge.median = age50;
            available.correctionAge.p90 = age95;
            available.correctionAgeMax = ageMax;
        }
    }

    // C/N0 per constellation and signal, and by elevation.
    std::map<std::pair<int, int>, std::pair<Histogram, Histogram>> signals;  // used, in view
    std::array<Histogram, 9> bins{};
    for (size_t k = first; k < end; ++k) {
        const Epoch& epoch = epochs[k];
        if (options.filter != FixFilter::All && !Passes(epoch, options.filter))
            continue;
        const EpochCn0 cn0 = log.Cn0Of(epoch);
        size_t signal = 0;
        for (const EpochSatellite& satellite : log.SatellitesOf(epoch)) {
            for (uint32_t bits = satellite.signalBits; bits != 0; bits &= bits - 1) {
                const uint8_t value = cn0[signal++];
                if (value == 0)
                    continue;
                auto& histograms = signals[{int(satellite.System()), std::countr_zero(bits)}];
                ++histograms.second[value];
                if (satellite.Used())
                    ++histograms.first[value];
                if (satellite.PlaceKnown())
                    ++bins[size_t(std::min(satellite.Elevation() / 10, 8))][value];
            }
        }
    }
    for (const auto& [key, histograms] : signals) {
        Cn0SignalStats signal;
        signal.constellation = Constellation(key.first);
        signal.signalId = EpochSignalId(key.second);
        signal.used = SummaryOf(histograms.first);
        signal.inView = SummaryOf(histograms.second);
        stats.cn0.push_back(signal);
    }
    for (size_t b = 0; b < bins.size(); ++b)
        stats.cn0ByElevation.push_back({int(b) * 10, SummaryOf(bins[b])});
    return stats;
}

}  // namespace orvane
