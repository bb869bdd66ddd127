// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A live source that listens for NMEA datagrams on a UDP port, from any
// sender: boats and many bridges broadcast their sentences this way. The
// feed tells the datagrams as received bytes with the sender as the peer
// text, and each sender has a source id of its own, so that one sender's
// unfinished sentence waits for its own rest and never joins another
// sender's. A datagram over the size limit is dropped with a status line;
// what came before it is kept.

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QUdpSocket>

#include "Notices.h"
#include "TcpFeed.h"

namespace orvane {

class UdpFeed : public NoticeSource {
    Q_OBJECT
public:
    // The largest datagram taken; larger ones are dropped.
    static constexpr qint64 kMaxDatagram = 64 * 1024;

    // At most this many senders keep an id of their own; past that the
    // sender heard from least recently gives its id up. The feed still owns
    // the ids it gave up last (as many again), so bytes already on their
    // way under one are not dropped.
    static constexpr int kMaxSenders = 256;

    explicit UdpFeed(quint16 port, qint64 maxDatagram = kMaxDatagram,
        const QHostAddress& address = QHostAddress(QHostAddress::Any));

    quint16 Port() const { return m_Port; }
    const QHostAddress& Address() const { return m_Address; }
    // Whether the id is one of this feed's senders'.
    bool Owns(SourceId source) const;

    // Binds the port on the address, for this feed alone: a port another
    // program holds is refused (with the reason) rather than shared, where
    // the datagrams would go to the other program. On failure sets reason
    // and stays closed.
    bool Open(QString& reason);
    // Hands the datagrams that wait and have not been told to sink.
    void TakePending(const SourceBytesSink& sink);
    void Close();

private:
    void OnReadable();
    // The next datagram as it goes on: empty when it was dropped.
    QByteArray Receive(QString& sender);
    SourceId IdOf(const QString& sender);

    quint16 m_Port;
    qint64 m_MaxDatagram;
    QHostAddress m_Address;
    QUdpSocket m_Socket;
    QHash<QString, SourceId> m_SenderIds;
    QList<QString> m_SenderOrder;  // least recently heard first
    QList<SourceId> m_Retired;     // ids given up, oldest first
};

}  // namespace orvane
