// SPDX-License-Identifier: GPL-3.0-or-later
#include "TtffRunner.h"

#include <QDateTime>

#include "ReceiverCommand.h"
#include "ReceiverReplies.h"

namespace orvane {

namespace {
// An epoch whose data paused this long is complete: a receiver sends each
// epoch as one burst.
constexpr int kQuietMs = 300;

std::string SecondsText(double seconds)
{
    return QString::number(seconds, 'f', 3).toStdString();
}
}  // namespace

TtffRunner::TtffRunner(TtffSettings settings, Sender send, QObject* parent)
    : QObject(parent), m_Settings(std::move(settings)), m_Send(std::move(send))
{
    m_Series.start = m_Settings.start.empty() ? m_Settings.command : m_Settings.start;
    m_Series.command = m_Settings.command;
    m_Series.plannedRuns = m_Settings.runs;
    m_Series.timeoutSeconds = m_Settings.timeoutMs / 1000.0;
    for (QTimer* timer : {&m_TimeoutTimer, &m_SettleTimer, &m_QuietTimer}) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
    }
    connect(&m_TimeoutTimer, &QTimer::timeout, this, &TtffRunner::OnTimeout);
    connect(&m_SettleTimer, &QTimer::timeout, this, &TtffRunner::BeginRun);
    connect(&m_QuietTimer, &QTimer::timeout, this, [this] {
        if (m_State == State::Measuring || m_State == State::Settling)
            CloseEpoch();
    });
}

TtffRunner::~TtffRunner() = default;

QString TtffRunner::Prefix() const
{
    return QStringLiteral("[TTFF] %1").arg(QString::fromStdString(m_Series.start));
}

bool TtffRunner::Start(std::string& error)
{
    const ReceiverCommand command = MakeReceiverCommand(m_Settings.command);
    if (!command.Ok()) {
        error = command.error;
        return false;
    }
    if (m_Settings.runs < 1 || m_Settings.timeoutMs < 1) {
        error = "at least one run and a timeout are needed";
        return false;
    }
    m_Bytes = command.bytes;
    m_Log = std::make_unique<EpochLog>();
    m_Reader = std::make_unique<EpochReader>(*m_Log);
    BeginRun();
    return true;
}

void TtffRunner::BeginRun()
{
    // Only epochs that begin after the send are judged: the one arriving
    // now is the receiver's output from before the restart.
    m_Judged = m_Log->epochs.size();
    m_BytesSinceSend = 0;
    m_State = State::Measuring;
    const int index = int(m_Series.runs.size()) + 1;
    m_SentUtc = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toStdString();
    std::string reason;
    const bool sent = m_Send(m_Bytes, reason);
    m_SentAt = Clock::now();
    if (!sent) {
        EndRun(RunOutcome::NotSent, 0, reason, "the command could not be sent: " + reason);
        return;
    }
    m_TimeoutTimer.start(m_Settings.timeoutMs);
    emit Line(QStringLiteral("%1 run %2 of %3: command sent")
                  .arg(Prefix(), QString::number(index), QString::number(m_Settings.runs)));
}

double TtffRunner::SinceSend(Clock::time_point at) const
{
    return std::chrono::duration<double>(at - m_SentAt).count();
}

void TtffRunner::Feed(std::string_view bytes)
{
    if ((m_State != State::Measuring && m_State != State::Settling) || bytes.empty())
        return;
    const Clock::time_point arrival = Clock::now();
    m_BytesSinceSend += bytes.size();
    m_QuietTimer.start(kQuietMs);
    while ((m_State == State::Measuring || m_State == State::Settling) && !bytes.empty()) {
        const size_t end = bytes.find('\n');
        if (end == std::string_view::npos) {
            m_Partial.append(bytes);
            if (m_Partial.size() > EpochReader::kLongestLine)
                m_Partial.clear();
            return;
        }
        if (m_Partial.empty()) {
            FeedLine(bytes.substr(0, end + 1), arrival);
        } else {
            m_Partial.append(bytes.substr(0, end + 1));
            const std::string line = std::move(m_Partial);
            m_Partial.clear();
            FeedLine(line, arrival);
        }
        bytes.remove_prefix(end + 1);
    }
}

void TtffRunner::FeedLine(std::string_view line, Clock::time_point arrival)
{
    if (m_State == State::Measuring) {
        if (const std::optional<std::string> why = Refusal(line)) {
            EndRun(RunOutcome::Refused, SinceSend(arrival), *why, "the receiver refused the command (" + *why + ")");
            return;
        }
    }
    const bool wasOpen = m_Reader->Open();
    const size_t before = m_Log->epochs.size();
    m_Reader->Feed(line);
    const size_t after = m_Log->epochs.size();
    // The epochs this line closed arrived with the open epoch's first line.
    for (size_t k = before; k < after; ++k)
        m_EpochArrivals.push_back(m_OpenArrival);
    if (m_Reader->Open() && (!wasOpen || after > before))
        m_OpenArrival = arrival;
    CheckNewEpochs();
}

void TtffRunner::CloseEpoch()
{
    const bool wasOpen = m_Reader->Open();
    const size_t before = m_Log->epochs.size();
    m_Reader->Finish();
    if (wasOpen && m_Log->epochs.size() > before)
        m_EpochArrivals.push_back(m_OpenArrival);
    CheckNewEpochs();
}

void TtffRunner::CheckNewEpochs()
{
    const size_t known = std::min(m_Log->epochs.size(), m_EpochArrivals.size());
    if (m_State != State::Measuring) {
        m_Judged = known;
        return;
    }
    for (; m_State == State::Measuring && m_Judged < known; ++m_Judged) {
        const Clock::time_point arrival = m_EpochArrivals[m_Judged];
        const double seconds = SinceSend(arrival);
        if (arrival < m_SentAt || seconds * 1000 < m_Settings.holdoffMs || seconds * 1000 > m_Settings.timeoutMs)
            continue;
        const Epoch& epoch = m_Log->epochs[m_Judged];
        if (!Meets(epoch, m_Settings.criterion))
            continue;
        EndRun(RunOutcome::Fix, seconds, {}, {}, &epoch);
        return;
    }
}

void TtffRunner::OnTimeout()
{
    if (m_State != State::Measuring)
        return;
    // An epoch that began before the deadline still counts.
    CloseEpoch();
    if (m_State != State::Measuring)
        return;
    if (m_BytesSinceSend == 0) {
        EndRun(RunOutcome::Timeout, m_Settings.timeoutMs / 1000.0, "the receiver sent nothing after the command",
            "the receiver sent nothing in the " + SecondsText(m_Settings.timeoutMs / 1000.0) + " s after the command");
        return;
    }
    EndRun(RunOutcome::Timeout, m_Settings.timeoutMs / 1000.0, "no valid fix");
}

void TtffRunner::SourceLost(const std::string& reason)
{
    const std::string why = "the receiver was lost (" + reason + ")";
    if (m_State == State::Measuring)
        EndRun(RunOutcome::Lost, SinceSend(Clock::now()), reason, why);
    else if (m_State == State::Settling)
        EndSeries(why);
}

void TtffRunner::Stop()
{
    if (m_State == State::Measuring)
        EndRun(RunOutcome::Stopped, SinceSend(Clock::now()), "stopped by the user", "stopped by the user");
    else if (m_State == State::Settling)
        EndSeries("stopped by the user");
}

void TtffRunner::EndRun(RunOutcome outcome, double seconds, const std::string& note, const std::string& seriesEnd,
    const Epoch* fix)
{
    m_TimeoutTimer.stop();
    m_QuietTimer.stop();
    TtffRun& run = m_Series.runs.emplace_back();
    run.index = int(m_Series.runs.size());
    run.outcome = outcome;
    run.seconds = seconds;
    run.sentUtc = m_SentUtc;
    run.note = note;
    if (fix && fix->Has(Epoch::kPosition)) {
        run.position = true;
        run.latitude = fix->latitude;
        run.longitude = fix->longitude;
    }
    const QString what =
        outcome == RunOutcome::Fix
            ? QStringLiteral("fix after %1 s").arg(seconds, 0, 'f', 3)
            : QStringLiteral("%1 after %2 s").arg(QString::fromLatin1(OutcomeKey(outcome))).arg(seconds, 0, 'f', 3);
    emit Line(QStringLiteral("%1 run %2: %3%4")
                  .arg(Prefix(), QString::number(run.index), what,
                      note.empty() ? QString() : QStringLiteral(" (%1)").arg(QString::fromStdString(note))));
    emit RunEnded(run);
    if (!seriesEnd.empty() || int(m_Series.runs.size()) >= m_Settings.runs) {
        EndSeries(seriesEnd);
        return;
    }
    m_State = State::Settling;
    m_SettleTimer.start(m_Settings.settleMs);
}

void TtffRunner::EndSeries(const std::string& why)
{
    m_TimeoutTimer.stop();
    m_SettleTimer.stop();
    m_QuietTimer.stop();
    if (m_State == State::Done)
        return;
    m_State = State::Done;
    m_Series.ended = why;
    const TtffSummary s = Summarize(m_Series);
    QString line = QStringLiteral("%1: %2 runs, %3 fixes, %4 timeouts")
                       .arg(Prefix(), QString::number(s.runs), QString::number(s.fixes), QString::number(s.timeouts));
    if (s.fixes)
        line += QStringLiteral("; mean %1 s, median %2 s, max %3 s")
                    .arg(s.mean, 0, 'f', 3)
                    .arg(s.median, 0, 'f', 3)
                    .arg(s.max, 0, 'f', 3);
    if (!why.empty())
        line += QStringLiteral("; ended early: %1").arg(QString::fromStdString(why));
    emit Line(line);
    emit Finished();
}

}  // namespace orvane
