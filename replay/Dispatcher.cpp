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

// GGA and GLL move the map, with heading 0, only while it is on and only for
// a usable position; the last position changes only then.
template <class Record>
void FollowPosition(DispatchState& state, DispatchHooks& hooks, const Record& record)
{
    if (!state.m_MapEnabled ||
        !IsValidPosition(record.latitude, record.latHemisphere, record.longitude, record.lonHemisphere))
        return;
    state.m_Latitude = Signed(record.latitude, record.latHemisphere, u'N');
    state.m_Longitude = Signed(record.longitude, record.lonHemisphere, u'E');
    hooks.UpdateMapPosition(state.m_Latitude, state.m_Longitude, 0.0);
}

// Every parsed RMC becomes the last position and heading and is uploaded,
// usable or not; the map follows only a usable one. Coordinates that are
// not finite count as a position of zero, as a sentence without a position
// does: the forwarding clients and the upload never receive an infinity.
void TakeRmcPosition(DispatchState& state, DispatchHooks& hooks, const RmcRecord& record)
{
    const bool finite = IsFinitePosition(record.latitude, record.longitude);
    state.m_Latitude = finite ? Signed(record.latitude, record.latHemisphere, u'N') : 0.0;
    state.m_Longitude = finite ? Signed(record.longitude, record.lonHemisphere, u'E') : 0.0;
    state.m_Heading = record.course;
    hooks.SendPosition(state.m_Latitude, state.m_Longitude, state.m_Heading);
    if (state.m_MapEnabled &&
        IsValidPosition(record.latitude, record.latHemisphere, record.longitude, record.lonHemisphere))
        hooks.UpdateMapPosition(state.m_Latitude, state.m_Longitude, state.m_Heading);
}

// What a shown sentence does beyond its line: GGA and GLL move the map, and
// an RMC is the last position; the other types do nothing more.
template <class Record>
void AfterShown(DispatchState&, DispatchHooks&, const Record&)
{ }

void AfterShown(DispatchState& state, DispatchHooks& hooks, const GgaRecord& record)
{
    FollowPosition(state, hooks, record);
}

void AfterShown(DispatchState& state, DispatchHooks& hooks, const GllRecord& record)
{
    FollowPosition(state, hooks, record);
}

void AfterShown(DispatchState& state, DispatchHooks& hooks, const RmcRecord& record)
{
    TakeRmcPosition(state, hooks, record);
}

// A ZDA whose day is out of range gets an error line instead of its own.
template <class Record>
bool Refused(const DispatchState&, DispatchHooks&, const Record&)
{
    return false;
}

bool Refused(const DispatchState& state, DispatchHooks& hooks, const ZdaRecord& record)
{
    if (record.day >= 1 && record.day <= 31)
        return false;
    hooks.AppendLine(ZdaInvalidLine(state.m_ParsePosition, state.NmeaTextLength));
    return true;
}

// Shows one parsed sentence and does its side effects. Returns false when
// the sentence ends the loop without its line (a ZDA day out of range).
template <class Record>
bool Show(DispatchState& state, DispatchHooks& hooks, const Record& record)
{
    if (Refused(state, hooks, record))
        return false;
    DisplayLine(record, state.m_Line);
    hooks.AppendLine(state.m_Line);
    AfterShown(state, hooks, record);
    return true;
}

// The main step for one decoded sentence type: one sentence in replay,
// every sentence up to the end or the first failure in online mode.
template <class Record, int32_t (*Parse)(std::string_view, Record&)>
void DispatchType(DispatchState& state, DispatchHooks& hooks, int messageRow)
{
    const std::string_view text = state.Text();
    const std::string_view type = MessageTable[size_t(messageRow)].id;
    for (;;) {
        std::string_view sentence;
        state.m_ParsePosition = FindSentence(text, state.m_ParsePosition, state.m_TalkerRow, messageRow, sentence);
        if (state.m_ParsePosition <= 0)
            return;
        Record record;
        if (const int32_t code = Parse(sentence, record); code != 0) {
            hooks.AppendLine(ErrorLine(type, code));
            state.m_Running = false;
            return;
        }
        if (!Show(state, hooks, record))
            return;
        if (!state.m_Online)
            return;
    }
}

// The decoded sentence types, one row each: the message row and its main
// step. A new type is one row here and a DisplayLine for its record.
struct DecodedType {
    int messageRow;
    void (*dispatch)(DispatchState&, DispatchHooks&, int messageRow);
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

// The slider's share of the text, truncated toward zero.
int32_t SliderValueOf(int32_t position, int32_t length)
{
    if (position < 0)
        return kSliderMaximum;
    if (length <= 0)
        return 0;
    return TruncateToInt32(double(position) / double(length) * 10000.0);
}

}  // namespace

int DecodedMessageRow(int messageRow)
{
    return FindDecodedType(messageRow) ? messageRow : -1;
}

const FixSummary& CatchUpFixSummary(DispatchState& state)
{
    const std::string_view text = state.Text();
    if (state.m_SummaryPendingText == text.data()) {
        for (const auto& [begin, end] : state.m_SummaryPending) {
            if (end <= text.size())
                state.m_FixSummary.Consume(text, begin, end);
        }
    }
    state.m_SummaryPending.clear();
    state.m_SummaryPendingText = nullptr;
    return state.m_FixSummary;
}

void ResetFixSummary(DispatchState& state)
{
    state.m_FixSummary.Reset();
    state.m_SummaryPending.clear();
    state.m_SummaryPendingText = nullptr;
}

namespace {

// So many seeks without a look at the summary have it read what they noted.
constexpr size_t kMostPendingStretches = 4096;

// Notes [begin, end) for the summary: it extends the last stretch noted when
// it follows it, else it is noted on its own.
void NoteSummaryStretch(DispatchState& state, size_t begin, size_t end)
{
    const char* text = state.Text().data();
    if (state.m_SummaryPendingText != text || state.m_SummaryPending.size() >= kMostPendingStretches)
        CatchUpFixSummary(state);
    state.m_SummaryPendingText = text;
    auto& pending = state.m_SummaryPending;
    if (!pending.empty() && pending.back().second == begin)
        pending.back().second = end;
    else if (begin < end)
        pending.emplace_back(begin, end);
}

}  // namespace

bool DispatchSentences(DispatchState& state, DispatchHooks& hooks)
{
    if (!state.m_Online && !state.m_Loaded) {
        hooks.AppendLine("Logic Error (1)");
        return false;
    }
    // kept as is: the talker row is checked against the message table's
    // size, so rows 8 to 17 pass this guard and then find nothing.
    if (state.m_TalkerRow >= kMessageCount) {
        hooks.AppendLine("Logic Error (2)");
        return false;
    }
    const int32_t start = state.m_ParsePosition;
    const std::optional<int32_t> resumeAt = std::exchange(state.m_GsvResumeAt, std::nullopt);

    const int messageRow = hooks.SelectedMessageRow();
    if (const DecodedType* type = FindDecodedType(messageRow))
        type->dispatch(state, hooks, messageRow);
    else
        state.m_ParsePosition = -1;

    // The stretch the call consumed: up to the sentence just handled, or to
    // the end when none was left.
    if (state.m_FixSummaryOn && start >= 0) {
        const std::string_view text = state.Text();
        const size_t end = state.m_ParsePosition > start ? size_t(state.m_ParsePosition) : text.size();
        if (state.m_Online)
            state.m_FixSummary.Consume(text, size_t(start), end);
        else
            NoteSummaryStretch(state, size_t(start), end);
    }

    if (!state.m_Online) {
        state.m_SliderValue = SliderValueOf(state.m_ParsePosition, state.NmeaTextLength);
        hooks.MoveSlider(state.m_SliderValue);
    }

    if (state.m_SignalsShown) {
        const LineSink appendLine = [&hooks](std::string_view line) { hooks.AppendLine(line); };
        if (state.m_Online) {
            // Live text is merged to its end. A tick calls again after each
            // error, from just after it, over the same text: that call's pass
            // resumes from what the earlier passes of the tick found instead
            // of searching the rest of the text once more.
            if (resumeAt != start)
                state.m_GsvProgress.Reset();
            AccumulateGsvResuming(state.Text(), start, state.m_SatelliteTable, appendLine, state.m_GsvProgress);
            if (state.m_ParsePosition > 0)
                state.m_GsvResumeAt = state.m_ParsePosition;
        } else {
            // In replay only the stretch up to the sentence just shown is merged.
            AccumulateGsv(state.Text(), start, state.m_ParsePosition, state.m_SatelliteTable, appendLine);
        }
        if (hooks.SatellitesWindowExists()) {
            for (int row = 0; row < kSatelliteRows; ++row)
                hooks.UpdateSignals(row, state.m_SatelliteTable.entries[size_t(row)]);
        }
    }
    return state.m_ParsePosition > 0;
}

}  // namespace orvane
