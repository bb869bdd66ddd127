// SPDX-License-Identifier: GPL-3.0-or-later
#include "NetworkServer.h"

#include <sys/socket.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace orvane {

namespace {

constexpr qint64 kReceiveChunk = 1024;
constexpr int kListenBacklog = 5;

}  // namespace

QString PeerText(const QHostAddress& address, quint16 port)
{
    bool isIpv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIpv4);
    const QHostAddress shown = isIpv4 ? QHostAddress(ipv4) : address;
    // Joined, not filled in with arg: the address text may itself hold a
    // "%1" (a numbered scope), which a second arg would replace.
    return shown.toString() + u':' + QString::number(port);
}

QString PeerTextOf(const QTcpSocket& socket)
{
    return PeerText(socket.peerAddress(), socket.peerPort());
}

SourceId NewSourceId()
{
    static SourceId last = kSerialSource;
    return ++last;
}

QByteArrayList ReceivedChunks(QTcpSocket& socket)
{
    QByteArrayList chunks;
    while (socket.bytesAvailable() > 0) {
        QByteArray data = socket.read(kReceiveChunk);
        if (data.isEmpty())
            break;
        chunks.append(std::move(data));
    }
    return chunks;
}

CNetwork::CNetwork(QTcpSocket* socket, CNetworkClient* owner)
    : m_Socket(socket), m_Owner(owner), m_PeerText(PeerTextOf(*socket)), m_Id(NewSourceId())
{
    socket->setParent(this);
    connect(socket, &QTcpSocket::readyRead, this, &CNetwork::OnReceive);
    connect(socket, &QTcpSocket::disconnected, this, &CNetwork::OnClose);
}

CNetwork::~CNetwork() = default;

void CNetwork::OnReceive()
{
    for (const QByteArray& chunk : ReceivedChunks(*m_Socket))
        emit Received(m_Id, m_PeerText, chunk);
}

void CNetwork::OnClose()
{
    OnReceive();  // what arrived just before the close is not lost
    if (m_Owner)
        m_Owner->RemoveClient(this);
}

CNetworkClient::CNetworkClient() : m_Server(new QTcpServer(this))
{
    m_Server->setListenBacklogSize(kListenBacklog);
    connect(m_Server, &QTcpServer::newConnection, this, &CNetworkClient::OnAccept);
    connect(m_Server, &QTcpServer::acceptError, this, &CNetworkClient::OnAcceptError);
}

CNetworkClient::~CNetworkClient()
{
    RemoveAllClients();
    m_Server->close();
}

bool CNetworkClient::Listen(quint16 port)
{
    return Listen(port, QHostAddress::Any);
}

bool CNetworkClient::Listen(quint16 port, const QHostAddress& address)
{
    if (m_Server->listen(address, port))
        return true;
    m_ListenError = m_Server->errorString();
    m_Server->close();
    return false;
}

void CNetworkClient::OnAccept()
{
    while (QTcpSocket* socket = m_Server->nextPendingConnection()) {
        auto* connection = new CNetwork(socket, this);
        connection->setParent(this);
        connect(connection, &NoticeSource::Received, this, &NoticeSource::Received);
        m_Clients.append(connection);
        emit Status(QStringLiteral("[TCP] new client is connected (%1)").arg(connection->PeerText()));
        // Bytes that came with the connection are not announced again.
        if (socket->bytesAvailable() > 0)
            connection->OnReceive();
    }
}

void CNetworkClient::OnAcceptError()
{
    emit Status(QStringLiteral("[TCP] fail to accept new client"));
    // The server has stopped accepting (for instance when the process has
    // no descriptor left) and would leave every later client waiting in the
    // backlog for good. It takes up accepting again after a pause, so that
    // a failure that lasts costs one line per pause instead of a busy loop.
    // The timer belongs to the server and ends with it; a server closed in
    // the meantime has nothing to take up.
    QTimer::singleShot(kAcceptRetryMs, m_Server, [server = m_Server] {
        if (server->isListening())
            server->resumeAccepting();
    });
}

void CNetworkClient::RemoveClient(CNetwork* connection)
{
    if (m_Clients.contains(connection))
        Remove(connection);
}

void CNetworkClient::RemoveAllClients()
{
    while (!m_Clients.isEmpty())
        Remove(m_Clients.first());
}

void CNetworkClient::DropSilently()
{
    for (CNetwork* connection : std::as_const(m_Clients)) {
        connection->m_Socket->disconnect(connection);
        connection->m_Socket->abort();
        connection->m_Owner = nullptr;
        connection->deleteLater();
    }
    m_Clients.clear();
    m_Server->close();
}

void CNetworkClient::Remove(CNetwork* connection)
{
    const QString peer = connection->PeerText();
    m_Clients.removeOne(connection);
    QTcpSocket* socket = connection->m_Socket;
    socket->disconnect(connection);
    if (socket->socketDescriptor() >= 0)
        ::shutdown(int(socket->socketDescriptor()), SHUT_WR);
    socket->abort();
    // The connection may be inside its own signal handler right now.
    connection->m_Owner = nullptr;
    connection->deleteLater();
    emit Closed(connection->Id());
    emit Status(QStringLiteral("[TCP] a client is disconnected (%1)").arg(peer));
}

}  // namespace orvane
