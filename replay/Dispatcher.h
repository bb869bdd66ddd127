// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The dispatcher: takes the next sentence of the chosen talker and type out
// of the NMEA text, runs its parser, shows one line per sentence and passes
// positions on to the map, the upload and the satellites window.

#include "DispatchHooks.h"
#include "DispatchState.h"

namespace orvane {

// In replay (state.m_Online false) handles at most one sentence and moves
// the slider; in online mode handles every matching sentence from
// m_ParsePosition until none is left or one fails. Returns true when
// m_ParsePosition is above 0 afterwards, that is when more may follow.
bool DispatchSentences(DispatchState& state, DispatchHooks& hooks);

// Brings the fix summary up to date with every stretch consumed so far;
// call it before reading the summary and before the text is replaced. A
// range in a text at another address, or past the text's end, is dropped
// rather than read.
const FixSummary& CatchUpFixSummary(DispatchState& state);

// Empties the fix summary and forgets what was still to be read.
void ResetFixSummary(DispatchState& state);

// The parser case of a message row: the row itself for a decoded row
// (GGA, GLL, GSA, RMC, VTG, ZDA), -1 for every other row.
int DecodedMessageRow(int messageRow);

}  // namespace orvane
