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

// The navigational status the 4.11 output ends RMC and GNS with: "V", not
// valid, as the receiver has no integrity monitoring to judge the solution
// safe ("S"), to be used with caution ("C") or unsafe ("U").
inline constexpr char kNavStatus = 'V';

// Recommended minimum data: time, position, speed, course, date, the mode;
// with navStatus (4.11) the navigational status after it.
void AppendRmc(std::string& out, const char* address, const Fix& fix, char navStatus = 0);

// Course and speed over ground, in knots and km/h.
void AppendVtg(std::string& out, const char* address, const Fix& fix);

// Fix data: time, position, satellites used, HDOP, altitude, separation.
void AppendGga(std::string& out, const char* address, const Fix& fix);

// Fix data of a multi-constellation receiver: time, position, one mode
// letter per constellation (GPS, GLONASS, Galileo, BeiDou, QZSS: "A" if
// any of its satellites is used, else "N"), all the satellites used,
// HDOP, altitude, separation and the navigational status.
void AppendGns(std::string& out, const Fix& fix, const GroupLists& used);

// Position error statistics: residual RMS, the error ellipse (semi-major and
// semi-minor axis in m, orientation of the major axis in degrees from true
// north) and the one-sigma errors of latitude, longitude and altitude.
void AppendGst(std::string& out, const Fix& fix);

// The satellites of one talker used in the solution (twelve slots) and the
// DOPs of the whole solution; a systemId above 0 (4.11) is written after
// the DOPs.
void AppendGsa(std::string& out, const char* address, const SatelliteList& used, const Dops& dops, int systemId = 0);

// Satellites in view of one talker, four to a sentence; an empty sky still
// gets one sentence. The SNR is that of the satellites' signal k (as in
// kSignalIds); a signalId (4.11) is written after the satellites.
void AppendGsv(std::string& out, const char* address, const SatelliteList& inView, int signal = 0, char signalId = 0);

// Position and time.
void AppendGll(std::string& out, const Fix& fix);

// Time and date with the year in full.
void AppendZda(std::string& out, const char* address, const Fix& fix);

}  // namespace orvane::loggen
