// SPDX-License-Identifier: GPL-3.0-or-later
#include "LiveSources.h"

namespace orvane {

namespace {

std::unique_ptr<TcpFeed> OpenFeed(TcpFeed::Kind kind, const QString& host, quint16 port,
    const LiveSources::LineSink& appendLine, const LiveSources::Follow& follow)
{
    if (host.isEmpty())
        return nullptr;
    auto feed = std::make_unique<TcpFeed>(kind, host, port);
    follow(*feed);
    appendLine(QStringLiteral("%1 connecting to %2").arg(feed->Label(), feed->Address()));
    feed->Open();
    return feed;
}

void CloseFeed(std::unique_ptr<TcpFeed>& feed, const LiveSources::LineSink& appendLine)
{
    if (!feed)
        return;
    feed->Close();
    appendLine(QStringLiteral("%1 OK to close (%2)").arg(feed->Label(), feed->Address()));
    feed.reset();
}

}  // namespace

LiveSources::LiveSources() = default;
LiveSources::~LiveSources() = default;

void LiveSources::Open(const LiveSourceSettings& settings, const LineSink& appendLine, const Follow& follow)
{
    m_NmeaServer =
        OpenFeed(TcpFeed::Kind::NmeaServer, settings.nmeaServerHost, settings.nmeaServerPort, appendLine, follow);
    m_Gpsd = OpenFeed(TcpFeed::Kind::Gpsd, settings.gpsdHost, settings.gpsdPort, appendLine, follow);
    if (settings.udpPort != 0) {
        m_Udp = std::make_unique<UdpFeed>(settings.udpPort, UdpFeed::kMaxDatagram, settings.udpAddress);
        follow(*m_Udp);
        QString reason;
        if (m_Udp->Open(reason)) {
            appendLine(QStringLiteral("[UDP] OK to listen on port %1").arg(settings.udpPort));
        } else {
            appendLine(
                QStringLiteral("[UDP] Fail to listen on port %1 (%2)").arg(QString::number(settings.udpPort), reason));
            m_Udp.reset();
        }
        // A listen address is named on a line of its own.
        if (settings.udpAddress != QHostAddress(QHostAddress::Any))
            appendLine(QStringLiteral("[UDP] on %1 only").arg(settings.udpAddress.toString()));
    }
}

void LiveSources::Close(const LineSink& appendLine)
{
    CloseFeed(m_NmeaServer, appendLine);
    CloseFeed(m_Gpsd, appendLine);
    if (m_Udp) {
        m_Udp->Close();
        appendLine(QStringLiteral("[UDP] OK to close port %1").arg(m_Udp->Port()));
        m_Udp.reset();
    }
}

bool LiveSources::Owns(SourceId source) const
{
    return (m_NmeaServer && m_NmeaServer->Id() == source) || (m_Gpsd && m_Gpsd->Id() == source) ||
           (m_Udp && m_Udp->Owns(source));
}

QString LiveSources::LabelOf(SourceId source) const
{
    if (m_NmeaServer && m_NmeaServer->Id() == source)
        return m_NmeaServer->Label();
    if (m_Gpsd && m_Gpsd->Id() == source)
        return m_Gpsd->Label();
    if (m_Udp && m_Udp->Owns(source))
        return QStringLiteral("[UDP]");
    return QStringLiteral("[TCP]");
}

void LiveSources::TakePending(const SourceBytesSink& sink)
{
    if (m_NmeaServer)
        m_NmeaServer->TakePending(sink);
    if (m_Gpsd)
        m_Gpsd->TakePending(sink);
    if (m_Udp)
        m_Udp->TakePending(sink);
}

}  // namespace orvane
