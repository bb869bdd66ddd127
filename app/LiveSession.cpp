// SPDX-License-Identifier: GPL-3.0-or-later
#include "LiveSession.h"

#include <algorithm>

#include "Config.h"
#include "SourcesConfig.h"
#include "StatusWord.h"
#include "live/NetworkServer.h"
#include "replay/LogText.h"

namespace orvane {

namespace {
constexpr uint16_t kSerialPortId = 0;
}  // namespace

LiveSession::LiveSession(LineSink appendLine, ConfigReader readConfig, QObject* noticeTarget, std::string& nmeaText)
    : m_AppendLine(std::move(appendLine)), m_ReadConfig(std::move(readConfig)), m_NoticeTarget(noticeTarget),
      m_NmeaText(nmeaText)
{ }

LiveSession::~LiveSession() = default;

void LiveSession::Open()
{
    OpenSerialOrTcpInput();
    m_Sources.Open(ReadSourcesConfig(ConfigFilePath(), m_AppendLine), m_NoticeTarget, m_AppendLine);
}

void LiveSession::OpenSerialOrTcpInput()
{
    if (m_ReadConfig(kConfigSerialPort)) {
        std::string reason;
        m_SerialOpen = m_SerialPort.Open(kSerialPortId, ConfigSettings.UartPort.toStdString(),
            ConfigSettings.UartBaudrate, m_NoticeTarget, reason);
    }
    // kept as is: no blank before the parenthesis in this line alone.
    m_AppendLine(
        QStringLiteral("[UART] %1 to open the GNSS data port(%2 %3bps)")
            .arg(OkOrFail(m_SerialOpen), ConfigSettings.UartPort, QString::number(ConfigSettings.UartBaudrate)));
    if (m_SerialOpen)
        return;
    QString listenError;
    if (m_ReadConfig(kConfigTcpInput)) {
        m_TcpInput = std::make_unique<CNetworkClient>(m_NoticeTarget);
        m_TcpInputOpen = m_TcpInput->Listen(quint16(ConfigSettings.ServerInputPort), ServerListenAddress());
        // A server that could not listen holds no port for the next try.
        if (!m_TcpInputOpen) {
            listenError = m_TcpInput->ListenError();
            m_TcpInput.reset();
        }
    }
    m_AppendLine(QStringLiteral("[TCP] %1 to open GNSS data port (%2)")
                     .arg(OkOrFail(m_TcpInputOpen), QString::number(ConfigSettings.ServerInputPort)));
    // The line above keeps its form; the system's reason follows it.
    if (!listenError.isEmpty())
        m_AppendLine(QStringLiteral("[TCP] GNSS data port (%1): %2")
                         .arg(QString::number(ConfigSettings.ServerInputPort), listenError));
}

int LiveSession::TcpInputClients() const
{
    return m_TcpInput ? int(m_TcpInput->Clients().size()) : 0;
}

void LiveSession::Close()
{
    if (m_SerialPort.IsOpen()) {
        const bool closed = m_SerialPort.Close();
        if (closed)
            m_SerialOpen = false;
        m_AppendLine(QStringLiteral("[UART] %1 to close the GNSS data port (%2 %3bps)")
                         .arg(OkOrFail(closed), ConfigSettings.UartPort, QString::number(ConfigSettings.UartBaudrate)));
    }
    m_TcpInputOpen = false;
    if (m_TcpInput) {
        // Each connection's disconnect line follows this one.
        m_TcpInput.reset();
        m_AppendLine(QStringLiteral("[TCP] %1 to close GNSS data port (%2)")
                         .arg(OkOrFail(true), QString::number(ConfigSettings.ServerInputPort)));
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

void LiveSession::OnTcpData(const TcpDataNotice& notice, bool rawDataVisible)
{
    if (!Accepts(notice.Source()) || Discarding())
        return;
    const std::string_view bytes(notice.Data().constData(), size_t(notice.Data().size()));
    if (rawDataVisible) {
        // The characters of the received text; zero bytes are none.
        const auto characters = std::count_if(bytes.begin(), bytes.end(), [](char c) { return c != '\0'; });
        m_AppendLine(QStringLiteral("%1 %2 (%3)")
                         .arg(m_Sources.LabelOf(notice.Source()), notice.Peer(), QString::number(characters)));
    }
    AppendBytes(notice.Source(), bytes);
}

void LiveSession::OnTcpClosed(SourceId source)
{
    if (!Accepts(source))
        return;
    std::string rest;
    m_Lines.Close(source, rest);
    Pass(rest);
}

bool LiveSession::OnSerialLost(const QString& reason)
{
    if (!m_SerialOpen)
        return false;
    m_AppendLine(QStringLiteral("[UART] Lost the GNSS data port (%1 %2bps): %3")
                     .arg(ConfigSettings.UartPort, QString::number(ConfigSettings.UartBaudrate), reason));
    return true;
}

void LiveSession::PassIdleRests()
{
    std::string idle;
    m_Lines.PassOnIdle(idle);
    Pass(idle);
}

void LiveSession::TakeEverything()
{
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
    m_NmeaText.clear();
    m_RecordText.clear();
}

void LiveSession::AppendBytes(SourceId source, std::string_view bytes)
{
    std::string complete;
    m_Lines.Feed(source, bytes, complete);
    Pass(complete);
}

void LiveSession::Pass(std::string_view bytes)
{
    // The recording keeps every byte as received; the decoder reads the
    // same text without its zero bytes, so sentences after one still decode.
    m_RecordText.append(bytes);
    AppendWithoutZeros(m_NmeaText, bytes);
}

void LiveSession::TakeSerialBytes()
{
    std::string queued;
    m_SerialPort.TakeQueued(queued);
    AppendBytes(kSerialSource, queued);
}

}  // namespace orvane
