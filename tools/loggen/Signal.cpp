// SPDX-License-Identifier: GPL-3.0-or-later
#include "Signal.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>

#include "Earth.h"

namespace orvane::loggen {

namespace {

// How high the buildings along the street reach, seen from the car.
constexpr double kWall[] = {4.0, 16.0, 28.0};

// Signal strength before any loss of lock, in dB-Hz; sets lost when the
// buildings hide the satellite.
double ReceivedSnr(const Satellite& s, const Street& street, bool& lost)
{
    // Street canyon: walls across the direction of travel hide low
    // satellites; along the street the sky stays open further down.
    const double across = std::fabs(std::sin((s.azimuth - street.heading) * kDeg));
    const double wall = kWall[street.urban] * (0.3 + 0.7 * across) + (s.gainDb * 0.6);
    double snr = 17.0 + 31.0 * std::sqrt(std::sin(s.elevation * kDeg)) + s.gainDb + s.fadeDb;
    if (s.system == System::Glonass)
        snr -= 1.5;
    if (s.system == System::Sbas)
        snr -= 2.0;

    lost = false;
    if (s.elevation < wall - 5.0)
        lost = true;
    else if (s.elevation < wall)
        snr -= 4.0 + (wall - s.elevation) * 1.6;  // diffracted over the roof edge
    return snr;
}

// Strength of each band after the first against the first, in dB: L2C
// has less power than L1 C/A and G2 than G1; L5, E5 and B2a are sent
// stronger. Index by System, then by signal as in kSignalIds.
constexpr double kBandOffsetDb[][kSignalCount] = {
    {0.0, -4.0, 1.5},  // GPS: L2 CL, L5 I
    {0.0, -3.0, 0.0},  // QZSS: L2 CL
    {0.0, 0.0, 0.0},   // SBAS: L1 only
    {0.0, -2.5, 0.0},  // GLONASS: G2 C/A
    {0.0, 0.5, 1.0},   // Galileo: E5b, E5a
    {0.0, -1.5, 1.0},  // BeiDou: B2I, B2a
};

static_assert(std::size(kBandOffsetDb) == size_t(System::Beidou) + 1);

// A band is tracked from this SNR up, above the 15 dB-Hz the first signal
// needs.
constexpr double kBandThreshold = 20.0;

}  // namespace

void TrackSignal(Satellite& s, const Street& street, uint64_t epoch, Rng& random)
{
    s.tracked = false;
    s.snr = 0;
    if (s.elevation <= 0.0) {
        // Below the horizon: once it rises it takes a few seconds to acquire.
        s.lockWait = 3 + int(FixedFraction(uint64_t(s.prn) + epoch) * 8.0);
        s.trackedFor = 0;
        s.fadeDb = 0.0;
        return;
    }

    s.fadeDb = 0.85 * s.fadeDb + (street.moving ? 0.6 : 0.35) * random.Gauss();
    bool lost = false;
    const double snr = ReceivedSnr(s, street, lost);

    if (s.lockWait == 0 && random.Uniform() < (street.moving ? 0.0025 : 0.0005))
        s.lockWait = 1 + random.Below(4);  // a passing truck, a tree, a bridge

    if (snr < 15.0)
        lost = true;
    if (lost) {
        s.lockWait = std::max(s.lockWait, 1 + random.Below(3));
        s.trackedFor = 0;
        return;
    }
    if (s.lockWait > 0) {
        --s.lockWait;
        s.trackedFor = 0;
        return;
    }
    s.tracked = true;
    s.snr = std::clamp(int(std::lround(snr)), 15, 54);
    ++s.trackedFor;
}

void TrackBands(Satellite& s, const Street& street, Rng& random)
{
    for (size_t k = 1; k < kSignalCount; ++k) {
        s.bandSnr[k] = 0;
        if (!s.sends[k] || s.elevation <= 0.0) {
            s.bandFadeDb[k] = 0.0;
            continue;
        }
        s.bandFadeDb[k] = 0.85 * s.bandFadeDb[k] + (street.moving ? 0.8 : 0.4) * random.Gauss();
        // The receiver turns to a band once the first signal has been
        // tracked for two epochs, and drops it with the first signal.
        if (!s.tracked || s.trackedFor < 2)
            continue;
        // A dB more lost to the buildings per step of the street's
        // density: the receiver's antenna and tracking favour the first band.
        const double snr = s.snr + kBandOffsetDb[int(s.system)][k] + s.bandFadeDb[k] - double(street.urban);
        if (snr >= kBandThreshold)
            s.bandSnr[k] = std::min(int(std::lround(snr)), 54);
    }
}

}  // namespace orvane::loggen
