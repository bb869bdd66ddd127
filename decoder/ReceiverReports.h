// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What current receivers report beyond the position, time and satellites of
// the six decoded types: GNS (a mode letter per constellation, satellites
// used beyond twelve, navigational status), GST (error estimates), GBS
// (fault detection), THS (true heading), TXT (receiver messages) and the
// mode and navigational status fields at the end of RMC. The latest report
// of each type is kept whole, with the number of sentences that set it, in
// the way of the fix summary. A field the sentence left empty is not known
// in the report (never 0). Reading a sentence allocates nothing.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Latest.h"

namespace orvane {

// The most mode letters a GNS report holds; receivers send one per
// constellation, six or seven today.
inline constexpr size_t kMostGnsModes = 16;

struct GnsReport {
    // One letter per constellation in the order GPS, GLONASS, Galileo,
    // BeiDou, QZSS, NavIC: N no fix, A autonomous, D differential, P precise,
    // R RTK, F float RTK, E estimated, M manual, S simulator. Empty when the
    // field was empty.
    std::array<char, kMostGnsModes> modeLetters{};
    uint8_t modeCount = 0;
    std::optional<int32_t> satellitesUsed;  // all constellations, not capped at 12
    std::optional<double> hdop;
    std::optional<double> altitude;         // metres above mean sea level
    std::optional<double> geoidSeparation;  // metres
    std::optional<double> differentialAge;  // seconds since the last differential correction
    std::optional<int32_t> stationId;       // the differential reference station
    // S safe, C caution, U unsafe, V not valid; sent from NMEA 4.10 on.
    std::optional<char> navStatus;

    std::string_view Modes() const { return {modeLetters.data(), modeCount}; }
    friend bool operator==(const GnsReport&, const GnsReport&) = default;
};

// Error estimates of the fix, in metres but the orientation.
struct GstReport {
    std::optional<double> rangeRms;     // RMS of the standard deviations of the range inputs
    std::optional<double> sigmaMajor;   // standard deviation of the error ellipse's semi-major axis
    std::optional<double> sigmaMinor;   // and of its semi-minor axis
    std::optional<double> orientation;  // of the semi-major axis, degrees from true north
    std::optional<double> sigmaLatitude;
    std::optional<double> sigmaLongitude;
    std::optional<double> sigmaAltitude;

    friend bool operator==(const GstReport&, const GstReport&) = default;
};

// Receiver autonomous integrity monitoring: the expected errors and the
// satellite most likely to have failed.
struct GbsReport {
    std::optional<double> errorLatitude;  // metres
    std::optional<double> errorLongitude;
    std::optional<double> errorAltitude;
    std::optional<int32_t> failedSatellite;
    std::optional<double> missedProbability;  // of missed detection of the failed satellite
    std::optional<double> bias;               // estimated on the failed satellite, metres
    std::optional<double> biasSigma;          // standard deviation of the bias, metres
    std::optional<int32_t> systemId;          // of the failed satellite, NMEA 4.10 on: 1 GPS ... 6 NavIC
    std::optional<int32_t> signalId;          // of the failed satellite, NMEA 4.10 on

    friend bool operator==(const GbsReport&, const GbsReport&) = default;
};

// The two fields RMC gained after its first form; each only when sent.
struct RmcStatus {
    // A autonomous, D differential, P precise, F float RTK, R RTK,
    // E estimated, M manual, S simulator, N not valid.
    std::optional<char> mode;
    std::optional<char> navStatus;  // S safe, C caution, U unsafe, V not valid

    friend bool operator==(const RmcStatus&, const RmcStatus&) = default;
};

struct HeadingReport {
    double degrees = 0;  // true
    char mode = 0;       // A autonomous, E estimated, M manual or S simulator

    friend bool operator==(const HeadingReport&, const HeadingReport&) = default;
};

// The longest text a TXT message keeps; a longer one is cut. A sentence of
// at most 82 characters has room for 67.
inline constexpr size_t kTxtTextCapacity = 128;

struct TxtMessage {
    int32_t total = 0;   // sentences of the message
    int32_t number = 0;  // this sentence's place in it, from 1
    int32_t id = 0;      // the text identifier (u-blox: 00 error, 01 warning, 02 notice, 07 user)
    std::array<char, kTxtTextCapacity> letters{};
    uint8_t length = 0;

    // As sent: "^" escapes are not decoded.
    std::string_view Text() const { return {letters.data(), length}; }
};

// The last TXT sentences, each kept as its own message, oldest first.
class TxtLog {
public:
    static constexpr size_t kCapacity = 8;

    size_t Size() const { return m_Size; }
    // Message k of those kept, 0 the oldest; k below Size().
    const TxtMessage& At(size_t k) const { return m_Messages[(m_First + k) % kCapacity]; }
    // Every TXT sentence taken, the ones no longer kept included.
    uint64_t Received() const { return m_Received; }
    // Keeps the message, dropping the oldest when all places are taken.
    void Push(const TxtMessage& message);

private:
    std::array<TxtMessage, kCapacity> m_Messages{};
    size_t m_First = 0;
    size_t m_Size = 0;
    uint64_t m_Received = 0;
};

enum class ReportResult {
    OtherType,  // not GNS, GST, GBS, TXT, THS or RMC: nothing read
    Taken,      // read; the reports it carries are updated
    NotParsed,  // one of the types, but cut short or a field not of its form: nothing changed
};

class ReceiverReports {
public:
    // Reads one sentence ("$" through "*"; checksum digits after the "*" are
    // ignored and not verified) of the three-letter type. A sentence
    // without its "*" may be cut short and is not parsed. For RMC only the
    // mode (field 12) and navigational status (field 13) are read here: an
    // RMC without them is taken and changes nothing.
    ReportResult Take(std::string_view sentence, std::string_view type);

    const Latest<GnsReport>& Gns() const { return m_Gns; }
    const Latest<GstReport>& Gst() const { return m_Gst; }
    const Latest<GbsReport>& Gbs() const { return m_Gbs; }
    // Set by every RMC that has field 12, whether or not it is empty.
    const Latest<RmcStatus>& Rmc() const { return m_Rmc; }
    // Set only by a THS with a heading and a valid mode (not V).
    const Latest<HeadingReport>& TrueHeading() const { return m_TrueHeading; }
    const TxtLog& Txt() const { return m_Txt; }

    // Forgets everything, counts included.
    void Reset() { *this = ReceiverReports(); }

private:
    Latest<GnsReport> m_Gns;
    Latest<GstReport> m_Gst;
    Latest<GbsReport> m_Gbs;
    Latest<RmcStatus> m_Rmc;
    Latest<HeadingReport> m_TrueHeading;
    TxtLog m_Txt;
};

// "key=value" lines in a fixed order, "-" for a value not known, in the
// form of SummaryText; then "txt=<id>,<text>" for each kept TXT message,
// oldest first.
std::string ReceiverReportsText(const ReceiverReports& reports);

}  // namespace orvane
