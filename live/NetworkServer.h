// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The TCP server behind the live input and the position forwarding.
// CNetworkClient listens and keeps its accepted connections, each a
// CNetwork, in order of acceptance. Whatever a connection receives, and
// every connect and disconnect, the server tells as its notices. All of it
// runs on the window's thread.

#include <QList>
#include <QObject>
#include <QString>

#include "Notices.h"

class QHostAddress;
class QTcpServer;
class QTcpSocket;

namespace orvane {

class CNetworkClient;

// After a failed accept the server waits this long before it accepts
// again, so that a failure that persists cannot keep the thread busy.
inline constexpr int kAcceptRetryMs = 100;

// "address:port", the address in dotted form also for an IPv4 address
// held as IPv6 (a peer of a dual-stack socket).
QString PeerText(const QHostAddress& address, quint16 port);
// PeerText of a connection's peer.
QString PeerTextOf(const QTcpSocket& socket);

// A number of its own for a new live source; the serial port is source 0.
// Input connections and the upload connection draw from one count, so
// their unfinished lines never mix.
SourceId NewSourceId();

// What the socket holds, in chunks of at most 1024 bytes, as every receive
// hands them on.
QByteArrayList ReceivedChunks(QTcpSocket& socket);

// One connection; it tells its received bytes, which its server passes on.
class CNetwork : public NoticeSource {
    Q_OBJECT
public:
    CNetwork(QTcpSocket* socket, CNetworkClient* owner);
    ~CNetwork() override;

    // "address:port" of the peer, taken when the connection was accepted.
    const QString& PeerText() const { return m_PeerText; }
    SourceId Id() const { return m_Id; }
    QTcpSocket* Socket() const { return m_Socket; }

private:
    void OnReceive();
    void OnClose();

    friend class CNetworkClient;
    QTcpSocket* m_Socket;
    CNetworkClient* m_Owner;
    QString m_PeerText;
    SourceId m_Id;
};

class CNetworkClient : public NoticeSource {
    Q_OBJECT
public:
    CNetworkClient();
    // Removes every connection, each with its disconnect line, then stops
    // listening.
    ~CNetworkClient() override;

    // Listens on the port on all local addresses. On failure nothing stays
    // bound and false is returned.
    bool Listen(quint16 port);
    // The same on one local address (QHostAddress::Any: all of them).
    bool Listen(quint16 port, const QHostAddress& address);
    // Why the last Listen failed, as the system tells it.
    const QString& ListenError() const { return m_ListenError; }

    // Closes and forgets one connection of the list; it tells the
    // connection's end and "[TCP] a client is disconnected (%s:%d)".
    void RemoveClient(CNetwork* connection);
    // The same for every connection, in order of acceptance.
    void RemoveAllClients();

    // Drops every connection and stops listening without any line: a
    // server that ends with the program leaves its connections to end with
    // the process.
    void DropSilently();

    const QList<CNetwork*>& Clients() const { return m_Clients; }

private:
    void OnAccept();
    void OnAcceptError();
    void Remove(CNetwork* connection);

    QTcpServer* m_Server;
    QList<CNetwork*> m_Clients;
    QString m_ListenError;
};

}  // namespace orvane
