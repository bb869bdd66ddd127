// SPDX-License-Identifier: GPL-3.0-or-later
// The NTRIP client of the main window and its window: opened from the
// window menu or with Ctrl+N. Connect reads the [ntrip] group of
// config.ini (its [Config] lines go to the text view, like every group's)
// and starts the client, whose lines join the live sources' lines; each
// live tick hands it the receiver's latest fix as a GGA sentence, and the
// tick's text to the RTK figures the window shows.

#include <QShortcut>

#include "NtripDlg.h"
#include "OrvaneDlg.h"
#include "decoder/GgaSentence.h"
#include "settings/NtripConfig.h"

namespace orvane {

void COrvaneDlg::SetUpNtrip()
{
    auto* key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_N), this);
    connect(key, &QShortcut::activated, this, &COrvaneDlg::OnNtrip);
}

void COrvaneDlg::OnNtrip()
{
    if (!m_NtripDlg) {
        m_NtripDlg = std::make_unique<NtripDlg>(this);
        connect(m_NtripDlg.get(), &NtripDlg::ConnectClicked, this, [this] { StartNtrip(false); });
        connect(m_NtripDlg.get(), &NtripDlg::SourceTableClicked, this, [this] { StartNtrip(true); });
        connect(m_NtripDlg.get(), &NtripDlg::DisconnectClicked, this, &COrvaneDlg::StopNtrip);
        m_NtripDlg->SetClient(m_Ntrip.get(), m_Ntrip ? m_Ntrip->Address() : QString());
        m_NtripDlg->SetRtk(m_NtripRtk.get());
    }
    m_NtripDlg->show();
    m_NtripDlg->raise();
    m_NtripDlg->activateWindow();
}

void COrvaneDlg::StartNtrip(bool sourceTable)
{
    StopNtrip();
    const NtripSettings settings = ReadNtripConfig(ConfigFilePath(), [this](const QString& line) { AppendLine(line); });
    if (!settings.Enabled()) {
        AppendLine(QStringLiteral("[NTRIP] no caster: set one in the [ntrip] group of config.ini"));
        return;
    }
    m_Ntrip = std::make_unique<NtripClient>(settings);
    m_NtripRtk = std::make_unique<RtkProgress>();
    connect(m_Ntrip.get(), &NoticeSource::Status, this, &COrvaneDlg::OnStatusLine);
    // The corrections go to the receiver as they came, through the one
    // write path the console uses too: the serial port, else the [sources]
    // NMEA server. A receiver that cannot take them is told once, until it
    // takes them again.
    m_NtripUnsent = false;
    connect(m_Ntrip.get(), &NtripClient::Corrections, this, [this](const QByteArray& bytes) {
        m_NtripRtk->NoteCorrections(m_Ntrip->NowMs());
        const LiveSession::SendResult sent =
            m_Live.SendToReceiver(std::string_view(bytes.data(), size_t(bytes.size())));
        if (!sent.sent && !m_NtripUnsent)
            AppendLine(QStringLiteral("[NTRIP] corrections not passed to the receiver: ") + sent.reason);
        else if (sent.sent && m_NtripUnsent)
            AppendLine(QStringLiteral("[NTRIP] corrections passed to ") + sent.target);
        m_NtripUnsent = !sent.sent;
    });
    FollowNtrip({});
    if (sourceTable)
        m_Ntrip->ReadSourceTable();
    else
        m_Ntrip->Open();
    if (m_NtripDlg) {
        m_NtripDlg->SetClient(m_Ntrip.get(), m_Ntrip->Address());
        m_NtripDlg->SetRtk(m_NtripRtk.get());
    }
}

void COrvaneDlg::StopNtrip()
{
    if (!m_Ntrip)
        return;
    if (m_NtripDlg) {
        m_NtripDlg->SetClient(nullptr, QString());
        m_NtripDlg->SetRtk(nullptr);
    }
    const QString address = m_Ntrip->Address();
    m_Ntrip.reset();
    m_NtripRtk.reset();
    AppendLine(QStringLiteral("[NTRIP] closed %1").arg(address));
}

void COrvaneDlg::FollowNtrip(std::string_view text)
{
    if (!m_Ntrip)
        return;
    m_NtripRtk->FeedText(text, m_Ntrip->NowMs());
    const FixSummary& summary = m_State.m_FixSummary;
    if (!summary.Position().Known() || !summary.Quality().Known() || summary.Quality().value == 0)
        return;
    GgaFix fix;
    if (summary.Time().Known())
        fix.timeOfDay = summary.Time().value;
    fix.latitude = summary.Position().value.latitude;
    fix.longitude = summary.Position().value.longitude;
    fix.quality = summary.Quality().value;
    // The satellites used come from GSA; without one the field stays empty.
    if (summary.SatellitesUsed() > 0)
        fix.satellites = summary.SatellitesUsed();
    if (summary.Hdop().Known())
        fix.hdop = summary.Hdop().value;
    if (summary.Altitude().Known())
        fix.altitude = summary.Altitude().value;
    m_Ntrip->SetLatestFix(QByteArray::fromStdString(GgaSentence(fix)), fix.latitude, fix.longitude);
}

}  // namespace orvane
