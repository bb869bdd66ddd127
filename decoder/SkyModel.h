// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The satellites of the latest epoch, one model for every receiver: keyed
// by constellation and PRN (GPS 13 and BeiDou 13 are two satellites), each
// with its elevation, azimuth and the SNR of every signal reported.
//
// A GSV set counts per talker and signal: a second signal's set adds its
// signals to the epoch's satellites and never replaces the first's.
// "Used" is per constellation: a satellite is used when its own
// constellation's GSA of the epoch lists it; a GSA names its constellation
// by its system ID (NMEA 4.10+), else by its talker, else (GN) by each
// PRN's range.
//
// The GSV sets and the GSA sentences each come in rounds, one an epoch:
// the first of a new epoch starts every constellation's list over, so a
// constellation the receiver stops reporting leaves the sky. Within one
// epoch the sets of one talker and signal, or the GSAs of one talker and
// constellation, add up a few times (a receiver without signal IDs sends a
// set per band; more than twelve satellites take two GSAs); a further one
// starts the next round, as any repeat does in a log without times, so a
// stream whose time stops changing still moves on.

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
    Latest<std::vector<int32_t>> used;         // PRNs its GSAs of the epoch list, in order
    Latest<std::vector<SkySatellite>> inView;  // the epoch's satellites, every signal merged
};

// The sentences of one kind that make up an epoch's round.
class SentenceRound {
public:
    // How often one key may come in one timed epoch before it starts the
    // next round.
    static constexpr int kRepeatsPerEpoch = 4;

    // Notes a sentence (or set) of the key in the epoch; true when it
    // starts a new round.
    bool Next(uint64_t epoch, uint32_t key);

private:
    bool m_Started = false;
    uint64_t m_Epoch = 0;
    std::vector<std::pair<uint32_t, int>> m_Keys;  // each key of the round and how often it came
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
    // of its last field (0 when there is none).
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
    SentenceRound m_GsvRound;
    SentenceRound m_GsaRound;
};

}  // namespace orvane
