// SPDX-License-Identifier: GPL-3.0-or-later
#include "LiveSession.h"

#include <algorithm>

#include "NetworkServer.h"
#include "StatusWord.h"
#include "replay/LogText.h"
#include "settings/SourcesConfig.h"

namespace orvane {

namespace {
constexpr uint16_t kSerialPortId = 0;
}  // namespace

LiveSession::LiveSession(LineSink appendLine, QObject* noticeTarget)
    : m_AppendLine(std::move(appendLine)), m_NoticeTarget(noticeTarget)
{ }

LiveSession::~LiveSession() = default;

void LiveSession::Open()
{
    OpenSerialOrTcpInput();
    m_Sources.Open(ReadSourcesConfig(ConfigFilePath(), m_AppendLine), m_NoticeTarget, m_AppendLine);
}

void LiveSession::OpenSerialOrTcpInput()
{
    if (ReadConfig(m_SerialConfig, m_AppendLine)) {
        std::string reason;
        m_SerialOpen = m_SerialPort.Open(kSerialPortId, m_SerialConfig.port.toStdString(), m_SerialConfig.baudrate,
            m_NoticeTarget, reason);
    }
    // kept as is: no blank before the parenthesis in this line alone.
    m_AppendLine(QStringLiteral("[UART] %1 to open the GNSS data port(%2 %3bps)")
                     .arg(OkOrFail(m_SerialOpen), m_SerialConfig.port, QString::number(m_SerialConfig.baudrate)));
    if (m_SerialOpen)
        return;
    QString listenError;
    if (ReadConfig(m_TcpInputConfig, m_AppendLine)) {
        m_TcpInput = std::make_unique<CNetworkClient>(m_NoticeTarget);
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
                     .arg(m_SerialConfig.port, QString::number(m_SerialConfig.baudrate), reason));
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
    m_TickText.clear();
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
    AppendWithoutZeros(m_TickText, bytes);
}

void LiveSession::TakeSerialBytes()
{
    std::string queued;
    m_SerialPort.TakeQueued(queued);
    AppendBytes(kSerialSource, queued);
}

}  // namespace orvane
