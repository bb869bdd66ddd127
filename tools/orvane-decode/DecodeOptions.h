// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line of orvane-decode.

#include <string>

#include "decoder/Tables.h"

namespace orvane {

struct DecodeOptions {
    int talkerRow = 0;  // GP
    int messageRow = kRmcRow;
    bool satellites = false;
    bool summary = false;  // print the fix summary instead of the lines
    bool sky = false;      // print the satellites in view instead of the lines
    std::string path;      // empty or "-": standard input
    // Track export instead of the lines; "-": standard output.
    std::string gpxPath;
    std::string geoJsonPath;
};

enum class OptionsResult { Run, Help, Error };

// Reads argv into options. On Error, message says what was wrong.
OptionsResult ParseDecodeOptions(int argc, char** argv, DecodeOptions& options, std::string& message);

extern const char* const kDecodeUsage;

}  // namespace orvane
