// SPDX-License-Identifier: GPL-3.0-or-later
#include "UdpFeed.h"

#include <QCoreApplication>

#include "NetworkServer.h"

namespace orvane {

namespace {
constexpr qsizetype kNoticeChunk = 1024;
// What a closing source hands on at most, so that senders that keep
// sending cannot hold the close.
constexpr qsizetype kMaxPending = 1 << 20;
}  // namespace

UdpFeed::UdpFeed(quint16 port, QObject* target, qint64 maxDatagram)
    : m_Port(port), m_Target(target), m_MaxDatagram(maxDatagram), m_Id(NewSourceId())
{
    connect(&m_Socket, &QUdpSocket::readyRead, this, &UdpFeed::OnReadable);
}

bool UdpFeed::Open(QString& reason)
{
    if (m_Socket.bind(QHostAddress::Any, m_Port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
        return true;
    reason = m_Socket.errorString();
    m_Socket.abort();
    return false;
}

void UdpFeed::Close()
{
    m_Socket.abort();
}

QByteArray UdpFeed::Receive(QString& sender)
{
    const qint64 size = m_Socket.pendingDatagramSize();
    QHostAddress address;
    quint16 port = 0;
    if (size > m_MaxDatagram) {
        char first = 0;
        m_Socket.readDatagram(&first, 1, &address, &port);  // the rest of it is discarded
        QCoreApplication::postEvent(m_Target,
            new StatusNotice(QStringLiteral("[UDP] dropped a datagram of %1 bytes from %2 (over %3 bytes)")
                                 .arg(QString::number(size), PeerText(address, port), QString::number(m_MaxDatagram))));
        return {};
    }
    QByteArray datagram(qMax<qint64>(size, 0), Qt::Uninitialized);
    const qint64 read = m_Socket.readDatagram(datagram.data(), datagram.size(), &address, &port);
    datagram.truncate(qMax<qint64>(read, 0));
    sender = PeerText(address, port);
    return datagram;
}

void UdpFeed::OnReadable()
{
    while (m_Socket.hasPendingDatagrams()) {
        QString sender;
        const QByteArray datagram = Receive(sender);
        if (datagram.isEmpty())
            continue;
        // Each sender's sentences stay whole: the unfinished line of the
        // previous sender goes on before another sender's bytes follow.
        if (sender != m_LastSender && !m_LastEndedLine)
            QCoreApplication::postEvent(m_Target, new TcpClosedNotice(m_Id));
        m_LastSender = sender;
        m_LastEndedLine = datagram.endsWith('\n') || datagram.endsWith('\r');
        for (qsizetype at = 0; at < datagram.size(); at += kNoticeChunk)
            QCoreApplication::postEvent(m_Target, new TcpDataNotice(m_Id, sender, datagram.mid(at, kNoticeChunk)));
    }
}

void UdpFeed::TakePending(const SourceBytesSink& sink)
{
    QByteArray bytes;
    while (m_Socket.state() == QAbstractSocket::BoundState && bytes.size() < kMaxPending &&
           m_Socket.hasPendingDatagrams()) {
        QString sender;
        bytes += Receive(sender);
    }
    if (!bytes.isEmpty())
        sink(m_Id, bytes);
}

}  // namespace orvane
