// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The GSV pass: merges the satellites-in-view sentences of all eight talkers
// in a stretch of text into the satellite table.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "Records.h"

namespace orvane {

using LineSink = std::function<void(std::string_view line)>;

// Signal IDs as the GSV pass counts them: 0 for a sentence without one,
// 1 + the ID (0 to 15) otherwise.
inline constexpr int kGsvSignalKinds = 17;

// Scans text from start, once per talker row, for GSV sentences and merges
// them into table. With a bound, a sentence whose end lies at or past the
// bound ends the scan of its row. A satellite keeps its slot for good; a
// slot not reported in this pass keeps its prn with zero values. A sentence
// that does not parse is reported through appendLine and ends its row.
//
// A receiver of NMEA 4.10 or later sends one GSV set per constellation and
// signal, each sentence with the signal ID after its last satellite, and
// sends the set of the main signal (L1 C/A, G1, E1, B1I) first. So that a
// bar shows a satellite's first signal and a later set (L2, E5b), where
// many satellites have no SNR, does not overwrite it, the signals of a row
// rank in each pass in the order in which the row's sentences first bring
// them, and a report of a satellite goes into its slot unless a report of
// an earlier-ranked signal has already gone there in this pass; among
// reports of one signal the last wins, as before. A satellite that only a
// later signal reports still takes its slot, or a free one. Sentences
// without a signal ID all count as one signal, so for them every report
// goes into its slot, the last one winning.
void AccumulateGsv(std::string_view text, int32_t start, std::optional<int32_t> bound, SatelliteTable& table,
    const LineSink& appendLine);

// What the unbounded passes over one text have found, kept from pass to pass
// so that a pass from a later start need not search again what an earlier
// one searched. Only AccumulateGsvResuming reads and writes the members.
struct GsvProgress {
    // One talker row: the sentences a pass found from its start up to the
    // first that does not parse, or up to the end of the text.
    struct Row {
        bool failed = false;     // the stretch ends at a sentence that does not parse
        int32_t failedAt = 0;    // its "$"; for one without "*", the last position of the text
        int32_t failedCode = 0;  // what ParseGsv returned for it
        // Per signal (as counted by kGsvSignalKinds) and slot, the "$" of
        // the last sentence of that signal that reported a satellite of the
        // slot's prn (-1: none), and that satellite, whether or not the
        // pass put it into the slot: a pass from a later start ranks the
        // signals afresh. One signal's slots lie together, as a pass from
        // a later start mostly reads those of one signal.
        std::array<std::array<int32_t, kGsvMaxSatellites>, kGsvSignalKinds> lastAt{};
        std::array<std::array<GsvSatellite, kGsvMaxSatellites>, kGsvSignalKinds> last{};
        // The same for the last satellite with prn 0, of any signal (it
        // lands in the first free slot, whichever that is when it is merged).
        int32_t zeroAt = -1;
        GsvSatellite zero;
        // The signals of the sentences merged, in order, each run of
        // sentences of one signal as the "$" of its last sentence.
        struct Run {
            int32_t lastAt = 0;
            int32_t signal = 0;
        };
        std::vector<Run> runs;
        // The first run that reaches the start of the latest pass that read
        // these notes: a later pass starts no earlier, so it looks on from there.
        size_t firstRun = 0;
        // Per signal, the "$" of its last sentence merged (-1: none).
        std::array<int32_t, kGsvSignalKinds> signalLastAt{};
    };

    bool valid = false;
    const char* textData = nullptr;  // the text the rows describe, compared, never read
    size_t textSize = 0;
    int32_t start = 0;                                        // the start of the latest pass
    std::array<SatelliteTable::Row, kSatelliteRows> after{};  // the slots as the latest pass left them
    std::array<Row, kSatelliteRows> rows{};
    // Bytes the passes with this progress have searched, summed over the
    // rows; Reset keeps the count.
    int64_t searchedBytes = 0;

    // Forgets what was found: the next pass searches everything.
    void Reset()
    {
        const int64_t searched = searchedBytes;
        *this = GsvProgress();
        searchedBytes = searched;
    }
};

// The unbounded pass, AccumulateGsv(text, start, std::nullopt, table,
// appendLine), with the same lines and the same table, but remembering in
// progress what it found. A later pass over the same text resumes from it
// when its start is not below the latest start and lies just after a "*" (or
// equals the latest start, or the end of the text), and the table's slots
// are as the latest pass left them: from such a start the sentences found
// are exactly the earlier ones whose "$" lies at or after it, so a row whose
// stretch reaches the start is merged again from the notes alone, and only
// a row whose stretch ended before the start is searched, from the start
// on. Otherwise the pass searches everything as the plain pass does. The
// text must not change while progress describes it: Reset progress when it
// may have.
void AccumulateGsvResuming(std::string_view text, int32_t start, SatelliteTable& table, const LineSink& appendLine,
    GsvProgress& progress);

// Sets every slot and seen flag of the table to zero.
void ClearSatelliteTable(SatelliteTable& table);

}  // namespace orvane
