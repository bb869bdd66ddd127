// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The [commands] group of config.ini: named receiver commands offered as
// presets by the receiver console and the TTFF test, in the file's order.
//
//   [commands]
//   cold start=$PMTK103
//   ubx hot start=hex: B5 62 06 04 04 00 00 00 02 00 10 68
//
// The name is the key as written (first occurrence wins, names compared
// without regard to case), the value the command as typed in the console.
// Each key writes one "[Config] commands/NAME = TEXT" line; a file without
// the group offers no presets and writes nothing.

#include <QString>

#include <vector>

#include "Config.h"

namespace orvane {

struct CommandPreset {
    QString name;
    QString text;
};

struct CommandPresetsConfig {  // [commands]
    std::vector<CommandPreset> presets;
};

// Reads the group now; the record's presets are replaced. Returns whether
// any preset was read.
bool ReadConfig(CommandPresetsConfig& record, const ConfigLineSink& appendLine);

}  // namespace orvane
