// SPDX-License-Identifier: GPL-3.0-or-later
// Replay of a loaded log: Run and the replay tick, speed, Repeat, seeking
// and Purge.

#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <QStringList>

#include "OrvaneDlg.h"
#include "SatellitesDlg.h"
#include "decoder/FieldConvert.h"
#include "decoder/FindSentence.h"
#include "decoder/GsvPass.h"
#include "replay/Dispatcher.h"

namespace orvane {

void COrvaneDlg::OnRun()
{
    const int32_t talkerRow =
        m_Ui.talkers->currentIndex() < 0 ? kNoTalker : TalkerRowFromLabel(m_Ui.talkers->currentText().toStdString());
    // A replay that starts at the beginning of the log (after the end, or
    // after a seek to the start) reads again what the fix summary has read:
    // the Sky View starts afresh, so that it counts each sentence once.
    const bool fromTheStart = !m_Replay.Running() && m_Replay.Cursor().m_ParsePosition <= 0;
    m_Replay.RunOrStop(talkerRow);
    if (fromTheStart)
        ResetSkyView();
    if (m_Replay.Running())
        NoteMissingSentences(talkerRow);
    UpdateControls();
}

void COrvaneDlg::NoteMissingSentences(int32_t talkerRow)
{
    // Only the decoded types show lines; the others finish at once anyway.
    const int messageRow = DecodedMessageRow(m_Ui.messages->currentIndex());
    if (messageRow < 0 || talkerRow < 0 || talkerRow >= kTalkerCount)
        return;
    const std::string_view text = m_Replay.Text();
    std::string_view sentence;
    if (FindSentence(text, 0, talkerRow, messageRow, sentence) >= 0)
        return;
    const QString type = QString::fromLatin1(MessageTable[size_t(messageRow)].id.data(), 3);
    const auto address = [&type](int row) { return QString::fromLatin1(TalkerTable[size_t(row)].id.data(), 2) + type; };
    // The talkers of the Satellite list that have the type.
    QStringList others;
    for (int row = 0; row < kTalkerCount; ++row) {
        if (row != talkerRow && m_LogSummary.present[size_t(row)] &&
            FindSentence(text, 0, row, messageRow, sentence) >= 0)
            others << address(row);
    }
    AppendLine(
        QStringLiteral("[Replay] the log has no %1 sentences; %2")
            .arg(address(talkerRow), others.isEmpty() ? QStringLiteral("it has no %1 sentences").arg(type)
                                                      : QStringLiteral("it has ") + others.join(QStringLiteral(", "))));
}

void COrvaneDlg::OnReplayTick()
{
    // kept as is: the tick reads the Repeat button's pressed state, which
    // changes together with m_Repeat on every click.
    const ReplayEngine::TickOutcome outcome = m_Replay.Tick(*m_Hooks, Options(), m_Ui.repeat->isChecked());
    if (outcome != ReplayEngine::TickOutcome::Continued)
        UpdateControls();
    // Starting over, the replay reads the log again from its beginning.
    if (outcome == ReplayEngine::TickOutcome::StartedOver)
        ResetSkyView();
    FollowSkyView();
    FollowCharts();
}

void COrvaneDlg::OnSeek(int value)
{
    m_Replay.Seek(value);
    FollowCharts();
}

void COrvaneDlg::ChangeSpeed(int delta)
{
    m_Replay.ChangeSpeed(delta);
    UpdateSpeedButtons();
}

void COrvaneDlg::OnFaster()
{
    ChangeSpeed(+1);
}

void COrvaneDlg::OnSlower()
{
    ChangeSpeed(-1);
}

void COrvaneDlg::OnRepeat()
{
    m_Replay.FlipRepeat();
    UpdateControls();
}

void COrvaneDlg::Purge()
{
    // The log goes with its memory, not only its length.
    m_Replay.Unload();
    m_Epochs.ForgetLog();
    // The satellites start afresh, for a log or a live session.
    ClearSatelliteTable(m_LiveCursor.m_SatelliteTable);
    if (m_SatellitesDlg)
        m_SatellitesDlg->ResetSignals(true);
    m_LogSummary.present.fill(false);
    ResetSkyView();
    ResetCharts();
    m_Ui.slider->setValue(0);
    UpdateControls();
    m_Ui.talkers->clear();
    m_Ui.messages->clear();
}

}  // namespace orvane
