// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A live source that listens for NMEA datagrams on a UDP port, from any
// sender: boats and many bridges broadcast their sentences this way. The
// datagrams reach the window as data notices of the feed's source id, with
// the sender as the peer text. A datagram over the size limit is dropped
// with a status line; what came before it is kept.

#include <QObject>
#include <QString>
#include <QUdpSocket>

#include "Notices.h"
#include "TcpFeed.h"

namespace orvane {

class UdpFeed : public QObject {
    Q_OBJECT
public:
    // The largest datagram taken; larger ones are dropped.
    static constexpr qint64 kMaxDatagram = 64 * 1024;

    UdpFeed(quint16 port, QObject* target, qint64 maxDatagram = kMaxDatagram);

    quint16 Port() const { return m_Port; }
    SourceId Id() const { return m_Id; }

    // Binds the port on all local addresses, shared with other listeners of
    // the same broadcast. On failure sets reason and stays closed.
    bool Open(QString& reason);
    // Hands the datagrams that wait and have not been posted to sink.
    void TakePending(const SourceBytesSink& sink);
    void Close();

private:
    void OnReadable();
    // The next datagram as it goes on: empty when it was dropped.
    QByteArray Receive(QString& sender);

    quint16 m_Port;
    QObject* m_Target;
    qint64 m_MaxDatagram;
    SourceId m_Id;
    QUdpSocket m_Socket;
    QString m_LastSender;
    bool m_LastEndedLine = true;
};

}  // namespace orvane
