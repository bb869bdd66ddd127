// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The replay of a loaded log under timer 291: the log and where the replay
// stands in it, Run and Stop, the ten speed steps, Repeat, seeking, and one
// tick, which hands one sentence to the dispatcher. The window owns one and
// keeps its buttons in step.

#include <QTimer>

#include <cstdint>
#include <string_view>

#include "DecodeCursor.h"
#include "Dispatcher.h"
#include "LogText.h"
#include "ReplaySpeed.h"

namespace orvane {

class ReplayEngine {
public:
    enum class TickOutcome { Continued, StartedOver, Finished, Stopped };

    // The loaded log's text; empty when none is loaded.
    std::string_view Text() const { return m_Log.View(); }
    bool Loaded() const { return m_Loaded; }
    bool Running() const { return m_Running; }
    // Where the slider stands, 0 to 10000.
    int32_t SliderValue() const { return m_SliderValue; }
    const DecodeCursor& Cursor() const { return m_Cursor; }
    int16_t SpeedStep() const { return m_SpeedStep; }
    int16_t Interval() const { return m_ReplayInterval; }
    bool Repeat() const { return m_Repeat; }
    // Timer 291; its timeout is the caller's to connect to Tick.
    const QTimer& Timer() const { return m_Timer; }

    // Takes a log that offers sentences, to replay from its beginning.
    void Load(LoadedLog log);
    // Stops and drops the log with its memory; the cursor starts afresh.
    void Unload();

    // Run, or Stop while running. Run takes the chosen talker row, starts
    // over from the end of the log, and ticks first one period later.
    void RunOrStop(int32_t talkerRow);
    // One sentence. At the end of the log the replay starts over when
    // repeatPressed ("Replay Log") or finishes ("Finish Parsing"). A
    // sentence that does not parse stops the replay at the next tick.
    TickOutcome Tick(DispatchHooks& hooks, const DispatchOptions& options, bool repeatPressed);
    // One step faster (+1) or slower (-1), within the ten steps. A running
    // replay's next tick comes one full new period later.
    void ChangeSpeed(int delta);
    void FlipRepeat() { m_Repeat = !m_Repeat; }
    // Seeks to a slider position, 0 to 10000, as releasing the thumb does.
    void Seek(int sliderValue);
    // Seeks to a byte of the log (where an epoch's line starts), the
    // slider to where that byte lies.
    void SeekToOffset(size_t offset);
    // Stops the timer and the replay.
    void Stop();
    // Stops the timer only: the replay runs on under ticks given by hand.
    void HoldTimer() { m_Timer.stop(); }

    // The fix summary and the stretches the ticks noted for it
    // (CatchUpFixSummary, ResetFixSummary).
    void CatchUpSummary(FixSummary& summary) { CatchUpFixSummary(Text(), m_Cursor, summary); }
    void ResetSummary(FixSummary& summary) { ResetFixSummary(m_Cursor, summary); }

private:
    LoadedLog m_Log;
    DecodeCursor m_Cursor;
    bool m_Loaded = false;
    bool m_Running = false;
    int32_t m_SliderValue = 0;
    bool m_Repeat = false;
    int16_t m_SpeedStep = kSlowestSpeedStep;
    int16_t m_ReplayInterval = ReplayIntervalFor(kSlowestSpeedStep);
    QTimer m_Timer;  // kReplayTimerId
};

}  // namespace orvane
