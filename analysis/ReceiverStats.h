// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Statistics of a receiver over a range of its epochs: accuracy about a
// reference, availability, C/N0 per constellation and signal, how honest
// its own error estimate (GST) is, and a device under test against a
// reference receiver. Positions go to local east/north/up metres with
// GeographicLib::LocalCartesian about the reference.
//
// Percentiles are by nearest rank: the P-th percentile of N values is the
// value of rank ceil(P/100 * N) in ascending order (the median of an even
// count is the lower middle value).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "decoder/Constellations.h"
#include "decoder/Epochs.h"

namespace orvane {

// What an epoch's fix is, from the GGA quality and the GSA fix type.
enum class FixClass : uint8_t { None, TwoD, ThreeD, Dgps, RtkFloat, RtkFixed, Estimated, Manual, Simulated };
inline constexpr int kFixClassCount = 9;
FixClass ClassOf(const Epoch& epoch);
// "none", "2d", "3d", "dgps", "rtk_float", "rtk_fixed", "estimated", "manual", "simulated".
const char* FixClassKey(FixClass fix);

enum class FixFilter : uint8_t {
    All,       // every epoch with a position
    ThreeD,    // 3D, DGPS, RTK float and fixed
    RtkFixed,  // GGA quality 4 only
};
bool Passes(const Epoch& epoch, FixFilter filter);

// Milliseconds on one time line for every epoch: from the dates where the
// log gives them (days since 1970), else counting midnights from the first
// epoch. dated tells which.
struct TimeLine {
    std::vector<int64_t> ms;
    bool dated = false;
};
TimeLine MakeTimeLine(const EpochLog& log);

// The value of rank ceil(p/100 * n) of the sorted values; 0 for none.
double NearestRank(const std::vector<double>& sorted, double percent);

struct GeodeticPoint {
    double latitude = 0, longitude = 0;  // degrees
    std::optional<double> heightMsl;     // metres above mean sea level
};

// "LAT,LON" or "LAT,LON,HEIGHT": signed degrees and metres above mean sea
// level. False for anything else, or a latitude or longitude out of range.
bool ParseGeodeticPoint(std::string_view text, GeodeticPoint& point);

enum class ReferenceKind : uint8_t { MeanOfFixes, Point, Log };

struct StatsOptions {
    FixFilter filter = FixFilter::All;
    // The range, on the log's time line (MakeTimeLine), both ends included.
    std::optional<int64_t> fromMs, toMs;
    ReferenceKind reference = ReferenceKind::MeanOfFixes;
    GeodeticPoint point;                     // for Point
    const EpochLog* referenceLog = nullptr;  // for Log
    int32_t matchToleranceMs = 5;            // epochs of the two logs match within this
};

// A signed quantity: its mean and standard deviation (N-1), and
// percentiles of its magnitude.
struct Spread {
    size_t n = 0;
    double mean = 0, sigma = 0;
    double p50 = 0, p95 = 0, p99 = 0, max = 0;  // of |x|
};
Spread SpreadOf(const std::vector<double>& values);

struct AccuracyStats {
    size_t n = 0;
    GeodeticPoint reference;                      // the point used (the mean of the fixes, or the one given)
    double cep50 = 0, r95 = 0, p99 = 0, max = 0;  // of the horizontal error, metres
    double drms = 0, twoDrms = 0;
    bool vertical = false;          // a height to compare with was known
    double up50 = 0, up95 = 0;      // of |up error|
    std::array<double, 3> bias{};   // mean east, north, up error
    std::array<double, 3> sigma{};  // their standard deviations (N-1)
};

struct Gap {
    int64_t startMs = 0;  // the last fix before the gap, on the time line
    double seconds = 0;   // to the first fix after it
};

struct Summary {
    size_t n = 0;
    double mean = 0, median = 0, p10 = 0, p90 = 0;
};

struct AvailabilityStats {
    size_t epochs = 0;                                  // in the range
    double periodSeconds = 0;                           // the median interval between epochs
    size_t expected = 0;                                // epochs the period gives over the range (each
                                                        // stretch where the time runs forward)
    size_t withFix = 0;                                 // epochs with a fix that passes the filter
    double availability = 0;                            // withFix / expected
    std::vector<Gap> gaps;                              // between fixes, longer than 1.5 periods
    std::array<double, kFixClassCount> secondsByFix{};  // epochs of each fix times the period
    double rtkFixedShare = 0, rtkFloatShare = 0;        // of the epochs in the range
    std::optional<double> firstFixSeconds;              // from the range's first epoch to its first fix
                                                        // (over the stretches, a period per step back)
    std::optional<double> firstRtkFixedSeconds;
    Summary correctionAge;  // n, mean, median; p90 holds the 95th percentile
    double correctionAgeMax = 0;
};

struct Cn0SignalStats {
    Constellation constellation = Constellation::Other;
    char signalId = 0;  // as the receiver wrote it; 0 when none was given
    Summary used, inView;
};

struct Cn0Bin {
    int fromDegrees = 0;  // the bin holds elevations from..from+10 (90 in the last)
    Summary all;
};

struct HonestyStats {
    size_t n = 0;  // epochs with an error and a GST horizontal sigma
    double median = 0, p95 = 0;
};

struct PairStats {
    size_t deviceEpochs = 0, referenceEpochs = 0, matched = 0;
    Spread horizontal, vertical, alongTrack, crossTrack;
};

// The errors of one epoch, where a reference gave them.
struct EpochError {
    bool known = false;
    bool vertical = false;
    double east = 0, north = 0, up = 0, horizontal = 0;
    bool track = false;  // along and cross the reference's course
    double along = 0, cross = 0;
};

struct ReceiverStats {
    size_t firstEpoch = 0, endEpoch = 0;  // the range, as indices into the log's epochs
    TimeLine timeLine;
    AccuracyStats accuracy;
    AvailabilityStats availability;
    std::vector<Cn0SignalStats> cn0;  // in constellation order, then by signal ID
    std::vector<Cn0Bin> cn0ByElevation;
    HonestyStats honesty;
    std::optional<PairStats> pair;   // with a reference log
    std::vector<EpochError> errors;  // one per epoch of the range
};

ReceiverStats ComputeStats(const EpochLog& log, const StatsOptions& options);

}  // namespace orvane
