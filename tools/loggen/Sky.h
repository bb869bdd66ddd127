// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sky as the receiver sees it at one epoch: where each satellite stands,
// which signals are tracked, which satellites are reported and which are
// used in the solution.

#include <cstdint>
#include <vector>

#include "Constellations.h"
#include "Dops.h"
#include "Earth.h"
#include "Random.h"
#include "Signal.h"

namespace orvane::loggen {

class Sky {
public:
    explicit Sky(NmeaVersion version);
    // The lists point into the satellites, so a copy would point into the original.
    Sky(const Sky&) = delete;
    Sky& operator=(const Sky&) = delete;

    // Brings the sky to unixTime for an antenna at the given place: look
    // angles, signals, reported and used satellites, and their DOPs. The
    // first signals of the systems of the 4.0 output draw from random, the
    // same numbers in both outputs; BeiDou and the second and third bands
    // of the 4.11 output draw from bandRandom.
    void Update(double unixTime, const Vec3& antenna, double latDeg, double lonDeg, const Street& street,
        uint64_t epoch, Rng& random, Rng& bandRandom);

    // Per group and ordered by PRN: the satellites reported in GSV, and
    // those of them used in the solution.
    const GroupLists& InView() const { return m_InView; }
    const GroupLists& Used() const { return m_Used; }
    int UsedCount() const;
    const Dops& Dilution() const { return m_Dops; }

private:
    void UpdateLookAngles(double unixTime, const Vec3& antenna, double latDeg, double lonDeg);
    void SelectInView(int group);
    void SelectUsed(int group);

    NmeaVersion m_Version;
    std::vector<Satellite> m_Satellites;
    GroupLists m_InView;
    GroupLists m_Used;
    Dops m_Dops;
};

}  // namespace orvane::loggen
