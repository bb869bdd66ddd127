// SPDX-License-Identifier: GPL-3.0-or-later
#include "PositionSender.h"

#include <QHostAddress>
#include <QTcpSocket>

#include "NetworkServer.h"
#include "decoder/TextFormat.h"

namespace orvane {

namespace {

// Whether the line still fits into the connection's backlog. What the
// system takes at once does not count against it.
bool Fits(QTcpSocket& socket, std::string_view line)
{
    if (socket.bytesToWrite() + qint64(line.size()) <= kSendBacklog)
        return true;
    socket.flush();
    return socket.bytesToWrite() + qint64(line.size()) <= kSendBacklog;
}

// The line joins the socket's buffer, which the event loop hands to the
// system after the tick; Fits hands it over early when it fills.
void Write(QTcpSocket& socket, std::string_view line)
{
    socket.write(line.data(), qint64(line.size()));
}

}  // namespace

std::string PositionLine(std::string_view vin, double latitude, double longitude, double heading)
{
    std::string line;
    line.reserve(vin.size() + 40);
    line.append(vin);
    line += ',';
    AppendFixed(line, latitude, 6);
    line += ',';
    AppendFixed(line, longitude, 6);
    line += ',';
    AppendFixed(line, heading, 2);
    line += '\n';
    return line;
}

PositionSender::PositionSender() = default;

PositionSender::~PositionSender()
{
    Shutdown();
}

bool PositionSender::StartForwarding(const ForwardingConfig& config)
{
    auto server = std::make_unique<CNetworkClient>();
    if (!server->Listen(quint16(config.outputPort), ServerListenAddress(config.listenAddress))) {
        m_ForwardingError = server->ListenError();
        return false;
    }
    connect(server.get(), &NoticeSource::Status, this, &NoticeSource::Status);
    connect(server.get(), &NoticeSource::Received, this, &NoticeSource::Received);
    connect(server.get(), &NoticeSource::Closed, this, &NoticeSource::Closed);
    m_Forwarding = std::move(server);
    return true;
}

void PositionSender::StartUpload(const UploadConfig& config)
{
    m_UploadHost = config.url;
    m_UploadPort = quint16(config.port);
    m_Upload = new QTcpSocket(this);
    connect(m_Upload, &QTcpSocket::connected, this, [this] { m_UploadPeer = PeerTextOf(*m_Upload); });
    connect(m_Upload, &QTcpSocket::readyRead, this, &PositionSender::OnUploadReceive);
    connect(m_Upload, &QTcpSocket::disconnected, this, &PositionSender::OnUploadClosed);
    ConnectUpload();
}

void PositionSender::Shutdown()
{
    if (m_Forwarding)
        m_Forwarding->DropSilently();
    m_Forwarding.reset();
    if (m_Upload) {
        m_Upload->disconnect(this);
        m_Upload->abort();
        delete m_Upload;
        m_Upload = nullptr;
    }
}

void PositionSender::ConnectUpload()
{
    m_LastAttempt.start();
    m_UploadSource = NewSourceId();
    m_UploadPeer.clear();
    m_Upload->abort();
    m_Upload->connectToHost(m_UploadHost, m_UploadPort);
}

void PositionSender::Send(std::string_view line)
{
    if (m_Upload)
        Upload(line);
    if (m_Forwarding)
        Forward(line);
}

void PositionSender::Upload(std::string_view line)
{
    if (m_Upload->state() != QAbstractSocket::ConnectedState) {
        // Lines of a time without a connection are not kept for later.
        ++m_UploadDropped;
        if (m_Upload->state() == QAbstractSocket::UnconnectedState && m_LastAttempt.elapsed() >= m_UploadRetryMs)
            ConnectUpload();
        return;
    }
    if (!Fits(*m_Upload, line)) {
        ++m_UploadDropped;
        return;
    }
    Write(*m_Upload, line);
}

void PositionSender::Forward(std::string_view line)
{
    // A copy of the list: dropping a client changes it.
    const QList<CNetwork*> clients = m_Forwarding->Clients();
    for (CNetwork* client : clients) {
        QTcpSocket* socket = client->Socket();
        if (!Fits(*socket, line)) {
            m_Forwarding->RemoveClient(client);
            continue;
        }
        Write(*socket, line);
    }
}

void PositionSender::OnUploadReceive()
{
    // The upload server's data is live input like a TCP client's.
    for (const QByteArray& chunk : ReceivedChunks(*m_Upload))
        emit Received(m_UploadSource, m_UploadPeer, chunk);
}

void PositionSender::OnUploadClosed()
{
    OnUploadReceive();
    emit Closed(m_UploadSource);
}

}  // namespace orvane
