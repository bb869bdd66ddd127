// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReplayEngine.h"

#include <algorithm>
#include <utility>

#include "decoder/FieldConvert.h"

namespace orvane {

void ReplayEngine::Load(LoadedLog log)
{
    m_Log = std::move(log);
    m_Loaded = true;
}

void ReplayEngine::Unload()
{
    Stop();
    m_Loaded = false;
    m_Cursor = DecodeCursor();
    m_SliderValue = 0;
    m_Log.Clear();
}

void ReplayEngine::RunOrStop(int32_t talkerRow)
{
    // From the end of the log the replay starts over.
    if (m_Cursor.m_ParsePosition < 0) {
        m_Cursor.m_ParsePosition = 0;
        m_SliderValue = 0;
    }
    if (m_Running) {
        m_Timer.stop();
        m_Running = false;
    } else {
        m_Cursor.m_TalkerRow = talkerRow;
        m_Running = true;
        m_Timer.start(m_ReplayInterval);
    }
}

ReplayEngine::TickOutcome ReplayEngine::Tick(DispatchHooks& hooks, const DispatchOptions& options, bool repeatPressed)
{
    // A parser error cleared m_Running during the previous tick.
    if (!m_Running) {
        m_Timer.stop();
        return TickOutcome::Stopped;
    }
    const DispatchResult result = DispatchSentences(Text(), m_Cursor, options, hooks);
    // Where the dispatcher moved the slider.
    m_SliderValue = SliderValueOf(m_Cursor.m_ParsePosition, Text().size());
    if (result.parseError)
        m_Running = false;
    if (result)
        return TickOutcome::Continued;
    if (repeatPressed) {
        m_Cursor.m_ParsePosition = 0;
        m_SliderValue = 0;
        hooks.AppendLine("Replay Log");
        return TickOutcome::StartedOver;
    }
    m_Running = false;
    m_Timer.stop();
    hooks.AppendLine("Finish Parsing");
    return TickOutcome::Finished;
}

void ReplayEngine::ChangeSpeed(int delta)
{
    const int step = m_SpeedStep + delta;
    if (step < kSlowestSpeedStep || step > kFastestSpeedStep)
        return;
    m_SpeedStep = int16_t(step);
    m_ReplayInterval = ReplayIntervalFor(m_SpeedStep);
    if (m_Running)
        m_Timer.start(m_ReplayInterval);
}

void ReplayEngine::Seek(int sliderValue)
{
    m_SliderValue = sliderValue;
    m_Cursor.m_ParsePosition = TruncateToInt32(double(sliderValue) / 10000.0 * double(Text().size()));
}

void ReplayEngine::SeekToOffset(size_t offset)
{
    const size_t size = Text().size();
    offset = std::min(offset, size);
    m_SliderValue = size ? int32_t(double(offset) / double(size) * 10000.0) : 0;
    m_Cursor.m_ParsePosition = TruncateToInt32(double(offset));
}

void ReplayEngine::Stop()
{
    m_Timer.stop();
    m_Running = false;
}

}  // namespace orvane
