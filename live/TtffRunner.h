// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One time-to-first-fix series: for each run, the restart command is sent
// and the time measured on the host's monotonic clock from the send to the
// arrival of the first epoch that meets the criterion (the receiver's own
// time is not valid before its fix). An epoch arrives with its first
// sentence; it is judged once it closes (a sentence of another time, or
// 300 ms without data). Epochs that began before the send, or within the
// hold-off after it, are the receiver's output from before the restart and
// never count. Between runs the runner waits the settling time.
//
// The runner is fed the receiver's bytes as they arrive and sends through
// the function it is given, so the window and orvane-ttff drive it alike.
// A run ends with a fix, at its timeout, or when the receiver goes away,
// refuses the command ($PMTK001, $PAIR001, $PQTM...ERROR) or the command
// cannot be sent; the last three end the series, and so does a receiver
// that sent nothing at all in a run. Runs already measured are kept.

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "analysis/FixCriterion.h"
#include "analysis/TtffReport.h"
#include "decoder/Epochs.h"

namespace orvane {

struct TtffSettings {
    std::string start;    // the start type's name
    std::string command;  // as typed: "$PMTK103", "hex: B5 62 ..."
    int runs = 10;
    int timeoutMs = 120000;
    int settleMs = 5000;
    // Valid epochs that arrive this soon after the send are not taken: an
    // epoch the receiver began before the command reached it is its old fix.
    int holdoffMs = 100;
    FixCriterion criterion;
};

class TtffRunner : public QObject {
    Q_OBJECT

public:
    // Sends the command's bytes; false with reason when they did not go.
    using Sender = std::function<bool(const std::string& bytes, std::string& reason)>;

    TtffRunner(TtffSettings settings, Sender send, QObject* parent = nullptr);
    ~TtffRunner() override;

    // Checks the command and makes the first run at once. False with error
    // (nothing sent) when the command cannot be made.
    bool Start(std::string& error);
    // The receiver's bytes, at their arrival.
    void Feed(std::string_view bytes);
    // The receiver went away: the run in progress ends as lost, and so does
    // the series.
    void SourceLost(const std::string& reason);
    // The user stops the series; the run in progress is left out of the
    // figures.
    void Stop();

    bool Running() const { return m_State != State::Done && m_State != State::Idle; }
    const TtffSeries& Series() const { return m_Series; }
    const TtffSettings& Settings() const { return m_Settings; }

signals:
    // A line for the user: each run's send and end, and the series' end.
    void Line(const QString& line);
    void RunEnded(const orvane::TtffRun& run);
    void Finished();

private:
    enum class State { Idle, Measuring, Settling, Done };
    using Clock = std::chrono::steady_clock;

    void BeginRun();
    void FeedLine(std::string_view line, Clock::time_point arrival);
    void CloseEpoch();
    void CheckNewEpochs();
    void OnTimeout();
    // Ends the run; a series end given ends the series with it, else the
    // last planned run does, else the settling time begins.
    void EndRun(RunOutcome outcome, double seconds, const std::string& note, const std::string& seriesEnd = {},
        const Epoch* fix = nullptr);
    void EndSeries(const std::string& why);
    double SinceSend(Clock::time_point at) const;
    QString Prefix() const;

    TtffSettings m_Settings;
    Sender m_Send;
    std::string m_Bytes;  // the command
    TtffSeries m_Series;
    State m_State = State::Idle;
    QTimer m_TimeoutTimer;
    QTimer m_SettleTimer;
    QTimer m_QuietTimer;  // closes an epoch after a pause in the data

    // The run in progress.
    Clock::time_point m_SentAt;
    std::string m_SentUtc;
    uint64_t m_BytesSinceSend = 0;
    // The receiver's epochs since Start, read across runs so that an epoch
    // in progress at a send keeps its arrival from before it.
    std::unique_ptr<EpochLog> m_Log;
    std::unique_ptr<EpochReader> m_Reader;
    std::string m_Partial;                           // an unfinished line
    size_t m_Judged = 0;                             // epochs of m_Log already judged
    Clock::time_point m_OpenArrival;                 // the first line of the open epoch
    std::vector<Clock::time_point> m_EpochArrivals;  // per closed epoch
};

}  // namespace orvane
