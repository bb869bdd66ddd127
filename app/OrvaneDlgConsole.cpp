// SPDX-License-Identifier: GPL-3.0-or-later
// The Send to Receiver window of the main window: opened from the window
// menu or with Ctrl+R; each command typed goes to the open receiver (the
// serial port, else the [sources] NMEA server) with a [Send] line in the
// text view and a mark in the recording, and after each live tick the
// window shows the receiver's answers.

#include <QDateTime>
#include <QShortcut>

#include "OrvaneDlg.h"
#include "ReceiverConsoleDlg.h"
#include "TtffDlg.h"
#include "live/ReceiverCommand.h"

namespace orvane {

void COrvaneDlg::SetUpReceiverConsole()
{
    auto* console = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
    connect(console, &QShortcut::activated, this, &COrvaneDlg::OnReceiverConsole);
    auto* ttff = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), this);
    connect(ttff, &QShortcut::activated, this, &COrvaneDlg::OnTtffTest);
    // The TTFF test reads its receiver's bytes as they arrive, not per tick.
    m_Live.SetArrivalTap([this](SourceId source, std::string_view bytes) {
        if (m_TtffRunner && source == m_TtffSource)
            m_TtffRunner->Feed(bytes);
    });
    m_Live.SetEndTap([this](SourceId source, const QString& reason) {
        if (m_TtffRunner && source == m_TtffSource)
            m_TtffRunner->SourceLost(reason.toStdString());
    });
}

void COrvaneDlg::ReadCommandPresets()
{
    ReadConfig(m_CommandPresets, [this](const QString& line) { AppendLine(line); });
    if (m_ReceiverConsoleDlg)
        m_ReceiverConsoleDlg->SetPresets(m_CommandPresets.presets);
    if (m_TtffDlg)
        m_TtffDlg->SetPresets(m_CommandPresets.presets);
}

void COrvaneDlg::OnReceiverConsole()
{
    if (!m_ReceiverConsoleDlg) {
        m_ReceiverConsoleDlg = std::make_unique<ReceiverConsoleDlg>(this);
        connect(m_ReceiverConsoleDlg.get(), &ReceiverConsoleDlg::SendRequested, this,
            [this](const QString& typed) { SendToReceiver(typed); });
    }
    ReadCommandPresets();
    m_ReceiverConsoleDlg->show();
    m_ReceiverConsoleDlg->raise();
    m_ReceiverConsoleDlg->activateWindow();
}

LiveSession::SendResult COrvaneDlg::SendToReceiver(const QString& typed)
{
    const ReceiverCommand command = MakeReceiverCommand(typed.toStdString());
    LiveSession::SendResult result;
    QString shown = typed.trimmed();
    if (!command.Ok()) {
        result.reason = QString::fromStdString(command.error);
    } else {
        shown = QString::fromLatin1(CommandDisplayText(command));
        result = m_Live.SendToReceiver(command.bytes);
    }
    if (result.sent) {
        AppendLine(QStringLiteral("[Send] %1").arg(shown));
        const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
        m_Live.NoteForRecording(RecordingMark(command, now.toStdString()));
    } else {
        AppendLine(QStringLiteral("[Send] not sent: %1 (%2)").arg(shown, result.reason));
    }
    if (m_ReceiverConsoleDlg)
        m_ReceiverConsoleDlg->NoteSent(typed.trimmed(), shown, result.sent,
            result.sent ? QStringLiteral("to %1").arg(result.target) : result.reason);
    return result;
}

void COrvaneDlg::FollowReceiverConsole(std::string_view tickText)
{
    if (m_ReceiverConsoleDlg && m_ReceiverConsoleDlg->isVisible())
        m_ReceiverConsoleDlg->NoteReceived(tickText);
}

}  // namespace orvane
