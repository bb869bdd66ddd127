// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The track files of orvane-decode: --gpx and --geojson.

#include <string>
#include <string_view>

#include "DecodeOptions.h"

namespace orvane {

// False, with a message, when a track file named in options is the very file
// the log is read from (the same device and inode, whatever the path): the
// export would replace the log.
bool TrackFilesSpareInput(const DecodeOptions& options, std::string& message);

// Writes the track of text to the files the options name. Returns the exit
// status: 0 written, 1 a file could not be written (a message went to
// standard error and no partial file is left).
int WriteTrackFiles(const DecodeOptions& options, std::string_view text);

}  // namespace orvane
