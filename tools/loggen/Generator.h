// orvane-loggen: a deterministic simulator of a moving multi-constellation
// GNSS receiver that writes its NMEA 0183 output, one epoch per second.
//
// The simulation is driven only by the seed: a vehicle drives through Seoul
// (stops at lights, turns at junctions, cruises at 0-80 km/h) while GPS, QZSS,
// SBAS, GLONASS and Galileo satellites move on their orbits. The same seed
// always yields the same bytes; no clock, locale or random device is used.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace orvane::loggen {

inline constexpr std::uint64_t kDefaultSeed = 11;

// XOR of every byte of the sentence body (the text between "$" and "*").
std::uint8_t NmeaChecksum(std::string_view body);

// Appends "$" + body + "*" + two uppercase hex checksum digits + CR LF.
void AppendSentence(std::string& out, std::string_view body);

class Generator {
public:
    explicit Generator(std::uint64_t seed = kDefaultSeed);
    ~Generator();
    Generator(const Generator&) = delete;
    Generator& operator=(const Generator&) = delete;

    // Appends the sentences of the next epoch to `out` and advances the
    // simulation by one second. Nothing already in `out` is touched.
    void AppendEpoch(std::string& out);

    // Number of epochs appended so far.
    std::uint64_t EpochCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_Impl;
};

} // namespace orvane::loggen
