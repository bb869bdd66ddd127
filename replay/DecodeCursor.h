// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a decoder stands in its text, and what its dispatcher calls carry
// from one to the next. Whoever decodes owns one: the replay engine for the
// loaded log, the window for its live ticks, orvane-decode for its input.
// The text itself stays with its owner and goes to every call.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "decoder/GsvPass.h"
#include "decoder/Records.h"
#include "decoder/Tables.h"

namespace orvane {

inline constexpr double kStartLatitude = 37.5554652;
inline constexpr double kStartLongitude = 126.9715542;

struct DecodeCursor {
    int32_t m_ParsePosition = 0;  // where the next search starts; -1: nothing further
    int32_t m_TalkerRow = kNoTalker;
    std::string m_Line;  // the line being built, its memory kept from sentence to sentence

    // The last position passed on: signed degrees, north and east positive.
    double m_Latitude = kStartLatitude;
    double m_Longitude = kStartLongitude;
    double m_Heading = 0.0;

    SatelliteTable m_SatelliteTable;

    // Online the GSV pass of a call that goes on where the previous call
    // stopped resumes from what the previous passes found.
    GsvProgress m_GsvProgress;
    std::optional<int32_t> m_GsvResumeAt;  // where such a call starts; none when no call may resume

    // Offline the text stays put, so a call only notes the stretch it
    // consumed for the fix summary (in the text that starts at
    // m_SummaryPendingText; a stretch that follows the last one extends it)
    // and CatchUpFixSummary reads them in order when the summary is wanted:
    // a replay tick or a seek costs what it cost without the summary.
    const char* m_SummaryPendingText = nullptr;
    std::vector<std::pair<size_t, size_t>> m_SummaryPending;  // [begin, end) each
};

}  // namespace orvane
