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

double Signed(double degrees, char16_t hemisphere, char16_t positive)
{
    return hemisphere == positive ? degrees : -degrees;
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

// Every parsed RMC with finite coordinates becomes the last position and
// heading and is uploaded, usable or not; the map follows only a usable one.
// Coordinates that are not finite are not passed on at all, so the map, the
// forwarding clients and the upload never receive an infinity.
void TakeRmcPosition(DispatchState& state, DispatchHooks& hooks, const RmcRecord& record)
{
    if (!IsFinitePosition(record.latitude, record.longitude))
        return;
    state.m_Latitude = Signed(record.latitude, record.latHemisphere, u'N');
    state.m_Longitude = Signed(record.longitude, record.lonHemisphere, u'E');
    state.m_Heading = record.course;
    hooks.SendPosition(state.m_Latitude, state.m_Longitude, state.m_Heading);
    if (state.m_MapEnabled &&
        IsValidPosition(record.latitude, record.latHemisphere, record.longitude, record.lonHemisphere))
        hooks.UpdateMapPosition(state.m_Latitude, state.m_Longitude, state.m_Heading);
}

// Shows one parsed sentence and does its side effects. Returns false when
// the sentence ends the loop without a line (a ZDA day out of range).
template <class Record>
bool Show(DispatchState& state, DispatchHooks& hooks, const Record& record);

template <>
bool Show(DispatchState& state, DispatchHooks& hooks, const GgaRecord& record)
{
    hooks.AppendLine(GgaLine(record));
    FollowPosition(state, hooks, record);
    return true;
}

template <>
bool Show(DispatchState& state, DispatchHooks& hooks, const GllRecord& record)
{
    hooks.AppendLine(GllLine(record));
    FollowPosition(state, hooks, record);
    return true;
}

template <>
bool Show(DispatchState&, DispatchHooks& hooks, const GsaRecord& record)
{
    hooks.AppendLine(GsaLine(record));
    return true;
}

template <>
bool Show(DispatchState& state, DispatchHooks& hooks, const RmcRecord& record)
{
    hooks.AppendLine(RmcLine(record));
    TakeRmcPosition(state, hooks, record);
    return true;
}

template <>
bool Show(DispatchState&, DispatchHooks& hooks, const VtgRecord& record)
{
    hooks.AppendLine(VtgLine(record));
    return true;
}

template <>
bool Show(DispatchState& state, DispatchHooks& hooks, const ZdaRecord& record)
{
    if (record.day < 1 || record.day > 31) {
        hooks.AppendLine(ZdaInvalidLine(state.m_ParsePosition, state.NmeaTextLength));
        return false;
    }
    hooks.AppendLine(ZdaLine(record));
    return true;
}

// The main step for one decoded sentence type: one sentence in replay,
// every sentence up to the end or the first failure in online mode.
template <class Record>
void DispatchType(DispatchState& state, DispatchHooks& hooks, int messageRow,
                  int32_t (*parse)(std::string_view, Record&))
{
    const std::string_view text = state.NmeaText;
    const std::string_view type = MessageTable[size_t(messageRow)].id;
    for (;;) {
        std::string_view sentence;
        state.m_ParsePosition = FindSentence(text, state.m_ParsePosition, state.m_TalkerRow, messageRow, sentence);
        if (state.m_ParsePosition <= 0)
            return;
        Record record;
        if (const int32_t code = parse(sentence, record); code != 0) {
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
    switch (messageRow) {
    case kGgaRow:
    case kGllRow:
    case kGsaRow:
    case kRmcRow:
    case kVtgRow:
    case kZdaRow:
        return messageRow;
    default:
        return -1;
    }
}

bool DispatchSentences(DispatchState& state, DispatchHooks& hooks)
{
    if (!state.m_Online && !state.m_Loaded) {
        hooks.AppendLine("Logic Error (1)");
        return false;
    }
    // Rows 8 to 17 pass this guard and then find nothing.
    if (state.m_TalkerRow >= 18) {
        hooks.AppendLine("Logic Error (2)");
        return false;
    }
    const int32_t start = state.m_ParsePosition;
    const std::optional<int32_t> resumeAt = std::exchange(state.m_GsvResumeAt, std::nullopt);

    switch (const int messageRow = hooks.SelectedMessageRow(); DecodedMessageRow(messageRow)) {
    case kGgaRow:
        DispatchType<GgaRecord>(state, hooks, messageRow, ParseGga);
        break;
    case kGllRow:
        DispatchType<GllRecord>(state, hooks, messageRow, ParseGll);
        break;
    case kGsaRow:
        DispatchType<GsaRecord>(state, hooks, messageRow, ParseGsa);
        break;
    case kRmcRow:
        DispatchType<RmcRecord>(state, hooks, messageRow, ParseRmc);
        break;
    case kVtgRow:
        DispatchType<VtgRecord>(state, hooks, messageRow, ParseVtg);
        break;
    case kZdaRow:
        DispatchType<ZdaRecord>(state, hooks, messageRow, ParseZda);
        break;
    default:
        state.m_ParsePosition = -1;
        break;
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
            AccumulateGsvResuming(state.NmeaText, start, state.m_SatelliteTable, appendLine, state.m_GsvProgress);
            if (state.m_ParsePosition > 0)
                state.m_GsvResumeAt = state.m_ParsePosition;
        } else {
            // In replay only the stretch up to the sentence just shown is merged.
            AccumulateGsv(state.NmeaText, start, state.m_ParsePosition, state.m_SatelliteTable, appendLine);
        }
        if (hooks.SatellitesWindowExists()) {
            for (int row = 0; row < kSatelliteRows; ++row)
                hooks.UpdateSignals(row, state.m_SatelliteTable.entries[size_t(row)]);
        }
    }
    return state.m_ParsePosition > 0;
}

}  // namespace orvane
