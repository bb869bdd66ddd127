// SPDX-License-Identifier: GPL-3.0-or-later
// Online mode: the Online Mode, live-input and recording buttons, the
// developer codes, the status lines of the live sources and the serial
// queue's message, and the live tick that decodes what arrived in the last
// 100 ms.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "DeveloperCode.h"
#include "OrvaneDlg.h"
#include "SatellitesDlg.h"
#include "UiSeam.h"
#include "replay/Dispatcher.h"

namespace orvane {

namespace {
constexpr int kLiveTickMs = 100;
}  // namespace

void COrvaneDlg::OnOnlineMode()
{
    if (!m_State.m_Online) {
        m_State.m_Online = true;
        Purge();
        m_LiveTrack.Clear();
        m_Epochs.StartLive();
        m_Live.EndTick();
        QComboBox* talkers = m_Ui.talkers;
        for (int row = 0; row < kTalkerCount; ++row)
            talkers->addItem(QString::fromStdString(TalkerLabel(row)));
        talkers->setCurrentIndex(0);
        QComboBox* messages = m_Ui.messages;
        for (const MessageEntry& entry : MessageTable)
            messages->addItem(QString::fromLatin1(entry.display.data(), qsizetype(entry.display.size())));
        messages->setCurrentIndex(kDefaultMessageRow);
    } else {
        // The last tick runs as a live tick, before anything closes.
        FinalLiveTick();
        m_State.m_Online = false;
        m_LiveTimer.stop();
        m_Recorder.CancelRestart();
        if (m_SatellitesDlg)
            m_SatellitesDlg->ResetSignals(true);
        m_LogSummary.present.fill(false);
        ResetSkyView();
        m_Epochs.FinishLive();
        if (m_Live.IsOpen())
            OnLiveInput();
        if (m_Recorder.Recording())
            m_Recorder.Toggle();
        m_Ui.talkers->clear();
        m_Ui.messages->clear();
    }
    ResetCharts();
    UpdateControls(SignalsRule::Keep);
}

void COrvaneDlg::OnLiveInput()
{
    if (!m_Live.IsOpen()) {
        m_Live.Open();
    } else {
        // What came in since the last tick is decoded, forwarded and
        // recorded before the close lines.
        FinalLiveTick();
        m_Live.Close();
    }
    if (!m_Live.IsOpen()) {
        m_LiveTimer.stop();
        if (m_Recorder.Recording())
            m_Recorder.Toggle();
    } else {
        m_LiveTimer.start(kLiveTickMs);
    }
    UpdateControls(SignalsRule::Keep);
}

void COrvaneDlg::FinalLiveTick()
{
    if (!m_State.m_Online || !m_Live.IsOpen())
        return;
    m_Live.TakeEverything();
    OnLiveTick();
}

void COrvaneDlg::OnStatusLine(QString line)
{
    while (line.endsWith(QChar('\r')) || line.endsWith(QChar('\n')))
        line.chop(1);
    if (!line.isEmpty())
        AppendLine(line);
}

void COrvaneDlg::OnQueueFull()
{
    m_Seam.MessageBox(this, QStringLiteral("m_QueueRead FULL!"));
    m_Live.AcknowledgeQueueFull();
}

void COrvaneDlg::OnLiveTick()
{
    // A source that has been silent for a second has its waiting rest
    // decoded now instead of holding it until its next line end.
    m_Live.PassIdleRests();
    if (m_Live.RecordText().empty())
        return;
    m_Live.SetBusy(true);
    const std::string& text = m_Live.TickText();
    if (!text.empty()) {
        m_LiveTrack.Feed(text);
        m_Epochs.FeedLive(text);
        m_LiveCursor.m_ParsePosition = 0;
        m_LiveCursor.m_TalkerRow = m_Ui.talkers->currentIndex();
        if (m_Live.RawDataVisible())
            AppendLine(QString::fromLatin1(text.data(), qsizetype(text.size())));
        while (DispatchSentences(text, m_LiveCursor, Options(), *m_Hooks)) { }
        FollowSkyView();
        FollowCharts();
        FollowNtrip(text);
        FollowReceiverConsole(text);
    }
    m_Recorder.Step(m_Live.RecordText(), m_Recorder.ProgressShown());
    m_Live.EndTick();
    m_Live.SetBusy(false);
}

void COrvaneDlg::OnRecording()
{
    m_Recorder.Toggle();
    // A failed start leaves the button as it was before the click.
    m_Ui.recording->setChecked(m_Recorder.Recording());
}

void COrvaneDlg::OnRecordingChanged()
{
    m_Ui.recording->setChecked(m_Recorder.Recording());
    UpdateControls(SignalsRule::Keep);
}

void COrvaneDlg::OnDeveloperCode()
{
    auto* edit = m_Ui.developerCodeEdit;
    const QString typed = edit->text();
    edit->clear();
    const DeveloperCode code = ParseDeveloperCode(typed);
    AppendLine(DeveloperCodeLine(code));
    switch (code) {
    case DeveloperCode::ShowRawData:
        m_Live.SetRawDataVisible(true);
        break;
    case DeveloperCode::HideRawData:
        m_Live.SetRawDataVisible(false);
        break;
    case DeveloperCode::ShowRecording:
        m_Recorder.SetProgressShown(true);
        break;
    case DeveloperCode::HideRecording:
        m_Recorder.SetProgressShown(false);
        break;
    case DeveloperCode::Invalid:
        break;
    }
}

}  // namespace orvane
