// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The GSV pass: merges the satellites-in-view sentences of all eight talkers
// in a stretch of text into the satellite table.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "Records.h"

namespace orvane {

using LineSink = std::function<void(std::string_view line)>;

// Scans text from start, once per talker row, for GSV sentences and merges
// them into table. With a bound, a sentence whose end lies at or past the
// bound ends the scan of its row. A satellite keeps its slot for good; a
// slot not reported in this pass keeps its prn with zero values. A sentence
// that does not parse is reported through appendLine and ends its row.
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
        // Per slot, the "$" of the last sentence whose satellite of the
        // slot's prn was merged into it (-1: none), and that satellite.
        std::array<int32_t, kGsvMaxSatellites> lastAt{};
        std::array<GsvSatellite, kGsvMaxSatellites> last{};
        // The same for the last satellite with prn 0 (it lands in the first
        // free slot, whichever that is when it is merged).
        int32_t zeroAt = -1;
        GsvSatellite zero;
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
