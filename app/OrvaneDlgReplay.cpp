// Replay of a loaded log: Run and the replay tick, speed, Repeat, seeking,
// Clear and Purge, and the enabled states and captions of the controls.

#include <QComboBox>
#include <QPushButton>
#include <QSlider>

#include "OrvaneDlg.h"
#include "SatellitesDlg.h"
#include "decoder/FieldConvert.h"
#include "decoder/GsvPass.h"
#include "replay/Dispatcher.h"

namespace orvane {

void COrvaneDlg::OnRun()
{
    // From the end of the log the replay starts over.
    if (m_State.m_ParsePosition < 0) {
        m_State.m_ParsePosition = 0;
        m_State.m_SliderValue = 0;
    }
    if (m_State.m_Running) {
        m_ReplayTimer.stop();
        m_State.m_Running = false;
    } else {
        const QComboBox* talkers = m_Ui.talkers;
        m_State.m_TalkerRow =
            talkers->currentIndex() < 0 ? kNoTalker : TalkerRowFromLabel(talkers->currentText().toStdString());
        m_State.m_Running = true;
        // The first tick comes one period later.
        m_ReplayTimer.start(m_ReplayInterval);
    }
    UpdateButtons();
}

void COrvaneDlg::OnReplayTick()
{
    // A parser error cleared m_Running during the previous tick.
    if (!m_State.m_Running) {
        m_ReplayTimer.stop();
        UpdateButtons();
        return;
    }
    if (DispatchSentences(m_State, *this))
        return;
    if (m_Ui.repeat->isChecked()) {
        m_State.m_ParsePosition = 0;
        m_State.m_SliderValue = 0;
        AppendLine(QStringLiteral("Replay Log"));
    } else {
        m_State.m_Running = false;
        m_ReplayTimer.stop();
        AppendLine(QStringLiteral("Finish Parsing"));
    }
    UpdateButtons();
}

void COrvaneDlg::OnSeek(int value)
{
    m_State.m_SliderValue = value;
    m_State.m_ParsePosition = TruncateToInt32(double(value) / 10000.0 * double(m_State.NmeaTextLength));
}

void COrvaneDlg::ChangeSpeed(int delta)
{
    const int step = m_SpeedStep + delta;
    if (step >= kSlowestSpeedStep && step <= kFastestSpeedStep) {
        m_SpeedStep = int16_t(step);
        m_ReplayInterval = ReplayIntervalFor(m_SpeedStep);
        // A running replay restarts, so the next tick comes one full new
        // period after the click.
        if (m_State.m_Running)
            m_ReplayTimer.start(m_ReplayInterval);
    }
    m_Ui.faster->setEnabled(m_SpeedStep < kFastestSpeedStep);
    m_Ui.slower->setEnabled(m_SpeedStep > kSlowestSpeedStep);
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
    m_Repeat = !m_Repeat;
    UpdateButtons();
}

void COrvaneDlg::Purge()
{
    m_ReplayTimer.stop();
    ClearSatelliteTable(m_State.m_SatelliteTable);
    if (m_SatellitesDlg)
        m_SatellitesDlg->ResetSignals(true);
    m_LogSummary.present.fill(false);
    m_State.m_Running = false;
    m_State.m_Loaded = false;
    m_State.m_ParsePosition = 0;
    m_State.m_SliderValue = 0;
    m_Ui.slider->setValue(0);
    // Give the log's memory back, not only its length.
    std::string().swap(m_State.NmeaText);
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
    m_Ui.faster->setEnabled(m_SpeedStep < kFastestSpeedStep);
    m_Ui.slower->setEnabled(m_SpeedStep > kSlowestSpeedStep);
    m_Ui.purge->setEnabled(loaded);
    m_Ui.run->setText(running ? QStringLiteral("Stop") : QStringLiteral("Run"));
    // Online, the lists stay open for a new choice at any time.
    m_Ui.talkers->setEnabled(m_State.m_Online || stopped);
    m_Ui.messages->setEnabled(m_State.m_Online || stopped);
    m_Ui.repeat->setText(m_Repeat ? QStringLiteral("Once") : QStringLiteral("Repeat"));
    QSlider* slider = m_Ui.slider;
    slider->setEnabled(stopped);
    slider->setValue(m_State.m_SliderValue);
}

}  // namespace orvane
