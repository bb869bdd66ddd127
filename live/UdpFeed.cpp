// SPDX-License-Identifier: GPL-3.0-or-later
#include "UdpFeed.h"

#include "NetworkServer.h"

namespace orvane {

namespace {
constexpr qsizetype kNoticeChunk = 1024;
// What a closing source hands on at most, so that senders that keep
// sending cannot hold the close.
constexpr qsizetype kMaxPending = 1 << 20;
}  // namespace

UdpFeed::UdpFeed(quint16 port, qint64 maxDatagram, const QHostAddress& address)
    : m_Port(port), m_MaxDatagram(maxDatagram), m_Address(address)
{
    connect(&m_Socket, &QUdpSocket::readyRead, this, &UdpFeed::OnReadable);
}

bool UdpFeed::Owns(SourceId source) const
{
    for (const SourceId id : m_SenderIds) {
        if (id == source)
            return true;
    }
    return m_Retired.contains(source);
}

bool UdpFeed::Open(QString& reason)
{
    if (m_Socket.bind(m_Address, m_Port, QUdpSocket::DontShareAddress))
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
        emit Status(QStringLiteral("[UDP] dropped a datagram of %1 bytes from %2 (over %3 bytes)")
                        .arg(QString::number(size), PeerText(address, port), QString::number(m_MaxDatagram)));
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
        const SourceId id = IdOf(sender);
        for (qsizetype at = 0; at < datagram.size(); at += kNoticeChunk)
            emit Received(id, sender, datagram.mid(at, kNoticeChunk));
    }
}

SourceId UdpFeed::IdOf(const QString& sender)
{
    const auto known = m_SenderIds.constFind(sender);
    if (known != m_SenderIds.constEnd()) {
        m_SenderOrder.move(m_SenderOrder.indexOf(sender), m_SenderOrder.size() - 1);
        return *known;
    }
    // The sender heard from least recently gives up its id; a rest it left
    // waiting still goes on after its second of silence.
    if (m_SenderOrder.size() >= kMaxSenders) {
        m_Retired.append(m_SenderIds.take(m_SenderOrder.takeFirst()));
        if (m_Retired.size() > kMaxSenders)
            m_Retired.removeFirst();
    }
    const SourceId id = NewSourceId();
    m_SenderIds.insert(sender, id);
    m_SenderOrder.append(sender);
    return id;
}

void UdpFeed::TakePending(const SourceBytesSink& sink)
{
    qsizetype taken = 0;
    while (m_Socket.state() == QAbstractSocket::BoundState && taken < kMaxPending && m_Socket.hasPendingDatagrams()) {
        QString sender;
        const QByteArray datagram = Receive(sender);
        if (datagram.isEmpty())
            continue;
        taken += datagram.size();
        sink(IdOf(sender), datagram);
    }
}

}  // namespace orvane
