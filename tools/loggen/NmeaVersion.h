// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two outputs the simulated receiver can write.

namespace orvane::loggen {

enum class NmeaVersion {
    // The log as it has always been: GP sentences and GN RMC/GGA, GSA and
    // GSV per talker for GPS (with QZSS 193-202 and SBAS 33-64), GLONASS and
    // Galileo, no system or signal IDs.
    V4_0,
    // A multi-band receiver of today: GN position sentences with the
    // navigational status, one GSA per constellation with its system ID,
    // GSV sets per constellation and signal with the signal ID, BeiDou and
    // QZSS under their own talkers.
    V4_11,
};

}  // namespace orvane::loggen
