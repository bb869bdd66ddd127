// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The state the dispatcher reads and writes. The main window owns one; the
// batch decoder owns another.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "decoder/FixSummary.h"
#include "decoder/GsvPass.h"
#include "decoder/Records.h"
#include "decoder/Tables.h"
#include "replay/LogText.h"

namespace orvane {

inline constexpr double kStartLatitude = 37.5554652;
inline constexpr double kStartLongitude = 126.9715542;
inline constexpr int32_t kSliderMaximum = 10000;

struct DispatchState {
    // The text the decoder searches: the whole loaded log in replay, the
    // live data of one tick in online mode. One character per byte.
    std::string NmeaText;
    int32_t NmeaTextLength = 0;  // as last recorded by a load or a live append
    // A log loaded from a file, mapped or copied, read in place of
    // NmeaText while it holds text. Whoever fills NmeaText clears it.
    LoadedLog Log;
    // The text the decoder reads.
    std::string_view Text() const { return Log.Empty() ? std::string_view(NmeaText) : Log.View(); }

    std::string m_Line;  // the line being built, its memory kept from sentence to sentence

    int32_t m_ParsePosition = 0;  // where the next search starts; -1: nothing further
    int32_t m_TalkerRow = kNoTalker;
    bool m_Online = false;
    bool m_Loaded = false;
    bool m_Running = false;
    bool m_MapEnabled = false;
    bool m_SignalsShown = false;
    int32_t m_SliderValue = 0;  // 0 to 10000

    // The last position passed on: signed degrees, north and east positive.
    double m_Latitude = kStartLatitude;
    double m_Longitude = kStartLongitude;
    double m_Heading = 0.0;

    SatelliteTable m_SatelliteTable;

    // In online mode the GSV pass of a call that goes on where the previous
    // call stopped resumes from what the previous passes found.
    GsvProgress m_GsvProgress;
    std::optional<int32_t> m_GsvResumeAt;  // where such a call starts; none when no call may resume

    // The fix summary reads, while on, every sentence of the stretch each
    // call consumes, whatever talker and type the call decodes. Online it
    // reads each stretch at once, before the tick's text goes. Offline the
    // log stays put, so a call only notes its stretch (m_SummaryPending, in
    // the text that starts at m_SummaryPendingText; a stretch that follows
    // the last one extends it) and CatchUpFixSummary reads them in order
    // when the summary is wanted: a replay tick or a seek costs what it
    // cost without the summary.
    FixSummary m_FixSummary;
    bool m_FixSummaryOn = true;
    const char* m_SummaryPendingText = nullptr;
    std::vector<std::pair<size_t, size_t>> m_SummaryPending;  // [begin, end) each
};

}  // namespace orvane
