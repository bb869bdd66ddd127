// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How config.ini is read, the same for every group: one value per line,
// taken whole, no continuation lines, no inline comments (a ';' belongs to
// the value, as in a URL), and lines up to 1 MiB read whole (text values
// are cut by their readers).

#include <QString>

namespace orvane {

// Called for every key of the file; name and value may be null (a section
// heading). Returns nonzero to go on.
using IniLineHandler = int (*)(void* user, const char* section, const char* name, const char* value);

// Hands every key of the file at path to handler; a missing file has none.
void ParseIniFile(const QString& path, IniLineHandler handler, void* user);

}  // namespace orvane
