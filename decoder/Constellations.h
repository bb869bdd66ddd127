// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which constellation a satellite belongs to, and what its signal IDs are
// called. A receiver tells the constellation in three ways: by the talker
// of a GSV or GSA sentence (GP, GL, GA, GB/BD, GQ/QZ, GI), by the system ID
// in the last field of a NMEA 4.10+ GSA, and, for a combined talker (GN)
// without a system ID, by the PRN's range alone.

#include <cstdint>
#include <optional>
#include <string_view>

namespace orvane {

enum class Constellation : uint8_t { Gps, Glonass, Galileo, BeiDou, Qzss, NavIC, Sbas, Other };
inline constexpr int kConstellationCount = 8;

// "GPS", "GLONASS", "Galileo", "BeiDou", "QZSS", "NavIC", "SBAS", "other".
std::string_view ConstellationName(Constellation constellation);
// The same in lower case without blanks, for key=value text: "gps" ...
std::string_view ConstellationKey(Constellation constellation);

// The constellation a talker's sentences are about (GP: GPS); none for a
// combined talker (GN) or one not listed.
std::optional<Constellation> TalkerConstellation(std::string_view talker);

// The constellation of a PRN reported under a talker ("GP", "GN", ...).
// Under a talker of one constellation the PRN only tells GPS's neighbours
// apart (SBAS and the QZSS numbers that GPS receivers report under GP);
// under GN, or a talker not listed, the PRN's range decides.
Constellation ConstellationOfTalker(std::string_view talker, int32_t prn);

// The constellation of a PRN listed by a GSA whose last field holds a
// system ID (1 GPS, 2 GLONASS, 3 Galileo, 4 BeiDou, 5 QZSS, 6 NavIC); none
// (false) for another ID.
bool ConstellationOfSystemId(int32_t systemId, int32_t prn, Constellation& constellation);

// The constellation of a PRN by its range alone (NMEA 4.0 numbering and
// the extended ranges receivers use beyond it).
Constellation ConstellationOfPrn(int32_t prn);

// The name of a GSV signal ID (one hexadecimal digit, as NMEA 4.11 lists
// them per constellation): "L1 C/A", "G2 C/A", "E5b", "B2I" ...; empty for
// a signal not given (id 0), "signal X" for one the table does not name.
std::string_view SignalName(Constellation constellation, char signalId);

// The band group of a signal, for columns that put the like bands of all
// constellations side by side: 0 L1/G1/E1/B1, 1 L2/G2/B3, 2 L5/E5a/B2a,
// 3 E5b/B2I/B2b, 4 other (E6, LEX, L1C, S and unknown). -1 for no signal
// given.
int SignalBand(Constellation constellation, char signalId);

}  // namespace orvane
