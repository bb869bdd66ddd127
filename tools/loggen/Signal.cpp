// SPDX-License-Identifier: GPL-3.0-or-later
#include "Signal.h"

#include <algorithm>
#include <cmath>

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

}  // namespace orvane::loggen
