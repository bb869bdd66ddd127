// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The replay of a loaded log under timer 291: Run and Stop, the ten speed
// steps, Repeat, seeking, and one tick, which hands one sentence to the
// dispatcher. The window owns one and keeps its buttons in step.

#include <QTimer>

#include <cstdint>

#include "DispatchHooks.h"
#include "DispatchState.h"
#include "ReplaySpeed.h"

namespace orvane {

class ReplayEngine {
public:
    enum class TickOutcome { Continued, StartedOver, Finished, Stopped };

    ReplayEngine(DispatchState& state, DispatchHooks& hooks);

    int16_t SpeedStep() const { return m_SpeedStep; }
    int16_t Interval() const { return m_ReplayInterval; }
    bool Repeat() const { return m_Repeat; }
    // Timer 291; its timeout is the caller's to connect to Tick.
    const QTimer& Timer() const { return m_Timer; }

    // Run, or Stop while running. Run takes the chosen talker row, starts
    // over from the end of the log, and ticks first one period later.
    void RunOrStop(int32_t talkerRow);
    // One sentence. At the end of the log the replay starts over when
    // repeatPressed ("Replay Log") or finishes ("Finish Parsing").
    TickOutcome Tick(bool repeatPressed);
    // One step faster (+1) or slower (-1), within the ten steps. A running
    // replay's next tick comes one full new period later.
    void ChangeSpeed(int delta);
    void FlipRepeat() { m_Repeat = !m_Repeat; }
    // Seeks to a slider position, 0 to 10000, as releasing the thumb does.
    void Seek(int sliderValue);
    // Stops the timer and the replay (Purge).
    void Stop();
    // Stops the timer only: the replay runs on under ticks given by hand.
    void HoldTimer() { m_Timer.stop(); }

private:
    DispatchState& m_State;
    DispatchHooks& m_Hooks;
    bool m_Repeat = false;
    int16_t m_SpeedStep = kSlowestSpeedStep;
    int16_t m_ReplayInterval = ReplayIntervalFor(kSlowestSpeedStep);
    QTimer m_Timer;  // kReplayTimerId
};

}  // namespace orvane
