// SPDX-License-Identifier: GPL-3.0-or-later
#include "NtripClient.h"

#include <QTcpSocket>

#include <algorithm>

namespace orvane {

namespace {

const QByteArray kUserAgent = "NTRIP Orvane/0.1";
// Mountpoints named in the source table's status line; the window shows
// them all.
constexpr qsizetype kListedMountpoints = 5;
// A source table larger than this is not read on.
constexpr qsizetype kMaxTable = 4 * 1024 * 1024;

QString Seconds(int ms)
{
    return QString::number(ms / 1000.0) + QStringLiteral(" s");
}

QString HostPortText(const QString& host, quint16 port)
{
    const QString shownHost = host.contains(u':') ? u'[' + host + u']' : host;
    return shownHost + u':' + QString::number(port);
}

}  // namespace

NtripClient::NtripClient(NtripSettings settings, NtripTiming timing)
    : m_Settings(std::move(settings)), m_Timing(timing), m_HostPort(HostPortText(m_Settings.caster, m_Settings.port)),
      m_Socket(new QTcpSocket(this))
{
    m_Clock.start();
    m_RetryTimer.setSingleShot(true);
    // A coarse timer may fire a little early; a retry never comes sooner
    // than its period.
    m_RetryTimer.setTimerType(Qt::PreciseTimer);
    m_TimeoutTimer.setSingleShot(true);
    const int ggaMs =
        m_Timing.ggaIntervalMs >= 0 ? m_Timing.ggaIntervalMs : 1000 * std::max(0, m_Settings.ggaIntervalSeconds);
    m_GgaTimer.setInterval(ggaMs);
    connect(&m_RetryTimer, &QTimer::timeout, this, &NtripClient::Connect);
    connect(&m_TimeoutTimer, &QTimer::timeout, this, &NtripClient::OnTimeout);
    connect(&m_GgaTimer, &QTimer::timeout, this, &NtripClient::SendGga);
    connect(m_Socket, &QTcpSocket::connected, this, &NtripClient::OnConnected);
    connect(m_Socket, &QTcpSocket::readyRead, this, &NtripClient::OnReadable);
    connect(m_Socket, &QTcpSocket::errorOccurred, this, &NtripClient::OnError);
    connect(m_Socket, &QTcpSocket::disconnected, this, &NtripClient::OnDisconnected);
}

NtripClient::~NtripClient()
{
    // Whoever listened may be gone already (a derived part, a window).
    blockSignals(true);
    Close();
}

QString NtripClient::Address() const
{
    return m_TableOnly ? m_HostPort : m_HostPort + u'/' + m_Settings.mountpoint;
}

void NtripClient::Open()
{
    m_TableOnly = m_Settings.mountpoint.isEmpty();
    Connect();
}

void NtripClient::ReadSourceTable()
{
    Close();
    m_TableOnly = true;
    Connect();
}

void NtripClient::Close()
{
    if (m_State == State::Streaming)
        m_Frames.EndOfStream();
    m_RetryTimer.stop();
    m_TimeoutTimer.stop();
    m_GgaTimer.stop();
    SetState(State::Closed);
    m_Socket->abort();
}

void NtripClient::SetLatestFix(const QByteArray& ggaSentence, double latitude, double longitude)
{
    m_Gga = ggaSentence.trimmed();
    if (!m_Gga.isEmpty())
        m_Gga += "\r\n";
    m_Position = std::pair(latitude, longitude);
}

void NtripClient::SetState(State state)
{
    if (m_State == state)
        return;
    m_State = state;
    emit StateChanged(state);
}

void NtripClient::Connect()
{
    SetState(State::Connecting);
    m_Socket->abort();
    m_Received.clear();
    m_TimeoutTimer.start(m_Timing.connectTimeoutMs);
    m_Socket->connectToHost(m_Settings.caster, m_Settings.port);
}

QByteArray NtripClient::Request() const
{
    const QByteArray path = '/' + (m_TableOnly ? QByteArray() : m_Settings.mountpoint.toUtf8());
    QByteArray request;
    if (m_Settings.version == 1) {
        request = "GET " + path + " HTTP/1.0\r\n";
    } else {
        request = "GET " + path + " HTTP/1.1\r\nHost: " + m_HostPort.toUtf8() + "\r\nNtrip-Version: Ntrip/2.0\r\n";
    }
    request += "User-Agent: " + kUserAgent + "\r\n";
    if (!m_Settings.user.isEmpty() || !m_Settings.password.isEmpty())
        request +=
            "Authorization: Basic " + (m_Settings.user + u':' + m_Settings.password).toUtf8().toBase64() + "\r\n";
    if (m_Settings.version != 1)
        request += "Connection: close\r\n";
    return request + "\r\n";
}

void NtripClient::OnConnected()
{
    if (m_State != State::Connecting)
        return;
    SetState(State::Requesting);
    m_Socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    m_Socket->write(Request());
    m_TimeoutTimer.start(m_Timing.connectTimeoutMs);
}

void NtripClient::OnReadable()
{
    const QByteArray bytes = m_Socket->readAll();
    if (bytes.isEmpty())
        return;
    if (m_State == State::Requesting) {
        m_Received += bytes;
        ReadAnswer(false);
    } else if (m_State == State::Streaming) {
        Stream(bytes);
    } else if (m_State == State::ReadingTable) {
        Table(bytes, false);
    }
}

void NtripClient::ReadAnswer(bool ended)
{
    const std::optional<NtripReply> reply = ReadNtripReply(m_Received, ended);
    if (!reply) {
        if (ended)
            Failed(QStringLiteral("the connection ended before an answer"));
        return;
    }
    m_Reply = *reply;
    const QByteArray rest = m_Received.mid(reply->headerSize);
    m_Received.clear();
    m_Chunks.Reset();
    switch (reply->kind) {
    case NtripReply::Kind::NotNtrip:
        Failed(QStringLiteral("not an NTRIP caster: it answers \"%1\"").arg(reply->statusLine));
        return;
    case NtripReply::Kind::Refused:
        if (reply->status == 401)
            Failed(QStringLiteral("%1: wrong user or password").arg(reply->statusLine.section(u' ', 1)));
        else if (reply->status == 404)
            Failed(QStringLiteral("%1: the caster has no mountpoint %2")
                       .arg(reply->statusLine.section(u' ', 1), m_Settings.mountpoint));
        else
            Failed(QStringLiteral("the caster answers \"%1\"").arg(reply->statusLine));
        return;
    case NtripReply::Kind::SourceTable:
        m_AnswerVersion = reply->version;
        m_TableBodyBytes = 0;
        SetState(State::ReadingTable);
        m_TimeoutTimer.start(m_Timing.connectTimeoutMs);
        Table(rest, ended);
        return;
    case NtripReply::Kind::Stream:
        break;
    }
    if (m_TableOnly) {
        Failed(QStringLiteral("the caster sends a stream instead of its source table"));
        return;
    }
    m_AnswerVersion = reply->version;
    m_IcyPrelude = reply->icy;
    m_LastFailure.clear();
    SetState(State::Streaming);
    emit Status(QStringLiteral("%1 %2 to %3 (NTRIP %4)")
                    .arg(Label(), m_EverConnected ? QStringLiteral("reconnected") : QStringLiteral("connected"),
                        Address(), QString::number(m_AnswerVersion)));
    m_EverConnected = true;
    m_TimeoutTimer.start(m_Timing.stallMs);
    if (m_GgaTimer.interval() > 0) {
        SendGga();
        m_GgaTimer.start();
    }
    Stream(rest);
}

void NtripClient::Stream(const QByteArray& piece, bool ended)
{
    if (piece.isEmpty() && !(ended && m_IcyPrelude))
        return;
    m_TimeoutTimer.start(m_Timing.stallMs);
    QByteArray received = piece;
    if (m_IcyPrelude) {
        m_Received += piece;
        const qsizetype prelude = IcyPreludeSize(m_Received, ended);
        if (prelude < 0)
            return;
        received = m_Received.mid(prelude);
        m_Received.clear();
        m_IcyPrelude = false;
    }
    const QByteArray bytes = m_Reply.chunked ? m_Chunks.Take(received) : received;
    if (!bytes.isEmpty()) {
        m_BytesReceived += bytes.size();
        m_Frames.Feed(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), NowMs());
        emit Corrections(bytes);
    }
    if (m_Chunks.Done())
        Lost(QStringLiteral("the caster ended the stream"));
    else if (m_Chunks.Broken())
        Lost(QStringLiteral("the caster's chunks are broken"));
}

void NtripClient::Table(const QByteArray& received, bool ended)
{
    const QByteArray bytes = m_Reply.chunked ? m_Chunks.Take(received) : received;
    m_Received += bytes;
    m_TableBodyBytes += bytes.size();
    const bool complete = ended || m_Chunks.Done() || m_Received.contains("ENDSOURCETABLE") ||
                          (m_Reply.contentLength && m_TableBodyBytes >= *m_Reply.contentLength) ||
                          m_Received.size() > kMaxTable;
    if (complete)
        TableRead();
}

void NtripClient::TableRead()
{
    m_Mountpoints = ParseSourceTable(m_Received);
    m_Received.clear();
    if (m_Position)
        SortByDistance(m_Mountpoints, m_Position->first, m_Position->second);
    emit SourceTableRead(m_Mountpoints);
    if (!m_TableOnly) {
        Failed(QStringLiteral("the caster has no mountpoint %1: it sent its source table").arg(m_Settings.mountpoint));
        return;
    }
    QStringList listed;
    for (qsizetype k = 0; k < std::min(kListedMountpoints, m_Mountpoints.size()); ++k)
        listed << MountpointText(m_Mountpoints[k]);
    if (m_Mountpoints.size() > kListedMountpoints)
        listed << QStringLiteral("...");
    emit Status(QStringLiteral("%1 %2 has %3 mountpoint(s)%4%5")
                    .arg(Label(), m_HostPort, QString::number(m_Mountpoints.size()),
                        m_Position && !m_Mountpoints.isEmpty() ? QStringLiteral(", nearest first") : QString(),
                        listed.isEmpty() ? QString() : QStringLiteral(": ") + listed.join(QStringLiteral(", "))));
    m_LastFailure.clear();
    Close();
}

void NtripClient::SendGga()
{
    if (m_State != State::Streaming || m_Gga.isEmpty())
        return;
    m_Socket->write(m_Gga);
    ++m_GgaSent;
}

void NtripClient::OnError()
{
    // The end of a connection is told by disconnected as well; a reply
    // that ends with the connection is read there.
    if (m_Socket->error() == QAbstractSocket::RemoteHostClosedError && m_State != State::Connecting)
        return;
    if (m_State == State::Connecting || m_State == State::Requesting)
        Failed(m_Socket->errorString());
    else if (m_State == State::Streaming)
        Lost(m_Socket->errorString());
    else if (m_State == State::ReadingTable)
        Table({}, true);
}

void NtripClient::OnDisconnected()
{
    if (m_State == State::Requesting) {
        m_Received += m_Socket->readAll();
        ReadAnswer(true);
    } else if (m_State == State::Streaming) {
        Stream(m_Socket->readAll(), true);
        if (m_State == State::Streaming)
            Lost(QStringLiteral("the connection ended"));
    } else if (m_State == State::ReadingTable) {
        Table(m_Socket->readAll(), true);
    }
}

void NtripClient::OnTimeout()
{
    switch (m_State) {
    case State::Connecting:
        SetState(State::Waiting);  // the abort below reports nothing more
        m_Socket->abort();
        Failed(QStringLiteral("no answer within %1").arg(Seconds(m_Timing.connectTimeoutMs)));
        break;
    case State::Requesting:
    case State::ReadingTable:
        SetState(State::Waiting);
        m_Socket->abort();
        Failed(QStringLiteral("no answer to the request within %1").arg(Seconds(m_Timing.connectTimeoutMs)));
        break;
    case State::Streaming:
        Lost(QStringLiteral("no data in %1").arg(Seconds(m_Timing.stallMs)));
        break;
    default:
        break;
    }
}

void NtripClient::Lost(const QString& reason)
{
    m_Frames.EndOfStream();
    SetState(State::Waiting);
    m_TimeoutTimer.stop();
    m_GgaTimer.stop();
    m_Socket->abort();
    emit Status(QStringLiteral("%1 lost %2 (%3); %4").arg(Label(), Address(), reason, RetryText()));
    m_RetryTimer.start(m_Timing.retryMs);
}

void NtripClient::Failed(const QString& reason)
{
    SetState(State::Waiting);
    m_TimeoutTimer.stop();
    m_GgaTimer.stop();
    m_Socket->abort();
    if (reason != m_LastFailure)
        emit Status(QStringLiteral("%1 fail to connect to %2 (%3); %4").arg(Label(), Address(), reason, RetryText()));
    m_LastFailure = reason;
    m_RetryTimer.start(m_Timing.retryMs);
}

QString NtripClient::RetryText() const
{
    return QStringLiteral("next try in %1").arg(Seconds(m_Timing.retryMs));
}

}  // namespace orvane
