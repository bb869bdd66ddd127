// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One function per sentence type the receiver writes each epoch. Each
// appends one whole sentence (GSV: the whole set for its talker) to out.

#include <string>
#include <vector>

#include "Constellations.h"
#include "Dops.h"
#include "Fix.h"

namespace orvane::loggen {

using SatelliteList = std::vector<const Satellite*>;

// Recommended minimum data: time, position, speed, course, date.
void AppendRmc(std::string& out, const char* address, const Fix& fix);

// Course and speed over ground, in knots and km/h.
void AppendVtg(std::string& out, const Fix& fix);

// Fix data: time, position, satellites used, HDOP, altitude, separation.
void AppendGga(std::string& out, const char* address, const Fix& fix);

// The satellites of one talker used in the solution (twelve slots) and the
// DOPs of the whole solution.
void AppendGsa(std::string& out, const char* address, const SatelliteList& used, const Dops& dops);

// Satellites in view of one talker, four to a sentence; an empty sky still
// gets one sentence.
void AppendGsv(std::string& out, const char* address, const SatelliteList& inView);

// Position and time.
void AppendGll(std::string& out, const Fix& fix);

// Time and date with the year in full.
void AppendZda(std::string& out, const Fix& fix);

}  // namespace orvane::loggen
