// SPDX-License-Identifier: GPL-3.0-or-later
#include "LiveSession.h"

#include <QCoreApplication>

#include <algorithm>

#include "NetworkServer.h"
#include "StatusWord.h"
#include "replay/LogText.h"
#include "settings/SourcesConfig.h"

namespace orvane {

LiveSession::LiveSession(LineSink appendLine) : m_AppendLine(std::move(appendLine))
{
    connect(
        &m_SerialPort, &SerialPort::DataQueued, &m_SerialInbox, [this] { OnSerialData(); }, Qt::QueuedConnection);
    connect(&m_SerialPort, &SerialPort::QueueFull, this, &LiveSession::QueueFull, Qt::QueuedConnection);
    connect(&m_SerialPort, &SerialPort::Lost, this, &LiveSession::OnSerialLost, Qt::QueuedConnection);
}

LiveSession::~LiveSession() = default;

void LiveSession::Follow(const NoticeSource& source)
{
    connect(
        &source, &NoticeSource::Received, &m_TcpInbox,
        [this](SourceId id, const QString& peer, const QByteArray& bytes) { OnReceived(id, peer, bytes); },
        Qt::QueuedConnection);
    connect(&source, &NoticeSource::Closed, this, &LiveSession::OnClosed, Qt::QueuedConnection);
}

void LiveSession::FollowOwn(const NoticeSource& source)
{
    Follow(source);
    connect(&source, &NoticeSource::Status, this, &LiveSession::Status, Qt::QueuedConnection);
}

void LiveSession::Open()
{
    OpenSerialOrTcpInput();
    m_Sources.Open(ReadSourcesConfig(ConfigFilePath(), m_AppendLine), m_AppendLine,
        [this](const NoticeSource& source) { FollowOwn(source); });
}

void LiveSession::OpenSerialOrTcpInput()
{
    if (ReadConfig(m_SerialConfig, m_AppendLine)) {
        std::string reason;
        m_SerialOpen = m_SerialPort.Open(m_SerialConfig.port.toStdString(), m_SerialConfig.baudrate, reason);
    }
    // kept as is: no blank before the parenthesis in this line alone.
    m_AppendLine(QStringLiteral("[UART] %1 to open the GNSS data port(%2 %3bps)")
                     .arg(OkOrFail(m_SerialOpen), m_SerialConfig.port, QString::number(m_SerialConfig.baudrate)));
    if (m_SerialOpen)
        return;
    QString listenError;
    if (ReadConfig(m_TcpInputConfig, m_AppendLine)) {
        m_TcpInput = std::make_unique<CNetworkClient>();
        FollowOwn(*m_TcpInput);
        m_TcpInputOpen = m_TcpInput->Listen(quint16(m_TcpInputConfig.inputPort),
            ServerListenAddress(m_TcpInputConfig.listenAddress));
        // A server that could not listen holds no port for the next try.
        if (!m_TcpInputOpen) {
            listenError = m_TcpInput->ListenError();
            m_TcpInput.reset();
        }
    }
    m_AppendLine(QStringLiteral("[TCP] %1 to open GNSS data port (%2)")
                     .arg(OkOrFail(m_TcpInputOpen), QString::number(m_TcpInputConfig.inputPort)));
    // The line above keeps its form; the system's reason follows it.
    if (!listenError.isEmpty())
        m_AppendLine(QStringLiteral("[TCP] GNSS data port (%1): %2")
                         .arg(QString::number(m_TcpInputConfig.inputPort), listenError));
}

int LiveSession::TcpInputClients() const
{
    return m_TcpInput ? int(m_TcpInput->Clients().size()) : 0;
}

void LiveSession::Close()
{
    if (m_EndTap) {
        if (m_SerialOpen)
            m_EndTap(kSerialSource, QStringLiteral("the live input was closed"));
        if (const TcpFeed* server = m_Sources.NmeaServer())
            m_EndTap(server->Id(), QStringLiteral("the live input was closed"));
    }
    if (m_SerialPort.IsOpen()) {
        const bool closed = m_SerialPort.Close();
        if (closed)
            m_SerialOpen = false;
        m_AppendLine(QStringLiteral("[UART] %1 to close the GNSS data port (%2 %3bps)")
                         .arg(OkOrFail(closed), m_SerialConfig.port, QString::number(m_SerialConfig.baudrate)));
    }
    m_TcpInputOpen = false;
    if (m_TcpInput) {
        // Each connection's disconnect line follows this one.
        m_TcpInput.reset();
        m_AppendLine(QStringLiteral("[TCP] %1 to close GNSS data port (%2)")
                         .arg(OkOrFail(true), QString::number(m_TcpInputConfig.inputPort)));
    }
    m_Sources.Close(m_AppendLine);
}

bool LiveSession::Discarding()
{
    if (m_LiveBusy)
        m_AppendLine(QStringLiteral("Discard Live Data.."));
    return m_LiveBusy;
}

void LiveSession::OnSerialData()
{
    // Discarded serial bytes stay queued for the next notice.
    if (m_SerialOpen && !Discarding())
        TakeSerialBytes();
}

void LiveSession::OnReceived(SourceId source, const QString& peer, const QByteArray& data)
{
    if (!Accepts(source) || Discarding())
        return;
    const std::string_view bytes(data.constData(), size_t(data.size()));
    if (m_RawDataVisible) {
        // The characters of the received text; zero bytes are none.
        const auto characters = std::count_if(bytes.begin(), bytes.end(), [](char c) { return c != '\0'; });
        m_AppendLine(QStringLiteral("%1 %2 (%3)").arg(m_Sources.LabelOf(source), peer, QString::number(characters)));
    }
    AppendBytes(source, bytes);
}

void LiveSession::OnClosed(SourceId source)
{
    if (!Accepts(source))
        return;
    if (m_EndTap)
        m_EndTap(source, QStringLiteral("the connection ended"));
    std::string rest;
    m_Lines.Close(source, rest);
    Pass(rest);
}

void LiveSession::OnSerialLost(const QString& reason)
{
    if (!m_SerialOpen)
        return;
    if (m_EndTap)
        m_EndTap(kSerialSource, reason);
    m_AppendLine(QStringLiteral("[UART] Lost the GNSS data port (%1 %2bps): %3")
                     .arg(m_SerialConfig.port, QString::number(m_SerialConfig.baudrate), reason));
    emit SerialPortLost();
}

void LiveSession::PassIdleRests()
{
    std::string idle;
    m_Lines.PassOnIdle(idle);
    Pass(idle);
}

void LiveSession::TakeEverything()
{
    // What was received but not yet handed over comes first.
    QCoreApplication::sendPostedEvents(&m_TcpInbox, QEvent::MetaCall);
    QCoreApplication::sendPostedEvents(&m_SerialInbox, QEvent::MetaCall);
    if (m_SerialOpen)
        TakeSerialBytes();
    m_Sources.TakePending([this](SourceId source, const QByteArray& bytes) {
        AppendBytes(source, std::string_view(bytes.constData(), size_t(bytes.size())));
    });
    std::string rests;
    m_Lines.CloseAll(rests);
    Pass(rests);
}

void LiveSession::EndTick()
{
    m_TickText.clear();
    m_RecordText.clear();
}

LiveSession::SendResult LiveSession::SendToReceiver(std::string_view bytes)
{
    SendResult result;
    std::string reason;
    if (m_SerialOpen) {
        result.target = QStringLiteral("[UART] %1").arg(m_SerialConfig.port);
        result.source = kSerialSource;
        result.sent = m_SerialPort.Write(bytes, reason);
        result.reason = QString::fromStdString(reason);
        return result;
    }
    if (TcpFeed* server = m_Sources.NmeaServer()) {
        result.target = QStringLiteral("%1 %2").arg(server->Label(), server->Address());
        result.source = server->Id();
        result.sent = server->Write(QByteArray(bytes.data(), qsizetype(bytes.size())), result.reason);
        return result;
    }
    result.reason = QStringLiteral("no receiver is open: Start Parsing on the serial port, or a [sources] tcp server");
    return result;
}

void LiveSession::AppendBytes(SourceId source, std::string_view bytes)
{
    if (m_ArrivalTap && !bytes.empty())
        m_ArrivalTap(source, bytes);
    std::string complete;
    m_Lines.Feed(source, bytes, complete);
    Pass(complete);
}

void LiveSession::Pass(std::string_view bytes)
{
    // The recording keeps every byte as received; the decoder reads the
    // same text without its zero bytes, so sentences after one still decode.
    m_RecordText.append(bytes);
    AppendWithoutZeros(m_TickText, bytes);
}

void LiveSession::TakeSerialBytes()
{
    std::string queued;
    m_SerialPort.TakeQueued(queued);
    AppendBytes(kSerialSource, queued);
}

}  // namespace orvane
