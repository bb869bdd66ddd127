// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fix summary and its satellites as text, one line per field, for
// scripts that compare two receivers' logs (orvane-decode --summary, --sky).
// The form is fixed; README.md documents it.

#include <string>

#include "FixSummary.h"

namespace orvane {

// "key=value" lines in a fixed order; "-" for a value not yet known. Each
// constellation with a satellite used or in view adds "gps.used" and
// "gps.in_view", and
// each talker with any sentence its "GP.decoded", "GP.bad_checksum" and
// "GP.parse_errors".
std::string SummaryText(const FixSummary& summary);

// "SKY,<talker>,<prn>,<elevation>,<azimuth>,<snr>,<used 1/0>,<signal ID>"
// per satellite in view and signal, in constellation order and then in the
// order reported; the signal ID is empty where the receiver gave none.
std::string SkyText(const FixSummary& summary);

}  // namespace orvane
