// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChartSeries.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "decoder/VectorGrowth.h"

namespace orvane {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double Known(float value)
{
    return std::isfinite(value) ? double(value) : kNaN;
}

// Reads one series epoch by epoch. A C/N0 series remembers where its signal
// lies in the last satellite list read: epochs that share the list (or
// have one of the same place in the records) find it without a search.
class ValueReader {
public:
    ValueReader(const EpochLog& log, const SeriesId& id, const ErrorSeries& errors)
        : m_Log(log), m_Id(id), m_Errors(errors)
    { }

    double operator()(size_t index)
    {
        if (m_Id.kind != SeriesKind::Cn0)
            return SeriesValue(m_Log, index, m_Id, m_Errors);
        const Epoch& epoch = m_Log.epochs[index];
        if (!epoch.Has(Epoch::kSatellitesInView))
            return kNaN;
        if (epoch.firstSatellite != m_First || epoch.satelliteCount != m_Count) {
            m_First = epoch.firstSatellite;
            m_Count = epoch.satelliteCount;
            m_Signal = SignalIndex(epoch);
        }
        if (m_Signal < 0)
            return kNaN;
        const uint8_t cn0 = m_Log.Cn0Of(epoch)[m_Signal];
        return cn0 ? double(cn0) : kNaN;
    }

private:
    // The signal's place among the epoch's C/N0 values, or -1.
    int32_t SignalIndex(const Epoch& epoch) const
    {
        const uint16_t signalBit = uint16_t(1u << m_Id.signalBit);
        int32_t index = 0;
        for (const EpochSatellite& satellite : m_Log.SatellitesOf(epoch)) {
            if (satellite.Prn() == m_Id.prn && satellite.System() == m_Id.constellation) {
                if (!(satellite.signalBits & signalBit))
                    return -1;
                return index + std::popcount(unsigned(satellite.signalBits & (signalBit - 1)));
            }
            index += satellite.SignalCount();
        }
        return -1;
    }

    const EpochLog& m_Log;
    const SeriesId& m_Id;
    const ErrorSeries& m_Errors;
    uint32_t m_First = UINT32_MAX;
    uint16_t m_Count = 0;
    int32_t m_Signal = -1;
};

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

double SeriesValue(const EpochLog& log, size_t index, const SeriesId& id, const ErrorSeries& errors)
{
    const Epoch& epoch = log.epochs[index];
    const auto errorAt = [index](const std::vector<float>& values) {
        return index < values.size() ? Known(values[index]) : kNaN;
    };
    switch (id.kind) {
    case SeriesKind::Cn0:
        return ValueReader(log, id, errors)(index);
    case SeriesKind::Used:
        return epoch.Has(Epoch::kSatellitesUsed) ? double(epoch.used[size_t(id.constellation)]) : kNaN;
    case SeriesKind::InView:
        return epoch.Has(Epoch::kSatellitesInView) ? double(epoch.inView[size_t(id.constellation)]) : kNaN;
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

std::vector<SeriesId> Cn0Signals(const EpochLog& log)
{
    // One bit per constellation, PRN and signal: the satellite records are
    // many, the distinct signals few.
    constexpr size_t kPrns = 512, kBits = 16;
    std::vector<uint16_t> signalBits(kConstellationCount * kPrns);
    for (const EpochSatellite& satellite : log.satellites)
        signalBits[size_t(satellite.System()) * kPrns + size_t(satellite.Prn())] |= satellite.signalBits;
    std::vector<SeriesId> ids;
    for (size_t key = 0; key < signalBits.size(); ++key)
        for (size_t bit = 0; bit < kBits; ++bit)
            if (signalBits[key] & (1u << bit))
                ids.push_back({SeriesKind::Cn0, Constellation(key / kPrns), int32_t(key % kPrns), int(bit)});
    return ids;
}

namespace {

constexpr size_t kBlockShift = 5;  // 32 epochs, or 32 blocks of the level below
constexpr size_t kLevels = 3;

constexpr size_t BlockSize(size_t level)
{
    return size_t(1) << (kBlockShift * (level + 1));
}

void PushBreak(SeriesPoints& out)
{
    if (!out.y.empty() && !std::isnan(out.y.back())) {
        out.x.push_back(out.x.back());
        out.y.push_back(kNaN);
    }
}

}  // namespace

void SeriesSampler::Reset()
{
    for (std::vector<Block>& level : m_Levels)
        level.clear();
}

void SeriesSampler::Summarise(const EpochLog& log, const TimeLine& timeLine, const ErrorSeries& errors,
    double gapSeconds)
{
    if (gapSeconds != m_GapSeconds) {
        m_GapSeconds = gapSeconds;
        Reset();
    }
    const size_t count = std::min(log.epochs.size(), timeLine.ms.size());
    ValueReader value(log, m_Id, errors);
    const int64_t gapMs = std::isfinite(gapSeconds) ? int64_t(gapSeconds * 1000.0) : INT64_MAX;
    // Whole blocks of epochs not yet summarised.
    ReserveForMore(m_Levels[0], count / BlockSize(0) - std::min(count / BlockSize(0), m_Levels[0].size()));
    for (size_t block = m_Levels[0].size(); (block + 1) * BlockSize(0) <= count; ++block) {
        Block summary{INFINITY, -INFINITY, 0, 0, kNoBreak, kNoBreak};
        const size_t first = block * BlockSize(0);
        for (size_t k = first; k < first + BlockSize(0); ++k) {
            const double y = value(k);
            if ((k > 0 && timeLine.ms[k] - timeLine.ms[k - 1] > gapMs) || std::isnan(y)) {
                if (summary.firstBreak == kNoBreak)
                    summary.firstBreak = uint16_t(k - first);
                summary.lastBreak = uint16_t(k - first);
            }
            if (std::isnan(y))
                continue;
            if (y < summary.low) {
                summary.low = float(y);
                summary.lowAt = uint16_t(k - first);
            }
            if (y > summary.high) {
                summary.high = float(y);
                summary.highAt = uint16_t(k - first);
            }
        }
        m_Levels[0].push_back(summary);
    }
    // Whole blocks of the level below.
    for (size_t level = 1; level < kLevels; ++level) {
        const std::vector<Block>& below = m_Levels[level - 1];
        const size_t childSize = BlockSize(level - 1);
        ReserveForMore(m_Levels[level],
            (below.size() >> kBlockShift) - std::min(below.size() >> kBlockShift, m_Levels[level].size()));
        for (size_t block = m_Levels[level].size(); (block + 1) << kBlockShift <= below.size(); ++block) {
            Block summary{INFINITY, -INFINITY, 0, 0, kNoBreak, kNoBreak};
            for (size_t child = block << kBlockShift, n = 0; n < (size_t(1) << kBlockShift); ++child, ++n) {
                const Block& c = below[child];
                if (c.firstBreak != kNoBreak) {
                    if (summary.firstBreak == kNoBreak)
                        summary.firstBreak = uint16_t(n * childSize + c.firstBreak);
                    summary.lastBreak = uint16_t(n * childSize + c.lastBreak);
                }
                if (c.low < summary.low) {
                    summary.low = c.low;
                    summary.lowAt = uint16_t(n * childSize + c.lowAt);
                }
                if (c.high > summary.high) {
                    summary.high = c.high;
                    summary.highAt = uint16_t(n * childSize + c.highAt);
                }
            }
            m_Levels[level].push_back(summary);
        }
    }
}

void SeriesSampler::Sample(const EpochLog& log, const TimeLine& timeLine, int64_t originMs, const ErrorSeries& errors,
    double from, double to, int columns, double gapSeconds, SeriesPoints& out)
{
    out.x.clear();
    out.y.clear();
    const std::vector<int64_t>& ms = timeLine.ms;
    const size_t count = std::min(log.epochs.size(), ms.size());
    if (count == 0 || !(to > from) || columns < 1)
        return;
    const auto secondsAt = [&](size_t k) { return double(ms[k] - originMs) / 1000.0; };
    // The shown range and one epoch beyond each end.
    const auto begin = ms.begin(), end = ms.begin() + ptrdiff_t(count);
    const auto lower = std::lower_bound(begin, end, originMs + int64_t(std::floor(from * 1000.0)));
    const auto upper = std::upper_bound(begin, end, originMs + int64_t(std::ceil(to * 1000.0)));
    const size_t first = size_t(std::max<ptrdiff_t>(0, (lower - begin) - 1));
    const size_t last = std::min(count, size_t(upper - begin) + 1);
    if (first >= last)
        return;

    ValueReader value(log, m_Id, errors);
    double previousX = secondsAt(first);
    const auto raw = [&](size_t from, size_t to) {
        for (size_t k = from; k < to; ++k) {
            const double x = secondsAt(k);
            const double y = value(k);
            if (x - previousX > gapSeconds || std::isnan(y))
                PushBreak(out);
            previousX = x;
            if (!std::isnan(y)) {
                out.x.push_back(x);
                out.y.push_back(y);
            }
        }
    };

    // The coarsest level that still gives a block, two points, per pixel
    // column; fewer epochs than that are read one by one.
    const size_t wanted = size_t(columns);
    int level = -1;
    while (level + 1 < int(kLevels) && (last - first) / BlockSize(size_t(level + 1)) >= wanted)
        ++level;
    if (level < 0) {
        raw(first, last);
        return;
    }
    Summarise(log, timeLine, errors, gapSeconds);
    // The blocks of the level that lie wholly in the range, and the ends
    // beside them by the finer levels, the last few epochs one by one.
    const auto emit = [&](auto& self, int at, size_t from, size_t to) -> void {
        if (at < 0) {
            raw(from, to);
            return;
        }
        const size_t size = BlockSize(size_t(at));
        const std::vector<Block>& blocks = m_Levels[at];
        const size_t firstBlock = (from + size - 1) / size;
        const size_t endBlock = std::min(to / size, blocks.size());
        if (firstBlock >= endBlock) {
            self(self, at - 1, from, to);
            return;
        }
        self(self, at - 1, from, firstBlock * size);
        for (size_t b = firstBlock; b < endBlock; ++b) {
            const Block& block = blocks[b];
            // The block's points in time order, a break before each that
            // follows one of the block's breaks.
            int drawn = -1;  // the offset of the block's last point drawn
            const auto point = [&](int at, double y) {
                for (const uint16_t cut : {block.firstBreak, block.lastBreak})
                    if (cut != kNoBreak && drawn < cut && cut <= at)
                        PushBreak(out);
                out.x.push_back(secondsAt(b * size + size_t(at)));
                out.y.push_back(y);
                drawn = at;
            };
            if (block.low <= block.high) {
                const bool lowFirst = block.lowAt <= block.highAt;
                point(lowFirst ? block.lowAt : block.highAt, lowFirst ? block.low : block.high);
                if (block.lowAt != block.highAt)
                    point(lowFirst ? block.highAt : block.lowAt, lowFirst ? block.high : block.low);
            }
            if (block.lastBreak != kNoBreak && drawn < block.lastBreak)
                PushBreak(out);
        }
        previousX = secondsAt(endBlock * size - 1);
        self(self, at - 1, endBlock * size, to);
    };
    emit(emit, level, first, last);
}

}  // namespace orvane
