// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The checksum of an NMEA 0183 sentence, for those who write sentences:
// the generator, the commands to a receiver, the GGA sent to a caster.

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

// The exclusive-or of every byte of the body (between "$" and "*").
uint8_t SentenceChecksum(std::string_view body);

// Appends "*" and the body's checksum as two upper-case hex digits.
void AppendChecksum(std::string& out, std::string_view body);

}  // namespace orvane
