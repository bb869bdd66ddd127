// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The frame of an NMEA 0183 sentence: "$", the body, "*", the checksum in
// two uppercase hex digits, CR LF.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvane::loggen {

// Appends "$" + body + "*" + two uppercase hex checksum digits + CR LF.
void AppendSentence(std::string& out, std::string_view body);

// A sentence built in place: BeginSentence writes "$" and the address and
// returns where the sentence starts; the caller appends each field with its
// leading comma; FinishSentence closes it with the checksum and CR LF.
size_t BeginSentence(std::string& out, const char* address);
void FinishSentence(std::string& out, size_t start);

}  // namespace orvane::loggen
