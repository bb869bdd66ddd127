// SPDX-License-Identifier: GPL-3.0-or-later
#include "TcpFeed.h"

#include <sys/socket.h>

#include <QHostAddress>
#include <QTcpSocket>

#include "NetworkServer.h"

namespace orvane {

namespace {

constexpr qint64 kReceiveChunk = 1024;
// What a closing source hands on at most, so that a peer that keeps
// sending cannot hold the close.
constexpr qsizetype kMaxPending = 1 << 20;

QString AddressText(const QString& host, quint16 port)
{
    const QString shownHost = host.contains(u':') ? u'[' + host + u']' : host;
    return shownHost + u':' + QString::number(port);
}

QString Seconds(int ms)
{
    return QString::number(ms / 1000.0) + QStringLiteral(" s");
}

}  // namespace

TcpFeed::TcpFeed(Kind kind, QString host, quint16 port, FeedTiming timing)
    : m_Kind(kind), m_Host(std::move(host)), m_Port(port), m_Address(AddressText(m_Host, port)), m_Timing(timing),
      m_Id(NewSourceId()), m_Socket(new QTcpSocket(this))
{
    m_RetryTimer.setSingleShot(true);
    // A coarse timer may fire a little early; a retry never comes sooner
    // than its period.
    m_RetryTimer.setTimerType(Qt::PreciseTimer);
    m_ConnectTimer.setSingleShot(true);
    m_QuietTimer.setSingleShot(true);
    connect(&m_RetryTimer, &QTimer::timeout, this, &TcpFeed::Connect);
    connect(&m_ConnectTimer, &QTimer::timeout, this, &TcpFeed::OnConnectTimeout);
    connect(&m_QuietTimer, &QTimer::timeout, this, &TcpFeed::OnQuiet);
    connect(m_Socket, &QTcpSocket::connected, this, &TcpFeed::OnConnected);
    connect(m_Socket, &QTcpSocket::readyRead, this, &TcpFeed::OnReadable);
    connect(m_Socket, &QTcpSocket::errorOccurred, this, &TcpFeed::OnError);
    connect(m_Socket, &QTcpSocket::disconnected, this, &TcpFeed::OnDisconnected);
}

TcpFeed::~TcpFeed()
{
    Close();
}

QString TcpFeed::Label() const
{
    return m_Kind == Kind::Gpsd ? QStringLiteral("[GPSD]") : QStringLiteral("[TCP client]");
}

void TcpFeed::Open()
{
    Connect();
}

void TcpFeed::Close()
{
    m_State = State::Closed;
    m_RetryTimer.stop();
    m_ConnectTimer.stop();
    m_QuietTimer.stop();
    m_Socket->abort();
}

void TcpFeed::TakePending(const SourceBytesSink& sink)
{
    if (m_State != State::Connected)
        return;
    QByteArray bytes = m_Socket->readAll();
    // The socket's buffer fills only from the event loop; what the system
    // received since waits in the descriptor and is read from there.
    const int descriptor = int(m_Socket->socketDescriptor());
    char buffer[kReceiveChunk];
    for (ssize_t n; descriptor >= 0 && bytes.size() < kMaxPending &&
                    (n = ::recv(descriptor, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;)
        bytes.append(buffer, qsizetype(n));
    bytes = Filtered(bytes);
    if (!bytes.isEmpty())
        sink(m_Id, bytes);
}

bool TcpFeed::Write(const QByteArray& bytes, QString& reason)
{
    if (m_Kind != Kind::NmeaServer) {
        reason = QStringLiteral("gpsd takes no receiver commands");
        return false;
    }
    if (m_State != State::Connected) {
        reason = QStringLiteral("not connected to %1").arg(m_Address);
        return false;
    }
    if (m_Socket->write(bytes) != bytes.size()) {
        reason = m_Socket->errorString();
        return false;
    }
    return true;
}

void TcpFeed::Connect()
{
    m_State = State::Connecting;
    m_Socket->abort();
    m_ConnectTimer.start(m_Timing.connectTimeoutMs);
    m_Socket->connectToHost(m_Host, m_Port);
}

void TcpFeed::OnConnected()
{
    if (m_State != State::Connecting)
        return;
    m_State = State::Connected;
    m_ConnectTimer.stop();
    m_LastFailure.clear();
    emit Status(
        QStringLiteral("%1 %2 to %3")
            .arg(Label(), m_EverConnected ? QStringLiteral("reconnected") : QStringLiteral("connected"), m_Address));
    m_EverConnected = true;
    m_Socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    if (m_Kind == Kind::Gpsd) {
        m_Gpsd.Reset();
        m_Socket->write(kGpsdWatchRequest);
        m_QuietTimer.start(m_Timing.quietMs);
    }
}

QByteArray TcpFeed::Filtered(const QByteArray& received)
{
    if (m_Kind != Kind::Gpsd)
        return received;
    QByteArray bytes = m_Gpsd.Filter(received);
    for (const QString& message : m_Gpsd.TakeErrors())
        emit Status(QStringLiteral("%1 %2 answers: %3").arg(Label(), m_Address, message));
    return bytes;
}

void TcpFeed::OnReadable()
{
    if (m_State != State::Connected)
        return;
    const QByteArray bytes = Filtered(m_Socket->readAll());
    for (qsizetype at = 0; at < bytes.size(); at += kReceiveChunk)
        emit Received(m_Id, m_Address, bytes.mid(at, kReceiveChunk));
}

void TcpFeed::OnError()
{
    if (m_State == State::Connecting)
        Failed(m_Socket->errorString());
    else if (m_State == State::Connected)
        Lost(m_Socket->errorString());
}

void TcpFeed::OnDisconnected()
{
    if (m_State == State::Connected)
        Lost(QStringLiteral("the connection ended"));
}

void TcpFeed::OnConnectTimeout()
{
    if (m_State != State::Connecting)
        return;
    m_State = State::Waiting;  // the abort below reports nothing more
    m_Socket->abort();
    Failed(QStringLiteral("no answer within %1").arg(Seconds(m_Timing.connectTimeoutMs)));
}

void TcpFeed::OnQuiet()
{
    if (m_State != State::Connected || m_Gpsd.SawNmea())
        return;
    QString why;
    if (!m_Gpsd.SawJson())
        why = QStringLiteral("sent nothing in %1: is it gpsd?").arg(Seconds(m_Timing.quietMs));
    else if (m_Gpsd.NoDevices())
        why = QStringLiteral("answers with JSON only: it holds no receiver");
    else
        why = QStringLiteral("answers with JSON only: its receiver sent no NMEA sentence in %1")
                  .arg(Seconds(m_Timing.quietMs));
    emit Status(QStringLiteral("%1 %2 %3").arg(Label(), m_Address, why));
}

void TcpFeed::Lost(const QString& reason)
{
    // What arrived before the loss goes on first, then the source's
    // unfinished line.
    OnReadable();
    m_State = State::Waiting;
    m_QuietTimer.stop();
    emit Closed(m_Id);
    emit Status(QStringLiteral("%1 lost %2 (%3); %4").arg(Label(), m_Address, reason, RetryText()));
    m_RetryTimer.start(m_Timing.retryMs);
}

void TcpFeed::Failed(const QString& reason)
{
    m_State = State::Waiting;
    m_ConnectTimer.stop();
    if (reason != m_LastFailure)
        emit Status(QStringLiteral("%1 fail to connect to %2 (%3); %4").arg(Label(), m_Address, reason, RetryText()));
    m_LastFailure = reason;
    m_RetryTimer.start(m_Timing.retryMs);
}

QString TcpFeed::RetryText() const
{
    return QStringLiteral("next try in %1").arg(Seconds(m_Timing.retryMs));
}

}  // namespace orvane
