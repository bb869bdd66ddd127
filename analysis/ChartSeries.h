// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The values a chart draws over a log's epochs, one per epoch, and their
// reduction to what a plot of a given width can show. A chart of a day at
// 10 Hz does not keep a copy of its points: each redraw takes the epochs in
// the shown time range and, where there are more of them than twice the
// plot's pixel columns, keeps each column's lowest and highest value in
// time order, so that every spike stays visible. A gap in time (longer than
// the gap given) or an epoch without the value breaks the line.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ReceiverStats.h"
#include "decoder/Constellations.h"
#include "decoder/Epochs.h"

namespace orvane {

enum class SeriesKind : uint8_t {
    Cn0,     // dB-Hz of one satellite's signal
    Used,    // satellites the constellation's GSAs list
    InView,  // satellites of the constellation in view
    Hdop,
    Pdop,
    Fix,            // FixClass as a number
    Height,         // metres above mean sea level
    Speed,          // metres per second
    Horizontal,     // horizontal error to the reference, metres
    Vertical,       // up error to the reference, metres
    SigmaLatitude,  // GST, metres
    SigmaLongitude,
    SigmaHeight,
};

struct SeriesId {
    SeriesKind kind = SeriesKind::Hdop;
    Constellation constellation = Constellation::Gps;  // Cn0, Used, InView
    int32_t prn = 0;                                   // Cn0
    int signalBit = 0;                                 // Cn0: the bit of EpochSatellite::signalBits

    friend bool operator==(const SeriesId&, const SeriesId&) = default;
};

// The errors to the reference per epoch, as floats (NaN where unknown):
// what the error charts and the deviation plot read, computed once per
// statistics run.
struct ErrorSeries {
    std::vector<float> east, north, vertical;
};
ErrorSeries ErrorsOf(const ReceiverStats& stats, size_t epochCount);

// The value of the series at an epoch, NaN where the epoch lacks it.
double SeriesValue(const EpochLog& log, size_t epoch, const SeriesId& id, const ErrorSeries& errors);

// The satellites and signals a C/N0 chart can show: every one the log
// reports a C/N0 for, in constellation, PRN and signal order.
std::vector<SeriesId> Cn0Signals(const EpochLog& log);

struct SeriesPoints {
    std::vector<double> x, y;  // y NaN: a break in the line
};

// Samples one series for a plot. Epochs are summarised in blocks of 32,
// 1024 and 32768 (each block's lowest and highest value, where they lie,
// and whether the line breaks in it), so that a zoomed-out plot of a day
// at 10 Hz reads a few thousand blocks instead of every epoch; the epochs
// at the range's ends and those not yet in a whole block are read one by
// one. The summaries cost about 0.4 bytes per epoch, and grow with the log.
class SeriesSampler {
public:
    explicit SeriesSampler(const SeriesId& id) : m_Id(id) { }
    const SeriesId& Id() const { return m_Id; }

    // The values changed (the errors were computed anew, or another log
    // came): the summaries are made again when next wanted.
    void Reset();

    // The series over epochs whose time, in seconds since originMs on the
    // time line, lies in [from, to] (and the nearest epoch outside each
    // end, so the line runs to the plot's edges), with about two points
    // per pixel column at most where there are more epochs than that.
    // Epochs farther apart than gapSeconds break the line. The log may have
    // grown since the last call; it must not have changed otherwise.
    void Sample(const EpochLog& log, const TimeLine& timeLine, int64_t originMs, const ErrorSeries& errors, double from,
        double to, int columns, double gapSeconds, SeriesPoints& out);

private:
    // A break at b parts the block's epochs before b from those from b on:
    // the time jumps before epoch b, or epoch b has no value.
    static constexpr uint16_t kNoBreak = 0xffff;
    struct Block {
        float low, high;                 // +inf, -inf: no value in the block
        uint16_t lowAt, highAt;          // the epochs, from the block's first
        uint16_t firstBreak, lastBreak;  // kNoBreak: none
    };
    void Summarise(const EpochLog& log, const TimeLine& timeLine, const ErrorSeries& errors, double gapSeconds);

    SeriesId m_Id;
    double m_GapSeconds = -1;
    std::vector<Block> m_Levels[3];
};

}  // namespace orvane
