// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The satellites of the simulated sky: GPS, QZSS, SBAS, GLONASS and Galileo
// on circular orbits, with the state the receiver keeps for each.

#include <vector>

namespace orvane::loggen {

enum class System { Gps, Qzss, Sbas, Glonass, Galileo };

// Which GSV/GSA group (talker) a satellite is reported under.
enum Group { kGroupGp = 0, kGroupGl = 1, kGroupGa = 2, kGroupCount = 3 };

// Circular orbit described in the Earth-fixed frame at t = 0. Geostationary
// satellites are the special case of zero inclination and a period of one
// sidereal day, so their Earth-fixed longitude is raan0 + u0.
struct Satellite {
    System system;
    int prn;  // number as written in GSV/GSA
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
};

// Every satellite of the five systems, GPS first; the order is the order in
// which the signal model draws its random numbers, so it never changes.
std::vector<Satellite> BuildConstellations();

}  // namespace orvane::loggen
