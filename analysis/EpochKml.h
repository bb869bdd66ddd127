// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An epoch log's track as KML 2.2 for Google Earth and other globes: one
// line style per kind of fix, and the track cut into LineString placemarks
// where the fix kind changes, so the colour shows the fix along the way.
// Standard C++ only.

#include <cstddef>
#include <string>
#include <string_view>

#include "ReceiverStats.h"

namespace orvane {

// The fix kinds the track is coloured by: GGA's quality, else GSA's fix
// type (ClassOf); 2D and 3D fixes are both "GPS", manual and simulated
// positions "other".
enum class TrackFixKind : uint8_t { None, Gps, Dgps, RtkFloat, RtkFixed, DeadReckoning, Other };
inline constexpr int kTrackFixKindCount = 7;
TrackFixKind TrackKindOf(const Epoch& epoch);
// The style's id: "none", "gps", "dgps", "rtk_float", "rtk_fixed",
// "dead_reckoning", "other".
const char* TrackKindId(TrackFixKind kind);

// A KML document named name with the positions of epochs [first, end) that
// pass filter: one Placemark per run of epochs of one fix kind, each run
// after the first starting at the last point of the run before, so the
// line has no breaks. Coordinates are "lon,lat,height", degrees with 9
// decimals and metres above mean sea level with 3, altitude mode absolute;
// where an epoch of the track lacks a height, every point is "lon,lat" and
// clamped to the ground. No such epochs: a document with the styles only.
std::string EpochsKml(const EpochLog& log, size_t first, size_t end, FixFilter filter, std::string_view name);

}  // namespace orvane
