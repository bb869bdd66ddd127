// SPDX-License-Identifier: GPL-3.0-or-later
// The position line to the forwarding clients and the upload server.

#include <QPushButton>

#include "OrvaneDlg.h"
#include "live/StatusWord.h"
#include "settings/Config.h"

namespace orvane {

void COrvaneDlg::SetUpForwardingAndUpload()
{
    m_Sender = std::make_unique<PositionSender>();
    // Its status lines go to the view; its clients' and the upload server's
    // bytes to the live session, which takes them as the TCP input's.
    connect(m_Sender.get(), &NoticeSource::Status, this, &COrvaneDlg::OnStatusLine, Qt::QueuedConnection);
    m_Live.Follow(*m_Sender);
    const auto appendLine = [this](const QString& line) { AppendLine(line); };
    if (ReadConfig(m_ForwardingConfig, appendLine)) {
        const bool forwarding = m_Sender->StartForwarding(m_ForwardingConfig);
        AppendLine(QStringLiteral("[TCP] %1 to open the TCP port for data forwarding (%2)")
                       .arg(OkOrFail(forwarding), QString::number(m_ForwardingConfig.outputPort)));
        if (!forwarding)
            AppendLine(QStringLiteral("[TCP] the TCP port for data forwarding (%1): %2")
                           .arg(QString::number(m_ForwardingConfig.outputPort), m_Sender->ForwardingError()));
    }

    if (!ReadConfig(m_UploadConfig, appendLine))
        return;
    // The connection is made in the background; a server that cannot be
    // reached is tried again when a position is to be sent. Making the
    // socket cannot fail, so the line always reads OK.
    m_Sender->StartUpload(m_UploadConfig);
    AppendLine(QStringLiteral("[TCP] OK to open the TCP port for data uploading: %1")
                   .arg(QString::number(m_UploadConfig.port)));
}

void COrvaneDlg::ShutDownForwardingAndUpload()
{
    m_Sender.reset();
}

void COrvaneDlg::SendPosition(double latitude, double longitude, double heading)
{
    if (!m_Sender || (!m_Sender->Forwarding() && !m_Sender->Uploading()))
        return;
    m_Sender->Send(PositionLine(m_UploadConfig.vin.toLatin1().toStdString(), latitude, longitude, heading));
}

}  // namespace orvane
