// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The satellites of the simulated sky: GPS, QZSS, SBAS, GLONASS, Galileo
// and, in the 4.11 output, BeiDou on circular orbits, with the state the
// receiver keeps for each.

#include <array>
#include <vector>

#include "NmeaVersion.h"

namespace orvane::loggen {

enum class System { Gps, Qzss, Sbas, Glonass, Galileo, Beidou };

// Which GSV/GSA group (talker) a satellite is reported under. The 4.0
// output has the first three only, with QZSS and SBAS under GP; the 4.11
// output reports BeiDou under GB and QZSS under GQ, SBAS still under GP.
enum Group { kGroupGp = 0, kGroupGl = 1, kGroupGa = 2, kGroupGb = 3, kGroupGq = 4, kGroupCount = 5 };
inline constexpr int kGroupCount40 = 3;

// The signals of each group in the 4.11 output, as the one-digit hex
// signal IDs of its GSV sets and in the order the sets are written; the
// first is the L1/G1/E1/B1I signal the tracking model follows, the others
// are derived from it. GPS L1 C/A, L2 CL, L5 I; GLONASS G1 C/A, G2 C/A;
// Galileo E1 B/C, E5b, E5a; BeiDou B1I, B2I, B2a; QZSS L1 C/A, L2 CL.
inline constexpr int kSignalCount = 3;
inline constexpr const char* kSignalIds[kGroupCount] = {"167", "13", "721", "1B5", "16"};

// The system ID of each group in the 4.11 GSA sentences.
inline constexpr int kSystemIds[kGroupCount] = {1, 2, 3, 4, 5};

// Circular orbit described in the Earth-fixed frame at t = 0. Geostationary
// satellites are the special case of zero inclination and a period of one
// sidereal day, so their Earth-fixed longitude is raan0 + u0.
struct Satellite {
    System system;
    int prn;     // number in the 4.0 output; keys the satellite's fixed properties
    int number;  // number as written in GSV/GSA: prn, but QZSS 1-10 in the 4.11 output
    Group group;
    double radius;  // m
    double cosI, sinI;
    double raan0;       // rad, node longitude in the Earth-fixed frame at t = 0
    double u0;          // rad, argument of latitude at t = 0
    double meanMotion;  // rad/s
    double gainDb;      // fixed antenna/satellite power offset

    // Per-epoch results and tracking state.
    double elevation = -90.0;  // deg
    double azimuth = 0.0;      // deg
    double fadeDb = 0.0;       // slowly varying fading
    int lockWait = 0;          // epochs until the signal is tracked again
    int trackedFor = 30;       // epochs of continuous tracking
    bool tracked = false;
    int snr = 0;

    // The signals of its group (kSignalIds) it sends, and per signal after
    // the first the fading and the SNR, 0 when not tracked on it.
    std::array<bool, kSignalCount> sends{};
    std::array<double, kSignalCount> bandFadeDb{};
    std::array<int, kSignalCount> bandSnr{};
};

// The SNR of signal k of a satellite (k as in kSignalIds), 0 when that
// signal is not tracked.
int SignalSnr(const Satellite& s, int k);

// Every satellite of the systems of the output, GPS first and BeiDou last;
// the order is the order in which the signal model draws its random
// numbers, so it never changes. Both outputs have the same satellites of
// the first five systems on the same orbits.
std::vector<Satellite> BuildConstellations(NmeaVersion version);

}  // namespace orvane::loggen
