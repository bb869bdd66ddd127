// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A log cut into epochs: every sentence of one UTC time of day (RMC, GGA,
// GNS, GLL, GSA, GSV, GST, VTG and ZDA, of every talker) makes one record.
// An epoch closes when a sentence with another time arrives; GSA, GSV and
// VTG carry no time and belong to the epoch they follow (those before the
// first time join the first epoch). An epoch that never got a time is
// dropped, its sentences counted.
//
// The reader takes text in pieces of any size: a sentence cut between two
// pieces is kept, up to kLongestLine bytes, until its line end comes. Every
// sentence must end in "*hh" with the right checksum; one that does not,
// or whose fields are not of their form, changes nothing and is counted.
// Reading allocates only to store what it read: no string per field, no
// copy of the text but the unfinished line.
//
// Records are small, for charts that keep days of a 10 Hz receiver: the
// satellites of all epochs lie in one shared vector (6 bytes each), which
// of them the epoch used in another (a bit each), and their C/N0 in a
// third (one byte per satellite and signal), each epoch holding where its
// own begin. An epoch whose satellites are byte for byte those of the last
// epoch that had any points at the same run instead of adding a copy
// (satellites move a degree in minutes, so at 10 Hz most epochs repeat the
// last one's list; epochs between a receiver's GSVs, sent once a second,
// have none); its used flags likewise, on their own (a receiver changes
// the satellites it uses more often than they move). Its C/N0 point at the
// last C/N0 run stored in full where they are its values (C/N0 that stay
// the same while a satellite moves); where each differs from that run's by
// -8 to +7 dB-Hz they are kept as those differences, half a byte each, or
// point at the last such run where it holds the same (at 10 Hz a receiver
// reports every signal's C/N0 anew at every epoch, a dB or two from the
// last); else they start a new full run. So a run of any of the vectors
// may belong to several epochs, and a run's place says nothing about its
// epoch: read an epoch's records through SatellitesOf and Cn0Of only, and
// never change them in place.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Constellations.h"

namespace orvane {

// One satellite in view in an epoch, packed into three words. A plain
// record (EpochSatellite{} is all zeros), so that the reader appends an
// epoch's satellites as one copy.
struct EpochSatellite {
    // PRN in bits 0-8 (the PRN as the receiver numbers it, below 512),
    // the constellation in bits 9-11, used (its constellation's GSA of the
    // epoch lists it) in bit 12, the elevation and azimuth known in bit 13.
    // The stored runs leave bit 12 clear: SatellitesOf sets it from the
    // epoch's used flags.
    uint16_t key;
    // Azimuth in bits 0-8 (degrees true, 0-359), elevation in bits 9-15
    // (degrees, 0-90; a negative elevation is kept as 0).
    uint16_t place;
    // Bit k: the receiver reported signal ID k (hexadecimal digit k);
    // bit 0: reported without a signal ID (NMEA before 4.10, or ID 0).
    uint16_t signalBits;

    int32_t Prn() const { return key & 0x1ff; }
    Constellation System() const { return Constellation((key >> 9) & 7); }
    bool Used() const { return (key >> 12) & 1; }
    bool PlaceKnown() const { return (key >> 13) & 1; }
    int32_t Azimuth() const { return place & 0x1ff; }
    int32_t Elevation() const { return place >> 9; }
    // The signals reported, and so the C/N0 values the satellite holds.
    int SignalCount() const;
};

// The signal ID of bit k of EpochSatellite::signalBits as the receiver wrote
// it ('1' ... 'F'), 0 for bit 0 (no ID): the form SignalName takes.
char EpochSignalId(int bit);

struct EpochDate {
    uint16_t year = 0;  // 0: not known
    uint8_t month = 0;
    uint8_t day = 0;

    bool Known() const { return year != 0; }
    friend bool operator==(const EpochDate&, const EpochDate&) = default;
};

// Days from 1970-01-01 to the date (proleptic Gregorian), and back.
int64_t DaysFromDate(const EpochDate& date);
EpochDate DateFromDays(int64_t days);

// The value a float field holds when the epoch's sentences did not give it.
inline constexpr float kUnknown = std::numeric_limits<float>::quiet_NaN();

struct Epoch {
    enum Flag : uint8_t {
        kPosition = 1,          // latitude and longitude from a sentence that reports a fix
        kHeight = 2,            // heightMsl (GGA or GNS)
        kSeparation = 4,        // geoidSeparation (GGA or GNS)
        kSatellitesUsed = 8,    // a GSA came: used holds its satellites
        kSatellitesInView = 16  // a GSV came: inView and the satellites hold its satellites
    };

    double latitude = 0;        // signed degrees, north positive
    double longitude = 0;       // signed degrees, east positive
    int32_t timeMs = 0;         // milliseconds since midnight UTC
    EpochDate date;             // from RMC or ZDA, else carried on from the epoch before
    float heightMsl = 0;        // metres above mean sea level
    float geoidSeparation = 0;  // metres, the geoid above the ellipsoid
    float pdop = kUnknown, hdop = kUnknown, vdop = kUnknown;
    // GST's standard deviations of the latitude, longitude and height error, metres.
    float sigmaLatitude = kUnknown, sigmaLongitude = kUnknown, sigmaHeight = kUnknown;
    float speed = kUnknown;          // metres per second over ground
    float course = kUnknown;         // degrees true over ground
    float correctionAge = kUnknown;  // seconds since the last differential correction
    uint32_t firstSatellite = 0;     // into EpochLog::satellites, maybe shared with epochs before
    // Into EpochLog::cn0, or with kCn0Differences set into
    // EpochLog::cn0Differences; maybe shared with epochs before. (An epoch
    // whose runs would pass 2 GiB of C/N0 or 4 G satellites, a log of tens
    // of gigabytes, is kept without its satellites.)
    uint32_t firstCn0 = 0;
    uint32_t firstUsed = 0;  // into EpochLog::used, maybe shared with epochs before
    uint16_t satelliteCount = 0;
    uint16_t stationId = 0xffff;  // differential reference station; 0xffff: not given
    int8_t quality = -1;          // GGA fix quality 0-8; -1: no GGA
    int8_t fixType = 0;           // GSA fix type 1 (none), 2 (2D), 3 (3D); 0: no GSA
    char rmcMode = 0;             // RMC's mode letter (A, D, F, R ...); 0: not sent
    uint8_t flags = 0;
    // GNS's mode letters, one per constellation (GPS, GLONASS, Galileo,
    // BeiDou, QZSS, NavIC ...), the rest 0.
    std::array<char, 8> gnsModes{};
    // Per constellation (Constellation's order): distinct satellites its
    // GSAs list, and distinct satellites in view. At most 255 each.
    std::array<uint8_t, kConstellationCount> used{};
    std::array<uint8_t, kConstellationCount> inView{};

    bool Has(Flag flag) const { return (flags & flag) != 0; }
    int UsedTotal() const;
    int InViewTotal() const;
};

// An epoch's satellites as SatellitesOf reads them: its run of the shared
// satellites, each with the epoch's own used flag in bit 12. Read by value.
class EpochSatellites {
public:
    EpochSatellites(const EpochSatellite* run, const uint8_t* used, size_t count)
        : m_Run(run), m_Used(used), m_Count(count)
    { }

    size_t size() const { return m_Count; }
    bool empty() const { return m_Count == 0; }
    EpochSatellite operator[](size_t k) const
    {
        EpochSatellite satellite = m_Run[k];
        satellite.key = uint16_t(satellite.key | ((m_Used[k >> 3] >> (k & 7)) & 1) << 12);
        return satellite;
    }

    class Iterator {
    public:
        using value_type = EpochSatellite;
        using difference_type = std::ptrdiff_t;

        Iterator() = default;
        Iterator(const EpochSatellites* satellites, size_t at) : m_Satellites(satellites), m_At(at) { }
        EpochSatellite operator*() const { return (*m_Satellites)[m_At]; }
        Iterator& operator++()
        {
            ++m_At;
            return *this;
        }
        Iterator operator++(int)
        {
            Iterator before = *this;
            ++m_At;
            return before;
        }
        bool operator==(const Iterator& other) const { return m_At == other.m_At; }

    private:
        const EpochSatellites* m_Satellites = nullptr;
        size_t m_At = 0;
    };
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, m_Count}; }

private:
    const EpochSatellite* m_Run;
    const uint8_t* m_Used;
    size_t m_Count;
};

// An epoch's C/N0 as Cn0Of reads them, in dB-Hz: per satellite of
// SatellitesOf its signals in the order of their bits; 0 where the
// satellite is in view but the signal not tracked. Read by value.
class EpochCn0 {
public:
    // differences: none when values holds the C/N0 themselves.
    EpochCn0(const uint8_t* values, const uint8_t* differences) : m_Values(values), m_Differences(differences) { }

    uint8_t operator[](size_t k) const
    {
        if (!m_Differences)
            return m_Values[k];
        const int nibble = (m_Differences[k >> 1] >> (4 * (k & 1))) & 0xf;
        return uint8_t(m_Values[k] + ((nibble ^ 8) - 8));
    }

private:
    const uint8_t* m_Values;
    const uint8_t* m_Differences;
};

// Epoch::firstCn0 with this bit: into EpochLog::cn0Differences.
inline constexpr uint32_t kCn0Differences = 0x80000000U;

struct EpochLog {
    std::vector<Epoch> epochs;
    // The runs of satellites, used flags and C/N0 the epochs point at, in
    // the order they were first read; an epoch shares the run of the last
    // epoch with satellites where its own would be the same bytes (its C/N0
    // as said above).
    std::vector<EpochSatellite> satellites;
    // Bit k % 8 of byte k / 8 of an epoch's run: whether it used its
    // satellite k.
    std::vector<uint8_t> used;
    // C/N0 in dB-Hz, per satellite its signals in the order of their bits;
    // 0 where the satellite is in view but the signal not tracked.
    std::vector<uint8_t> cn0;
    // C/N0 as differences: a run is where its full run begins in cn0 (four
    // bytes, the lowest first), then per value the difference from that
    // run's value, -8 to +7 in half a byte (the low half first).
    std::vector<uint8_t> cn0Differences;

    uint64_t sentences = 0;     // of the types read, taken
    uint64_t badChecksum = 0;   // "*hh" missing or wrong
    uint64_t notParsed = 0;     // a field not of its form
    uint64_t withoutTime = 0;   // taken into an epoch that never got a time, so dropped
    uint64_t linesTooLong = 0;  // unfinished lines dropped past kLongestLine

    EpochSatellites SatellitesOf(const Epoch& epoch) const
    {
        return {satellites.data() + epoch.firstSatellite, used.data() + epoch.firstUsed, epoch.satelliteCount};
    }
    EpochCn0 Cn0Of(const Epoch& epoch) const;
    // Bytes the records hold in memory: the five vectors' capacities, so
    // what each has reserved beyond its size counts too; a shared run
    // counts once.
    size_t RecordBytes() const;
};

class EpochReader {
public:
    // A line longer than this that has not ended is dropped.
    static constexpr size_t kLongestLine = 4096;

    // With starts, each epoch closed also appends there where it begins:
    // the offset, in the bytes fed since the reader was made, of the line
    // that opened it (the line whose time closed the epoch before; 0 for
    // the first, which also holds the untimed lines before its time).
    explicit EpochReader(EpochLog& log, std::vector<uint64_t>* starts = nullptr);
    ~EpochReader();
    EpochReader(const EpochReader&) = delete;
    EpochReader& operator=(const EpochReader&) = delete;

    // Reads the text's whole lines (ending in LF, CR or CR LF); the rest is
    // kept and read once its line ends in a later piece, or by Finish.
    void Feed(std::string_view text);
    // The end of the stream: the kept rest is read as a last line and the
    // open epoch closed. Feed may go on afterwards, as a new stream.
    void Finish();

    // Whether an epoch is open (sentences taken since the last one closed).
    bool Open() const;

private:
    struct State;
    std::unique_ptr<State> m_State;
};

// Cuts a whole text into epochs (Feed and Finish).
EpochLog ReadEpochs(std::string_view text);

}  // namespace orvane
