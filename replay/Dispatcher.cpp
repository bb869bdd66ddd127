// SPDX-License-Identifier: GPL-3.0-or-later
#include "Dispatcher.h"

#include <cmath>
#include <optional>
#include <utility>

#include "DisplayLines.h"
#include "decoder/FieldConvert.h"
#include "decoder/FindSentence.h"
#include "decoder/GsvPass.h"
#include "decoder/Parsers.h"
#include "decoder/TextFormat.h"

namespace orvane {

namespace {

// Both coordinates are numbers. A field too large for a double gives an
// infinity, which the line shows but which is no place on earth.
bool IsFinitePosition(double latitude, double longitude)
{
    return std::isfinite(latitude) && std::isfinite(longitude);
}

// A usable position: both coordinates finite and non-zero, both letters
// received.
bool IsValidPosition(double latitude, char16_t latHemisphere, double longitude, char16_t lonHemisphere)
{
    return IsFinitePosition(latitude, longitude) && latitude != 0 && longitude != 0 && latHemisphere != 0 &&
           lonHemisphere != 0;
}

// kept as is: a hemisphere letter other than N or E, a missing one
// included, makes the coordinate negative. The letter alone gives the sign:
// a field that carries its own minus sign beside a W or S letter (as some
// receivers send) counts by its magnitude.
double Signed(double degrees, char16_t hemisphere, char16_t positive)
{
    return hemisphere == positive ? std::fabs(degrees) : -std::fabs(degrees);
}

// One call: its text, the cursor it moves, its options and hooks, and
// whether a sentence failed to parse.
struct Call {
    std::string_view text;
    DecodeCursor& cursor;
    const DispatchOptions& options;
    DispatchHooks& hooks;
    bool parseError = false;
};

// GGA and GLL move the map, with heading 0, only while it is on and only for
// a usable position; the last position changes only then.
template <class Record>
void FollowPosition(Call& call, const Record& record)
{
    if (!call.options.m_MapEnabled ||
        !IsValidPosition(record.latitude, record.latHemisphere, record.longitude, record.lonHemisphere))
        return;
    DecodeCursor& cursor = call.cursor;
    cursor.m_Latitude = Signed(record.latitude, record.latHemisphere, u'N');
    cursor.m_Longitude = Signed(record.longitude, record.lonHemisphere, u'E');
    call.hooks.UpdateMapPosition(cursor.m_Latitude, cursor.m_Longitude, 0.0);
}

// Every parsed RMC becomes the last position and heading and is uploaded,
// usable or not; the map follows only a usable one. Coordinates that are
// not finite count as a position of zero, as a sentence without a position
// does: the forwarding clients and the upload never receive an infinity.
void TakeRmcPosition(Call& call, const RmcRecord& record)
{
    DecodeCursor& cursor = call.cursor;
    const bool finite = IsFinitePosition(record.latitude, record.longitude);
    cursor.m_Latitude = finite ? Signed(record.latitude, record.latHemisphere, u'N') : 0.0;
    cursor.m_Longitude = finite ? Signed(record.longitude, record.lonHemisphere, u'E') : 0.0;
    cursor.m_Heading = record.course;
    call.hooks.SendPosition(cursor.m_Latitude, cursor.m_Longitude, cursor.m_Heading);
    if (call.options.m_MapEnabled &&
        IsValidPosition(record.latitude, record.latHemisphere, record.longitude, record.lonHemisphere))
        call.hooks.UpdateMapPosition(cursor.m_Latitude, cursor.m_Longitude, cursor.m_Heading);
}

// What a shown sentence does beyond its line: GGA and GLL move the map, and
// an RMC is the last position; the other types do nothing more.
template <class Record>
void AfterShown(Call&, const Record&)
{ }

void AfterShown(Call& call, const GgaRecord& record)
{
    FollowPosition(call, record);
}

void AfterShown(Call& call, const GllRecord& record)
{
    FollowPosition(call, record);
}

void AfterShown(Call& call, const RmcRecord& record)
{
    TakeRmcPosition(call, record);
}

// A ZDA whose day is out of range gets an error line instead of its own.
template <class Record>
bool Refused(Call&, const Record&)
{
    return false;
}

bool Refused(Call& call, const ZdaRecord& record)
{
    if (record.day >= 1 && record.day <= 31)
        return false;
    call.hooks.AppendLine(ZdaInvalidLine(call.cursor.m_ParsePosition, int32_t(call.text.size())));
    return true;
}

// Shows one parsed sentence and does its side effects. Returns false when
// the sentence ends the loop without its line (a ZDA day out of range).
template <class Record>
bool Show(Call& call, const Record& record)
{
    if (Refused(call, record))
        return false;
    DisplayLine(record, call.cursor.m_Line);
    call.hooks.AppendLine(call.cursor.m_Line);
    AfterShown(call, record);
    return true;
}

// The main step for one decoded sentence type: one sentence in replay,
// every sentence up to the end or the first failure in online mode.
template <class Record, int32_t (*Parse)(std::string_view, Record&)>
void DispatchType(Call& call, int messageRow)
{
    DecodeCursor& cursor = call.cursor;
    const std::string_view type = MessageTable[size_t(messageRow)].id;
    for (;;) {
        std::string_view sentence;
        cursor.m_ParsePosition =
            FindSentence(call.text, cursor.m_ParsePosition, cursor.m_TalkerRow, messageRow, sentence);
        if (cursor.m_ParsePosition <= 0)
            return;
        Record record;
        if (const int32_t code = Parse(sentence, record); code != 0) {
            call.hooks.AppendLine(ErrorLine(type, code));
            call.parseError = true;
            return;
        }
        if (!Show(call, record))
            return;
        if (!call.options.m_Online)
            return;
    }
}

// The decoded sentence types, one row each: the message row and its main
// step. A new type is one row here and a DisplayLine for its record.
struct DecodedType {
    int messageRow;
    void (*dispatch)(Call&, int messageRow);
};

constexpr DecodedType kDecodedTypes[] = {
    {kGgaRow, DispatchType<GgaRecord, ParseGga>},
    {kGllRow, DispatchType<GllRecord, ParseGll>},
    {kGsaRow, DispatchType<GsaRecord, ParseGsa>},
    {kRmcRow, DispatchType<RmcRecord, ParseRmc>},
    {kVtgRow, DispatchType<VtgRecord, ParseVtg>},
    {kZdaRow, DispatchType<ZdaRecord, ParseZda>},
};

const DecodedType* FindDecodedType(int messageRow)
{
    for (const DecodedType& type : kDecodedTypes) {
        if (type.messageRow == messageRow)
            return &type;
    }
    return nullptr;
}

}  // namespace

int DecodedMessageRow(int messageRow)
{
    return FindDecodedType(messageRow) ? messageRow : -1;
}

int32_t SliderValueOf(int32_t position, size_t length)
{
    if (position < 0)
        return kSliderMaximum;
    if (length == 0)
        return 0;
    return TruncateToInt32(double(position) / double(length) * 10000.0);
}

const FixSummary& CatchUpFixSummary(std::string_view text, DecodeCursor& cursor, FixSummary& summary)
{
    if (cursor.m_SummaryPendingText == text.data()) {
        for (const auto& [begin, end] : cursor.m_SummaryPending) {
            if (end <= text.size())
                summary.Consume(text, begin, end);
        }
    }
    cursor.m_SummaryPending.clear();
    cursor.m_SummaryPendingText = nullptr;
    return summary;
}

void ResetFixSummary(DecodeCursor& cursor, FixSummary& summary)
{
    summary.Reset();
    cursor.m_SummaryPending.clear();
    cursor.m_SummaryPendingText = nullptr;
}

namespace {

// So many seeks without a look at the summary have it read what they noted.
constexpr size_t kMostPendingStretches = 4096;

// Notes [begin, end) for the summary: it extends the last stretch noted when
// it follows it, else it is noted on its own.
void NoteSummaryStretch(const Call& call, FixSummary& summary, size_t begin, size_t end)
{
    DecodeCursor& cursor = call.cursor;
    if (cursor.m_SummaryPendingText != call.text.data() || cursor.m_SummaryPending.size() >= kMostPendingStretches)
        CatchUpFixSummary(call.text, cursor, summary);
    cursor.m_SummaryPendingText = call.text.data();
    auto& pending = cursor.m_SummaryPending;
    if (!pending.empty() && pending.back().second == begin)
        pending.back().second = end;
    else if (begin < end)
        pending.emplace_back(begin, end);
}

}  // namespace

DispatchResult DispatchSentences(std::string_view text, DecodeCursor& cursor, const DispatchOptions& options,
    DispatchHooks& hooks)
{
    if (!options.m_Online && !options.m_Loaded) {
        hooks.AppendLine("Logic Error (1)");
        return {};
    }
    // kept as is: the talker row is checked against the message table's
    // size, so rows 8 to 17 pass this guard and then find nothing.
    if (cursor.m_TalkerRow >= kMessageCount) {
        hooks.AppendLine("Logic Error (2)");
        return {};
    }
    const int32_t start = cursor.m_ParsePosition;
    const std::optional<int32_t> resumeAt = std::exchange(cursor.m_GsvResumeAt, std::nullopt);

    Call call{text, cursor, options, hooks, false};
    const int messageRow = hooks.SelectedMessageRow();
    if (const DecodedType* type = FindDecodedType(messageRow))
        type->dispatch(call, messageRow);
    else
        cursor.m_ParsePosition = -1;

    // The stretch the call consumed: up to the sentence just handled, or to
    // the end when none was left.
    if (options.m_FixSummary && start >= 0) {
        const size_t end = cursor.m_ParsePosition > start ? size_t(cursor.m_ParsePosition) : text.size();
        if (options.m_Online)
            options.m_FixSummary->Consume(text, size_t(start), end);
        else
            NoteSummaryStretch(call, *options.m_FixSummary, size_t(start), end);
    }

    if (!options.m_Online)
        hooks.MoveSlider(SliderValueOf(cursor.m_ParsePosition, text.size()));

    if (options.m_SignalsShown) {
        const LineSink appendLine = [&hooks](std::string_view line) { hooks.AppendLine(line); };
        if (options.m_Online) {
            // Live text is merged to its end. A tick calls again after each
            // error, from just after it, over the same text: that call's pass
            // resumes from what the earlier passes of the tick found instead
            // of searching the rest of the text once more.
            if (resumeAt != start)
                cursor.m_GsvProgress.Reset();
            AccumulateGsvResuming(text, start, cursor.m_SatelliteTable, appendLine, cursor.m_GsvProgress);
            if (cursor.m_ParsePosition > 0)
                cursor.m_GsvResumeAt = cursor.m_ParsePosition;
        } else {
            // In replay only the stretch up to the sentence just shown is merged.
            AccumulateGsv(text, start, cursor.m_ParsePosition, cursor.m_SatelliteTable, appendLine);
        }
        if (hooks.SatellitesWindowExists()) {
            for (int row = 0; row < kSatelliteRows; ++row)
                hooks.UpdateSignals(row, cursor.m_SatelliteTable.entries[size_t(row)]);
        }
    }
    return {cursor.m_ParsePosition > 0, call.parseError};
}

}  // namespace orvane
