// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The records the sentence parsers fill. Every parser clears its record
// before reading fields, so a field that is empty or not reached stays 0.
// Coordinates are unsigned decimal degrees; the hemisphere letter carries
// the sign and is applied by the consumer.

#include <array>
#include <cstdint>

namespace orvane {

// Laid out like the Win32 SYSTEMTIME, but the last field holds hundredths
// of a second. No parser sets dayOfWeek.
struct NmeaDateTime {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t dayOfWeek = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t hundredths = 0;
};

struct GgaRecord {
    NmeaDateTime dateTime;  // time of day only
    double latitude = 0;
    char16_t latHemisphere = 0;
    double longitude = 0;
    char16_t lonHemisphere = 0;
    int32_t fixQuality = 0;
    uint16_t satelliteCount = 0;
    double hdop = 0;
    double altitude = 0;
    char16_t altitudeUnit = 0;
};

struct GllRecord {
    double latitude = 0;
    char16_t latHemisphere = 0;
    double longitude = 0;
    char16_t lonHemisphere = 0;
    NmeaDateTime dateTime;  // time of day only
};

struct GsaRecord {
    char16_t selectionMode = 0;
    int32_t fixType = 0;
    std::array<int32_t, 12> prn{};
    double pdop = 0;
    double hdop = 0;
    double vdop = 0;
};

struct GsvSatellite {
    int32_t prn = 0;
    int32_t elevation = 0;
    int32_t azimuth = 0;
    int32_t snr = 0;

    friend bool operator==(const GsvSatellite&, const GsvSatellite&) = default;
};

inline constexpr int kGsvMaxSatellites = 30;

// The signal ID of a sentence that carries none (receivers before NMEA 4.10).
inline constexpr int32_t kNoGsvSignal = -1;

struct GsvList {
    std::array<GsvSatellite, kGsvMaxSatellites> entries{};
    int32_t count = 0;
    // The signal ID that NMEA 4.10 and later write after the last satellite
    // (one hexadecimal digit, 0 to 15), or kNoGsvSignal. Read as the field
    // stands: in a sentence that lost its "*" and ran on into the next one
    // it comes from that next one.
    int32_t signal = kNoGsvSignal;
};

struct RmcRecord {
    NmeaDateTime dateTime;
    char16_t status = 0;
    double latitude = 0;
    char16_t latHemisphere = 0;
    double longitude = 0;
    char16_t lonHemisphere = 0;
    double speedKmh = 0;
    double course = 0;
};

struct VtgRecord {
    double courseTrue = 0;
    char16_t courseTrueRef = 0;
    char16_t courseMagneticRef = 0;
    double speedKnots = 0;
    char16_t speedKnotsUnit = 0;
    double speedKmh = 0;
    char16_t speedKmhUnit = 0;
};

using ZdaRecord = NmeaDateTime;

inline constexpr int kSatelliteRows = 8;  // one per talker row

// Per talker row, the satellites reported so far. Within a row the used
// slots (prn not 0) form an unbroken run from slot 0.
struct SatelliteTable {
    using Row = std::array<GsvSatellite, kGsvMaxSatellites>;
    std::array<Row, kSatelliteRows> entries{};
    std::array<std::array<int32_t, kGsvMaxSatellites>, kSatelliteRows> seen{};

    friend bool operator==(const SatelliteTable&, const SatelliteTable&) = default;
};

}  // namespace orvane
