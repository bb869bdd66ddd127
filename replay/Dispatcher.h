// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The dispatcher: takes the next sentence of the chosen talker and type out
// of the NMEA text, runs its parser, shows one line per sentence and passes
// positions on to the map, the upload and the satellites window.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "DecodeCursor.h"
#include "DispatchHooks.h"
#include "decoder/FixSummary.h"

namespace orvane {

inline constexpr int32_t kSliderMaximum = 10000;

// What a call does besides finding and showing, as its caller's state has it.
struct DispatchOptions {
    bool m_Online = false;        // a live tick: every sentence; else a replay tick: one
    bool m_Loaded = false;        // a log is loaded; a replay call without one is refused
    bool m_MapEnabled = false;    // usable positions move the map
    bool m_SignalsShown = false;  // the GSV pass fills the satellite table and the window
    // Reads every stretch a call consumes, whatever talker and type it
    // decodes: online at once, before the tick's text goes; offline when
    // caught up. None: no summary.
    FixSummary* m_FixSummary = nullptr;
};

// What a call leaves behind.
struct DispatchResult {
    bool more = false;        // m_ParsePosition is above 0: more may follow
    bool parseError = false;  // it ended at a sentence that does not parse, which stops a replay
    explicit operator bool() const { return more; }
};

// In replay (m_Online false) handles at most one sentence of text and moves
// the slider; online handles every matching sentence from m_ParsePosition
// until none is left or one fails.
DispatchResult DispatchSentences(std::string_view text, DecodeCursor& cursor, const DispatchOptions& options,
    DispatchHooks& hooks);

// Brings the summary up to date with every stretch of text the cursor's
// calls noted; call it before reading the summary and before the text is
// replaced. A range in a text at another address, or past the text's end,
// is dropped rather than read.
const FixSummary& CatchUpFixSummary(std::string_view text, DecodeCursor& cursor, FixSummary& summary);

// Empties the summary and forgets what was still to be read.
void ResetFixSummary(DecodeCursor& cursor, FixSummary& summary);

// The slider's share of a text of length at a parse position, truncated
// toward zero; kSliderMaximum past the end.
int32_t SliderValueOf(int32_t position, size_t length);

// The parser case of a message row: the row itself for a decoded row
// (GGA, GLL, GSA, RMC, VTG, ZDA), -1 for every other row.
int DecodedMessageRow(int messageRow);

}  // namespace orvane
