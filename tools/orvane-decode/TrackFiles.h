#pragma once
// The track files of orvane-decode: --gpx and --geojson.

#include <string_view>

#include "DecodeOptions.h"

namespace orvane {

// Writes the track of text to the files the options name. Returns the exit
// status: 0 written, 1 a file could not be written (a message went to
// standard error and no partial file is left).
int WriteTrackFiles(const DecodeOptions& options, std::string_view text);

}  // namespace orvane
