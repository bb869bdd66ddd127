// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fix summary and its satellites as text, one line per field, for
// scripts that compare two receivers' logs (orvane-decode --summary, --sky).
// The form is fixed; README.md documents it.

#include <string>

#include "FixSummary.h"

namespace orvane {

// "key=value" lines in a fixed order; "-" for a value not yet known. Each
// talker with any sentence adds its own "GP.key=value" lines.
std::string SummaryText(const FixSummary& summary);

// "SKY,<talker>,<prn>,<elevation>,<azimuth>,<snr>,<used 1/0>" per satellite
// in view, in talker order and then in the order reported.
std::string SkyText(const FixSummary& summary);

}  // namespace orvane
