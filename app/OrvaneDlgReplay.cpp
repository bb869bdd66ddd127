// SPDX-License-Identifier: GPL-3.0-or-later
// Replay of a loaded log: Run and the replay tick, speed, Repeat, seeking,
// Clear and Purge, and the enabled states and captions of the controls.

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
    const bool fromTheStart = !m_State.m_Running && m_State.m_ParsePosition <= 0;
    m_Replay.RunOrStop(talkerRow);
    if (fromTheStart)
        ResetSkyView();
    if (m_State.m_Running)
        NoteMissingSentences(talkerRow);
    UpdateButtons();
}

void COrvaneDlg::NoteMissingSentences(int32_t talkerRow)
{
    // Only the decoded types show lines; the others finish at once anyway.
    const int messageRow = DecodedMessageRow(SelectedMessageRow());
    if (messageRow < 0 || talkerRow < 0 || talkerRow >= kTalkerCount)
        return;
    const std::string_view text = m_State.Text();
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
    const ReplayEngine::TickOutcome outcome = m_Replay.Tick(m_Ui.repeat->isChecked());
    if (outcome != ReplayEngine::TickOutcome::Continued)
        UpdateButtons();
    // Starting over, the replay reads the log again from its beginning.
    if (outcome == ReplayEngine::TickOutcome::StartedOver)
        ResetSkyView();
    FollowSkyView();
}

void COrvaneDlg::OnSeek(int value)
{
    m_Replay.Seek(value);
}

void COrvaneDlg::ChangeSpeed(int delta)
{
    m_Replay.ChangeSpeed(delta);
    m_Ui.faster->setEnabled(m_Replay.SpeedStep() < kFastestSpeedStep);
    m_Ui.slower->setEnabled(m_Replay.SpeedStep() > kSlowestSpeedStep);
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
    UpdateButtons();
}

void COrvaneDlg::Purge()
{
    m_Replay.Stop();
    ClearSatelliteTable(m_State.m_SatelliteTable);
    if (m_SatellitesDlg)
        m_SatellitesDlg->ResetSignals(true);
    m_LogSummary.present.fill(false);
    ResetSkyView();
    m_State.m_Loaded = false;
    m_State.m_ParsePosition = 0;
    m_State.m_SliderValue = 0;
    m_Ui.slider->setValue(0);
    // Give the log's memory back, not only its length.
    std::string().swap(m_State.NmeaText);
    m_State.Log.Clear();
    m_State.NmeaTextLength = 0;
    UpdateButtons();
    m_Ui.talkers->clear();
    m_Ui.messages->clear();
}

void COrvaneDlg::UpdateButtons()
{
    const bool loaded = m_State.m_Loaded;
    const bool running = m_State.m_Running;
    const bool stopped = loaded && !running;

    QPushButton* showSignals = m_Ui.showSignals;
    // kept as is: online, the rule is "either source closed", which holds
    // always (the two are never open together).
    showSignals->setEnabled(m_State.m_Online ? !m_Live.SerialOpen() || !m_Live.TcpInputOpen() : stopped);
    showSignals->setText(m_State.m_SignalsShown ? QStringLiteral("Hide Signals") : QStringLiteral("Show Signals"));
    m_Ui.run->setEnabled(loaded);
    m_Ui.faster->setEnabled(m_Replay.SpeedStep() < kFastestSpeedStep);
    m_Ui.slower->setEnabled(m_Replay.SpeedStep() > kSlowestSpeedStep);
    m_Ui.purge->setEnabled(loaded);
    m_Ui.run->setText(running ? QStringLiteral("Stop") : QStringLiteral("Run"));
    // Online, the lists stay open for a new choice at any time.
    m_Ui.talkers->setEnabled(m_State.m_Online || stopped);
    m_Ui.messages->setEnabled(m_State.m_Online || stopped);
    m_Ui.repeat->setText(m_Replay.Repeat() ? QStringLiteral("Once") : QStringLiteral("Repeat"));
    QSlider* slider = m_Ui.slider;
    slider->setEnabled(stopped);
    slider->setValue(m_State.m_SliderValue);
}

}  // namespace orvane
