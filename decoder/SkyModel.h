// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The satellites of the latest epoch, one model for every receiver: keyed
// by constellation and PRN (GPS 13 and BeiDou 13 are two satellites), each
// with its elevation, azimuth and the SNR of every signal reported.
//
// A GSV set counts per talker and signal: a second signal's set adds its
// signals to the epoch's satellites and never replaces the first's. The
// first set of a new epoch starts its constellation's list over; in a log
// without times, a set of a talker and signal already merged does.
// "Used" is per constellation: a satellite is used when its own
// constellation's latest GSA of the epoch lists it; a GSA names its
// constellation by its system ID (NMEA 4.10+), else by its talker, else
// (GN) by each PRN's range.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "Constellations.h"
#include "Latest.h"
#include "Records.h"

namespace orvane {

struct SkySignal {
    char id = 0;  // the GSV signal ID, a hexadecimal digit; 0: not given
    int32_t snr = 0;

    friend bool operator==(const SkySignal&, const SkySignal&) = default;
};

// One satellite as the sky view shows it.
struct SkySatellite {
    int talkerRow = 0;  // the talker row whose GSV reported it first in the epoch
    Constellation constellation = Constellation::Other;
    GsvSatellite satellite;            // prn, elevation, azimuth; snr: the best of its signals
    std::vector<SkySignal> perSignal;  // in the order the sets came
    bool used = false;
};

// One constellation's part of the epoch.
struct ConstellationSky {
    Latest<std::vector<int32_t>> used;         // PRNs its latest GSA(s) of the epoch list, in order
    Latest<std::vector<SkySatellite>> inView;  // the epoch's satellites, every signal merged
    uint64_t usedEpoch = 0;
    uint64_t inViewEpoch = 0;
    // The (talker row, signal) sets merged into inView since it started
    // over.
    std::vector<std::pair<int, char>> sets;
};

class SkyModel {
public:
    // At most this many satellites per constellation list.
    static constexpr size_t kMostSatellites = 128;

    // A complete GSV set of a talker (row and letters) and signal (0 when
    // none is given), in the epoch given.
    void TakeGsvSet(int talkerRow, std::string_view talker, char signal, const std::vector<GsvSatellite>& satellites,
        uint64_t epoch);
    // A GSA of the talker: its PRNs (0 for an empty field) and the system ID
    // of its last field (0 when there is none). Within one epoch (not 0) a
    // second GSA of a constellation adds to the first.
    void TakeGsa(std::string_view talker, int32_t systemId, const std::array<int32_t, 12>& prns, uint64_t epoch);

    const ConstellationSky& Of(Constellation constellation) const { return m_Sky[size_t(constellation)]; }
    // Distinct satellites (constellation and PRN) used, and in view.
    int Used() const;
    int InView() const;
    // Counts every change, for a reader that notes when the sky goes stale.
    uint64_t Updates() const;
    // The satellites in view in constellation order, then as reported;
    // used by its own constellation's GSA.
    std::vector<SkySatellite> Satellites() const;

private:
    std::array<ConstellationSky, kConstellationCount> m_Sky{};
};

}  // namespace orvane
