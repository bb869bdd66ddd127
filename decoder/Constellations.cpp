// SPDX-License-Identifier: GPL-3.0-or-later
#include "Constellations.h"

#include <array>

#include "FieldConvert.h"

namespace orvane {

namespace {

// SBAS as NMEA 4.0 numbers it (33-64, its PRN less 87) and by its own PRN.
bool SbasPrn(int32_t prn)
{
    return (prn >= 33 && prn <= 64) || (prn >= 120 && prn <= 158);
}

// A PRN under the GPS talker: GPS receivers also report the SBAS and QZSS
// satellites they track there.
Constellation GpsNeighbour(int32_t prn)
{
    if (SbasPrn(prn))
        return Constellation::Sbas;
    if (prn >= 193 && prn <= 202)
        return Constellation::Qzss;
    return Constellation::Gps;
}

// The signal names of NMEA 0183 4.11's signal ID table, indexed by the
// hexadecimal digit (0 means every signal, "not given" here).
using SignalNames = std::array<std::string_view, 16>;
constexpr SignalNames kGpsSignals{"", "L1 C/A", "L1 P(Y)", "L1 M", "L2 P(Y)", "L2C-M", "L2C-L", "L5-I", "L5-Q"};
constexpr SignalNames kGlonassSignals{"", "G1 C/A", "G1 P", "G2 C/A", "G2 P"};
constexpr SignalNames kGalileoSignals{"", "E5a", "E5b", "E5 a+b", "E6-A", "E6-BC", "E1-A", "E1"};
constexpr SignalNames kBeiDouSignals{"", "B1I", "B1Q", "B1C", "B1A", "B2a", "B2b", "B2 a+b", "B3I", "B3Q", "B3A", "B2I",
    "B2Q"};
constexpr SignalNames kQzssSignals{"", "L1 C/A", "L1C (D)", "L1C (P)", "LIS", "L2C-M", "L2C-L", "L5-I", "L5-Q", "L6D",
    "L6E"};
constexpr SignalNames kNavICSignals{"", "L5-SPS", "S-SPS", "L5-RS", "S-RS", "L1-SPS"};

// The band group of each signal ID, in the same order (-1: not named).
using SignalBands = std::array<int8_t, 16>;
constexpr SignalBands kGpsBands{-1, 0, 0, 0, 1, 1, 1, 2, 2, 4, 4, 4, 4, 4, 4, 4};
constexpr SignalBands kGlonassBands{-1, 0, 0, 1, 1, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4};
constexpr SignalBands kGalileoBands{-1, 2, 3, 2, 4, 4, 0, 0, 4, 4, 4, 4, 4, 4, 4, 4};
constexpr SignalBands kBeiDouBands{-1, 0, 0, 0, 0, 2, 3, 2, 1, 1, 1, 3, 3, 4, 4, 4};
constexpr SignalBands kQzssBands{-1, 0, 0, 0, 0, 1, 1, 2, 2, 4, 4, 4, 4, 4, 4, 4};
constexpr SignalBands kNavICBands{-1, 2, 4, 2, 4, 0, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4};

// A constellation's signals: their names and band groups, by ID. SBAS
// broadcasts on L1 (and L5), numbered as GPS's signals are.
struct SignalTable {
    const SignalNames* names;
    const SignalBands* bands;
};

constexpr std::array<SignalTable, kConstellationCount> kSignalTables{{
    {&kGpsSignals, &kGpsBands},
    {&kGlonassSignals, &kGlonassBands},
    {&kGalileoSignals, &kGalileoBands},
    {&kBeiDouSignals, &kBeiDouBands},
    {&kQzssSignals, &kQzssBands},
    {&kNavICSignals, &kNavICBands},
    {&kGpsSignals, &kGpsBands},
    {nullptr, nullptr},
}};

}  // namespace

std::string_view ConstellationName(Constellation constellation)
{
    static constexpr std::array<std::string_view, kConstellationCount> kNames{"GPS", "GLONASS", "Galileo", "BeiDou",
        "QZSS", "NavIC", "SBAS", "other"};
    return kNames[size_t(constellation)];
}

std::string_view ConstellationKey(Constellation constellation)
{
    static constexpr std::array<std::string_view, kConstellationCount> kKeys{"gps", "glonass", "galileo", "beidou",
        "qzss", "navic", "sbas", "other"};
    return kKeys[size_t(constellation)];
}

Constellation ConstellationOfPrn(int32_t prn)
{
    // NMEA 0183 4.0 numbers GPS 1-32, SBAS 33-64 (PRN less 87) and GLONASS
    // 65-96. Beyond those, receivers in 4.0 mode use extended ranges: SBAS
    // by its own PRN 120-158; QZSS 193-200 (u-blox documents 193-202 and
    // uses 193-199); BeiDou 201-263 (MediaTek, Quectel and Unicore); Galileo
    // 301-336 and BeiDou 401-463 (u-blox's extended numbering).
    if (prn >= 1 && prn <= 32)
        return Constellation::Gps;
    if (SbasPrn(prn))
        return Constellation::Sbas;
    if (prn >= 65 && prn <= 96)
        return Constellation::Glonass;
    if (prn >= 193 && prn <= 200)
        return Constellation::Qzss;
    if ((prn >= 201 && prn <= 263) || (prn >= 401 && prn <= 463))
        return Constellation::BeiDou;
    if (prn >= 301 && prn <= 336)
        return Constellation::Galileo;
    return Constellation::Other;
}

std::optional<Constellation> TalkerConstellation(std::string_view talker)
{
    if (talker == "GP")
        return Constellation::Gps;
    if (talker == "GL")
        return Constellation::Glonass;
    if (talker == "GA")
        return Constellation::Galileo;
    if (talker == "GB" || talker == "BD")
        return Constellation::BeiDou;
    if (talker == "GQ" || talker == "QZ")
        return Constellation::Qzss;
    if (talker == "GI")
        return Constellation::NavIC;
    return std::nullopt;
}

Constellation ConstellationOfTalker(std::string_view talker, int32_t prn)
{
    const std::optional<Constellation> own = TalkerConstellation(talker);
    if (!own)
        return ConstellationOfPrn(prn);
    return *own == Constellation::Gps ? GpsNeighbour(prn) : *own;
}

bool ConstellationOfSystemId(int32_t systemId, int32_t prn, Constellation& constellation)
{
    switch (systemId) {
    case 1:
        constellation = GpsNeighbour(prn);
        return true;
    case 2:
        constellation = Constellation::Glonass;
        return true;
    case 3:
        constellation = Constellation::Galileo;
        return true;
    case 4:
        constellation = Constellation::BeiDou;
        return true;
    case 5:
        constellation = Constellation::Qzss;
        return true;
    case 6:
        constellation = Constellation::NavIC;
        return true;
    default:
        return false;
    }
}

std::string_view SignalName(Constellation constellation, char signalId)
{
    if (signalId == 0)
        return {};
    static constexpr std::array<std::string_view, 16> kUnnamed{"signal 0", "signal 1", "signal 2", "signal 3",
        "signal 4", "signal 5", "signal 6", "signal 7", "signal 8", "signal 9", "signal A", "signal B", "signal C",
        "signal D", "signal E", "signal F"};
    const int digit = HexValue(signalId);
    if (digit < 0)
        return "signal ?";
    const SignalNames* names = kSignalTables[size_t(constellation)].names;
    const std::string_view name = names ? (*names)[size_t(digit)] : std::string_view();
    return name.empty() ? kUnnamed[size_t(digit)] : name;
}

int SignalBand(Constellation constellation, char signalId)
{
    if (signalId == 0)
        return -1;
    const int digit = HexValue(signalId);
    const SignalBands* bands = kSignalTables[size_t(constellation)].bands;
    if (digit < 0 || !bands)
        return 4;
    const int band = (*bands)[size_t(digit)];
    return band < 0 ? 4 : band;
}

}  // namespace orvane
