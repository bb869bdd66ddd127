// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// orvane-loggen: a deterministic simulator of a moving multi-constellation
// GNSS receiver that writes its NMEA 0183 output, one epoch per second.
//
// The simulation is driven only by the seed: a vehicle drives through Seoul
// (stops at lights, turns at junctions, cruises at 0-80 km/h) while GPS, QZSS,
// SBAS, GLONASS and Galileo satellites, and in the 4.11 output BeiDou, move
// on their orbits. The same seed and output always yield the same bytes; no
// clock, locale or random device is used. Both outputs of a seed describe
// the same drive, positions, speeds and courses alike.

#include <cstdint>
#include <memory>
#include <string>

#include "NmeaVersion.h"
#include "Scenario.h"
#include "SentenceFrame.h"

namespace orvane::loggen {

inline constexpr uint64_t kDefaultSeed = 11;

class Generator {
public:
    explicit Generator(uint64_t seed = kDefaultSeed, NmeaVersion version = NmeaVersion::V4_0,
        const Scenario& scenario = {});
    ~Generator();
    Generator(const Generator&) = delete;
    Generator& operator=(const Generator&) = delete;

    // Appends the sentences of the next epoch to out and advances the
    // simulation by one second. Nothing already in out is touched.
    void AppendEpoch(std::string& out);

    // Number of epochs appended so far.
    uint64_t EpochCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_Impl;
};

}  // namespace orvane::loggen
