// SPDX-License-Identifier: GPL-3.0-or-later
#include "GsvPass.h"

#include <algorithm>

#include "FindSentence.h"
#include "Parsers.h"
#include "Tables.h"
#include "TextFormat.h"

namespace orvane {

namespace {

using SeenRow = std::array<int32_t, kGsvMaxSatellites>;

static_assert(kNoGsvSignal == -1, "a sentence without a signal ID counts as signal 0");

// The sentence's signal as counted by kGsvSignalKinds. A sentence that lost
// its "*" runs on across a line end or into the next sentence up to a later
// "*": the last field before that belongs to another sentence and names no
// signal of this one, so a log without signal IDs merges as it always has.
int SignalOf(const GsvList& list, std::string_view sentence)
{
    if (list.signal == kNoGsvSignal || sentence.find('\n') != std::string_view::npos ||
        sentence.find('\r') != std::string_view::npos || sentence.find('$', 1) != std::string_view::npos)
        return 0;
    return 1 + list.signal;
}

// Higher than any rank a signal gets (0 to 16): the rank of none.
constexpr int8_t kUnranked = kGsvSignalKinds;

// One row's signals in one pass, ranked in the order in which the row's
// sentences first bring them, and per slot the rank of the signal whose
// report went into it in this pass (kUnranked: none yet).
struct RowRanks {
    std::array<int8_t, kGsvSignalKinds> ofSignal;
    std::array<int8_t, kGsvMaxSatellites> ofSlot;
    int8_t next = 0;

    RowRanks()
    {
        ofSignal.fill(kUnranked);
        ofSlot.fill(kUnranked);
    }

    int8_t Of(int signal)
    {
        int8_t& rank = ofSignal[size_t(signal)];
        if (rank == kUnranked)
            rank = next++;
        return rank;
    }
};

// Each satellite of the list, from a sentence of the given signal, goes to
// the slot of its prn or else to the first free slot, and into it when the
// slot is free or holds no report of an earlier-ranked signal from this
// pass. With notes, also records each report for the slot of its prn, with
// the sentence's "$" at the given position, whether or not it went into
// the slot.
void Merge(const GsvList& list, int32_t count, int signal, SatelliteTable::Row& row, SeenRow& seen, RowRanks& ranks,
    GsvProgress::Row* notes = nullptr, int32_t at = 0)
{
    const int8_t rank = ranks.Of(signal);
    for (int32_t e = 0; e < count; ++e) {
        const GsvSatellite& satellite = list.entries[size_t(e)];
        if (notes && satellite.prn == 0) {
            notes->zeroAt = at;
            notes->zero = satellite;
        }
        for (int i = 0; i < kGsvMaxSatellites; ++i) {
            if (row[i].prn == satellite.prn || row[i].prn == 0) {
                if (notes && satellite.prn != 0) {
                    notes->lastAt[size_t(signal)][size_t(i)] = at;
                    notes->last[size_t(signal)][size_t(i)] = satellite;
                }
                if (row[i].prn == 0 || rank <= ranks.ofSlot[size_t(i)]) {
                    row[i] = satellite;
                    seen[i] = 1;
                    ranks.ofSlot[size_t(i)] = rank;
                }
                break;
            }
        }
        // A row whose 30 slots hold other satellites drops this one.
    }
}

// Leaves the used slots that this pass merged nothing into with their prn
// and zero values.
void ClearUnseen(SatelliteTable& table)
{
    for (int talker = 0; talker < kSatelliteRows; ++talker) {
        auto& row = table.entries[size_t(talker)];
        for (int i = 0; i < kGsvMaxSatellites && row[i].prn != 0; ++i) {
            if (table.seen[size_t(talker)][i] != 1)
                row[i] = GsvSatellite{row[i].prn, 0, 0, 0};
        }
    }
}

// Notes the signal of a merged sentence whose "$" lies at the given position.
void NoteSignal(GsvProgress::Row& notes, int signal, int32_t at)
{
    if (notes.runs.empty() || notes.runs.back().signal != signal)
        notes.runs.push_back({at, signal});
    else
        notes.runs.back().lastAt = at;
    notes.signalLastAt[size_t(signal)] = at;
}

// The search of one talker row from start, as every pass makes it: each
// sentence found is merged into the row, and one that does not parse puts
// out its error line and ends the search. With a bound, the search ends
// before the first sentence whose following position reaches it; cut says
// that the text given ends at bound - 1, short of the whole text. With
// notes, it writes the notes of what it finds. Returns the bytes it
// searched.
int64_t SearchRow(std::string_view text, int32_t start, int talker, SatelliteTable& table, const LineSink& appendLine,
    GsvProgress::Row* notes, std::optional<int32_t> bound = std::nullopt, bool cut = false)
{
    const auto length = int32_t(std::min(text.size(), size_t(kMaxTextLength)));
    if (notes) {
        *notes = GsvProgress::Row{};
        for (auto& signal : notes->lastAt)
            signal.fill(-1);
        notes->signalLastAt.fill(-1);
    }
    RowRanks ranks;
    int32_t position = start;
    for (;;) {
        std::string_view sentence;
        const int32_t next = FindSentence(text, position, talker, kGsvRow, sentence);
        // A negative start finds nothing without a search.
        if (next < 1)
            return start < 0 ? 0 : std::max(length - start, 0);
        if (cut && sentence.empty())
            return next - start;  // its "*" lies at or past the bound, or nowhere
        if (bound && next >= *bound)
            return next - start;
        // A sentence without "*" runs to the end of the text: no later start
        // that follows a "*" lies past its "$", so the last position stands
        // for it.
        const int32_t at = sentence.empty() ? length - 1 : int32_t(sentence.data() - text.data());
        GsvList list;
        const int32_t count = ParseGsv(sentence, list);
        if (count < 0) {
            if (notes) {
                notes->failed = true;
                notes->failedAt = at;
                notes->failedCode = count;
            }
            appendLine(ErrorLine("GSV", count));
            return next - start;
        }
        const int signal = SignalOf(list, sentence);
        Merge(list, count, signal, table.entries[size_t(talker)], table.seen[size_t(talker)], ranks, notes, at);
        if (notes)
            NoteSignal(*notes, signal, at);
        position = next;
    }
}

// Merges again the noted sentences whose "$" lies at or after start into a
// row that holds the result of merging them before. The signals rank as a
// pass from start ranks them: in the order of the runs from the first that
// reaches start, whose sentences from start on are the first. Each
// satellite goes to the slot it went to then: its prn's slot, which no slot
// before it can take now either; a satellite dropped then is dropped again,
// since slots only ever fill; one with prn 0 goes to the row's first free
// slot, which merging these sentences again cannot move, and since a free
// slot takes every report, the last of them, of any signal, stays there.
// So each slot ends with the last report from start on of the best-ranked
// signal that reported its satellite from start on, and nothing else
// changes.
void MergeAgain(GsvProgress::Row& notes, int32_t start, SatelliteTable::Row& row, SeenRow& seen)
{
    int present = 0;  // the signals with a sentence from start on
    for (const int32_t at : notes.signalLastAt)
        present += at >= start;
    std::array<int, kGsvSignalKinds> order{};  // those signals by rank
    std::array<bool, kGsvSignalKinds> ranked{};
    int count = 0;
    while (notes.firstRun < notes.runs.size() && notes.runs[notes.firstRun].lastAt < start)
        ++notes.firstRun;
    for (size_t run = notes.firstRun; count < present && run < notes.runs.size(); ++run) {
        const int signal = notes.runs[run].signal;
        if (!ranked[size_t(signal)]) {
            ranked[size_t(signal)] = true;
            order[size_t(count++)] = signal;
        }
    }

    int firstFree = kGsvMaxSatellites;
    for (int i = 0; i < kGsvMaxSatellites; ++i) {
        if (row[i].prn == 0) {
            if (firstFree == kGsvMaxSatellites)
                firstFree = i;
            continue;
        }
        for (int k = 0; k < count; ++k) {
            const auto signal = size_t(order[size_t(k)]);
            if (notes.lastAt[signal][size_t(i)] >= start) {
                row[i] = notes.last[signal][size_t(i)];
                seen[i] = 1;
                break;
            }
        }
    }
    if (firstFree < kGsvMaxSatellites && notes.zeroAt >= start) {
        row[size_t(firstFree)] = notes.zero;
        seen[size_t(firstFree)] = 1;
    }
}

}  // namespace

void AccumulateGsv(std::string_view text, int32_t start, std::optional<int32_t> bound, SatelliteTable& table,
    const LineSink& appendLine)
{
    for (auto& row : table.seen)
        row.fill(0);

    // A sentence counts only when the position after its "*" lies below the
    // bound, so its "*" lies below bound - 1: the search never needs to look
    // at text from there on. Without the cut a long text would be scanned to
    // its end on every call, once per talker row.
    std::string_view searched = text;
    bool cut = false;
    if (bound && int64_t(*bound) - 1 < int64_t(text.size())) {
        searched = text.substr(0, size_t(std::max<int32_t>(*bound - 1, 0)));
        cut = true;
    }

    for (int talker = 0; talker < kTalkerCount; ++talker)
        SearchRow(searched, start, talker, table, appendLine, nullptr, bound, cut);

    ClearUnseen(table);
}

void AccumulateGsvResuming(std::string_view text, int32_t start, SatelliteTable& table, const LineSink& appendLine,
    GsvProgress& progress)
{
    const auto length = int32_t(std::min(text.size(), size_t(kMaxTextLength)));
    // A search that began before a "*" has passed that "*" by the time it
    // looks beyond it, so from just after a "*" the searches of an earlier
    // start and of this one find the same sentences.
    const bool resumes = progress.valid && progress.textData == text.data() && progress.textSize == text.size() &&
                         start >= progress.start &&
                         (start == progress.start || start >= length || text[size_t(start) - 1] == '*') &&
                         table.entries == progress.after;

    for (auto& row : table.seen)
        row.fill(0);

    for (int talker = 0; talker < kTalkerCount; ++talker) {
        GsvProgress::Row& notes = progress.rows[size_t(talker)];
        if (resumes && !(notes.failed && notes.failedAt < start)) {
            // Every sentence from start on was found before, up to the same
            // failing one, if any, which is reported again.
            MergeAgain(notes, start, table.entries[size_t(talker)], table.seen[size_t(talker)]);
            if (notes.failed)
                appendLine(ErrorLine("GSV", notes.failedCode));
        } else {
            // The row's stretch ended before start, or there is none: no
            // pass has searched this row's text from start on.
            progress.searchedBytes += SearchRow(text, start, talker, table, appendLine, &notes);
        }
    }

    ClearUnseen(table);

    // A negative start finds nothing, which says nothing about the text.
    progress.valid = start >= 0;
    progress.textData = text.data();
    progress.textSize = text.size();
    progress.start = start;
    progress.after = table.entries;
}

void ClearSatelliteTable(SatelliteTable& table)
{
    table = {};
}

}  // namespace orvane
