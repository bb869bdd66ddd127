// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A track as a file for other tools: GPX 1.1 for mapping programs and
// GeoJSON (RFC 7946) for scripts and GIS. Standard C++ only.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "TrackCollect.h"

namespace orvane {

// A new segment begins where more than this passes between two points,
// forwards or backwards.
inline constexpr int64_t kSegmentGapHundredths = 1000;

// The index of the first point of each segment (none for no points).
// Where either point lacks a full time their times of day are compared
// across midnight; a point without any time stays in the segment.
std::vector<size_t> SegmentStarts(const std::vector<TrackPoint>& points);

// A GPX 1.1 document: one track named name with one trkseg per segment,
// each point with its elevation and time where known. No points: a gpx
// element without a track.
std::string TrackToGpx(const std::vector<TrackPoint>& points, std::string_view name);

// A FeatureCollection with one Feature per segment: a LineString (a Point
// for a segment of one point) of [longitude, latitude(, elevation)], with
// the properties name, segment (from 0) and times (ISO 8601 UTC, null
// where unknown).
std::string TrackToGeoJson(const std::vector<TrackPoint>& points, std::string_view name);

// "2026-03-14T23:58:00Z", with hundredths when they are not 0.
std::string IsoTime(int64_t hundredthsSince1970);

}  // namespace orvane
