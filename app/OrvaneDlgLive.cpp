// Online mode: the Online Mode and live-input buttons, the notices of the
// serial reader and the TCP servers, and the live tick that decodes what
// arrived in the last 100 ms.

#include <QComboBox>
#include <QPushButton>

#include <cstring>

#include "Config.h"
#include "OrvaneDlg.h"
#include "StatusWord.h"
#include "SatellitesDlg.h"
#include "UiSeam.h"
#include "live/NetworkServer.h"
#include "live/Notices.h"
#include "replay/Dispatcher.h"

namespace orvane {

namespace {

constexpr int kLiveTickMs = 100;
constexpr uint16_t kSerialPortId = 0;

// Received bytes are read as zero-terminated text: a zero byte ends them.
std::string_view UpToZero(const char* data, size_t size)
{
    const void* zero = std::memchr(data, '\0', size);
    return {data, zero ? size_t(static_cast<const char*>(zero) - data) : size};
}

}  // namespace

void COrvaneDlg::OnOnlineMode()
{
    if (!m_State.m_Online) {
        m_State.m_Online = true;
        Purge();
        QComboBox* talkers = Combo(IDC_SATELLITE_LIST);
        for (int row = 0; row < kTalkerCount; ++row)
            talkers->addItem(QString::fromStdString(TalkerLabel(row)));
        talkers->setCurrentIndex(0);
        QComboBox* messages = Combo(IDC_MESSAGE_LIST);
        for (const MessageEntry& entry : MessageTable)
            messages->addItem(QString::fromLatin1(entry.display.data(), qsizetype(entry.display.size())));
        messages->setCurrentIndex(kDefaultMessageRow);
    } else {
        m_State.m_Online = false;
        m_LiveTimer.stop();
        m_RecordingRestartTimer.stop();
        if (m_SatellitesDlg)
            m_SatellitesDlg->ResetSignals(true);
        m_LogSummary.present.fill(false);
        if (m_SerialOpen || m_TcpInputOpen)
            OnLiveInput();
        if (m_Recording)
            OnRecording();
        Combo(IDC_SATELLITE_LIST)->clear();
        Combo(IDC_MESSAGE_LIST)->clear();
    }
    UpdateWindow();
}

void COrvaneDlg::OnLiveInput()
{
    const QString port = ConfigSettings.UartPort;
    const int32_t baudrate = ConfigSettings.UartBaudrate;
    if (!m_SerialOpen && !m_TcpInputOpen) {
        if (ReadConfig(kConfigSerialPort)) {
            std::string reason;
            m_SerialOpen = m_SerialPort.Open(kSerialPortId, ConfigSettings.UartPort.toStdString(),
                                             ConfigSettings.UartBaudrate, this, reason);
        }
        AppendLine(QStringLiteral("[UART] %1 to open the GNSS data port(%2 %3bps)")
                       .arg(OkOrFail(m_SerialOpen), ConfigSettings.UartPort)
                       .arg(ConfigSettings.UartBaudrate));
        if (!m_SerialOpen) {
            if (ReadConfig(kConfigTcpInput)) {
                m_TcpInput = std::make_unique<CNetworkClient>(this);
                m_TcpInputOpen = m_TcpInput->Listen(quint16(ConfigSettings.ServerInputPort));
                // A server that could not listen holds no port for the next try.
                if (!m_TcpInputOpen)
                    m_TcpInput.reset();
            }
            AppendLine(QStringLiteral("[TCP] %1 to open GNSS data port (%2)")
                           .arg(OkOrFail(m_TcpInputOpen))
                           .arg(ConfigSettings.ServerInputPort));
        }
    } else {
        if (m_SerialPort.IsOpen()) {
            const bool closed = m_SerialPort.Close();
            if (closed)
                m_SerialOpen = false;
            AppendLine(QStringLiteral("[UART] %1 to close the GNSS data port (%2 %3bps)")
                           .arg(OkOrFail(closed), port)
                           .arg(baudrate));
        }
        m_TcpInputOpen = false;
        if (m_TcpInput) {
            // Each connection's disconnect line follows this one.
            m_TcpInput.reset();
            AppendLine(QStringLiteral("[TCP] %1 to close GNSS data port (%2)")
                           .arg(OkOrFail(true))
                           .arg(ConfigSettings.ServerInputPort));
        }
        // Whatever the sources left unfinished is kept, not lost.
        m_LiveLines.CloseAll(m_State.NmeaText);
        m_State.NmeaTextLength = int32_t(m_State.NmeaText.size());
    }

    if (!m_SerialOpen && !m_TcpInputOpen) {
        m_LiveTimer.stop();
        if (m_Recording) {
            // What came in since the last tick is decoded and recorded
            // before the file closes, so the file holds every byte received.
            OnLiveTick();
            OnRecording();
        }
    } else {
        m_LiveTimer.start(kLiveTickMs);
    }
    UpdateWindow();
}

void COrvaneDlg::AppendLiveBytes(SourceId source, std::string_view bytes)
{
    m_LiveLines.Feed(source, bytes, m_State.NmeaText);
    m_State.NmeaTextLength = int32_t(m_State.NmeaText.size());
}

void COrvaneDlg::customEvent(QEvent* event)
{
    switch (int(event->type())) {
    case kStatusNotice: {
        QString line = static_cast<StatusNotice*>(event)->Line();
        while (line.endsWith(QChar('\r')) || line.endsWith(QChar('\n')))
            line.chop(1);
        if (!line.isEmpty())
            AppendLine(line);
        break;
    }
    case kSerialDataNotice: {
        if (!m_SerialOpen)
            break;
        if (m_LiveBusy) {
            AppendLine(QStringLiteral("Discard Live Data.."));
            break;
        }
        std::string queued;
        m_SerialPort.TakeQueued(queued);
        AppendLiveBytes(kSerialSource, UpToZero(queued.data(), queued.size()));
        break;
    }
    case kTcpDataNotice: {
        auto* notice = static_cast<TcpDataNotice*>(event);
        if (!m_TcpInputOpen)
            break;
        if (m_LiveBusy) {
            AppendLine(QStringLiteral("Discard Live Data.."));
            break;
        }
        const std::string_view bytes = UpToZero(notice->Data().constData(), size_t(notice->Data().size()));
        if (m_RawDataVisible)
            AppendLine(QStringLiteral("[TCP] %1 (%2)").arg(notice->Peer()).arg(bytes.size()));
        AppendLiveBytes(notice->Source(), bytes);
        break;
    }
    case kTcpClosedNotice:
        if (m_TcpInputOpen) {
            m_LiveLines.Close(static_cast<TcpClosedNotice*>(event)->Source(), m_State.NmeaText);
            m_State.NmeaTextLength = int32_t(m_State.NmeaText.size());
        }
        break;
    case kSerialLostNotice:
        // A receiver that went away (unplugged) closes the port as the
        // live-input button would; it can be started again when it is back.
        if (m_SerialOpen) {
            AppendLine(QStringLiteral("[UART] Lost the GNSS data port (%1 %2bps): %3")
                           .arg(ConfigSettings.UartPort)
                           .arg(ConfigSettings.UartBaudrate)
                           .arg(static_cast<SerialLostNotice*>(event)->Reason()));
            OnLiveInput();
        }
        break;
    case kQueueFullNotice:
        m_Seam.MessageBox(this, QStringLiteral("m_QueueRead FULL!"));
        m_SerialPort.AcknowledgeQueueFull();
        break;
    default:
        QDialog::customEvent(event);
        break;
    }
}

void COrvaneDlg::OnLiveTick()
{
    if (m_State.NmeaText.empty())
        return;
    m_LiveBusy = true;
    m_State.m_ParsePosition = 0;
    m_State.m_TalkerRow = Combo(IDC_SATELLITE_LIST)->currentIndex();
    if (m_RawDataVisible)
        AppendLine(QString::fromLatin1(m_State.NmeaText.data(), qsizetype(m_State.NmeaText.size())));
    while (DispatchSentences(m_State, *this)) {
    }
    RecordingStep();
    m_State.NmeaText.clear();
    m_LiveBusy = false;
}

}  // namespace orvane
