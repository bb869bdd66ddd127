// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReplayEngine.h"

#include "Dispatcher.h"
#include "decoder/FieldConvert.h"

namespace orvane {

ReplayEngine::ReplayEngine(DispatchState& state, DispatchHooks& hooks) : m_State(state), m_Hooks(hooks) { }

void ReplayEngine::RunOrStop(int32_t talkerRow)
{
    // From the end of the log the replay starts over.
    if (m_State.m_ParsePosition < 0) {
        m_State.m_ParsePosition = 0;
        m_State.m_SliderValue = 0;
    }
    if (m_State.m_Running) {
        m_Timer.stop();
        m_State.m_Running = false;
    } else {
        m_State.m_TalkerRow = talkerRow;
        m_State.m_Running = true;
        m_Timer.start(m_ReplayInterval);
    }
}

ReplayEngine::TickOutcome ReplayEngine::Tick(bool repeatPressed)
{
    // A parser error cleared m_Running during the previous tick.
    if (!m_State.m_Running) {
        m_Timer.stop();
        return TickOutcome::Stopped;
    }
    if (DispatchSentences(m_State, m_Hooks))
        return TickOutcome::Continued;
    if (repeatPressed) {
        m_State.m_ParsePosition = 0;
        m_State.m_SliderValue = 0;
        m_Hooks.AppendLine("Replay Log");
        return TickOutcome::StartedOver;
    }
    m_State.m_Running = false;
    m_Timer.stop();
    m_Hooks.AppendLine("Finish Parsing");
    return TickOutcome::Finished;
}

void ReplayEngine::ChangeSpeed(int delta)
{
    const int step = m_SpeedStep + delta;
    if (step < kSlowestSpeedStep || step > kFastestSpeedStep)
        return;
    m_SpeedStep = int16_t(step);
    m_ReplayInterval = ReplayIntervalFor(m_SpeedStep);
    if (m_State.m_Running)
        m_Timer.start(m_ReplayInterval);
}

void ReplayEngine::Seek(int sliderValue)
{
    m_State.m_SliderValue = sliderValue;
    m_State.m_ParsePosition = TruncateToInt32(double(sliderValue) / 10000.0 * double(m_State.NmeaTextLength));
}

void ReplayEngine::Stop()
{
    m_Timer.stop();
    m_State.m_Running = false;
}

}  // namespace orvane
