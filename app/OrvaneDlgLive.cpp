// Online mode: the Online Mode and live-input buttons, the notices of the
// serial reader and the TCP servers, and the live tick that decodes what
// arrived in the last 100 ms.

#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>

#include <algorithm>

#include "Config.h"
#include "OrvaneDlg.h"
#include "StatusWord.h"
#include "SatellitesDlg.h"
#include "UiSeam.h"
#include "live/NetworkServer.h"
#include "live/Notices.h"
#include "replay/Dispatcher.h"
#include "replay/LogText.h"

namespace orvane {

namespace {

constexpr int kLiveTickMs = 100;
constexpr uint16_t kSerialPortId = 0;

}  // namespace

void COrvaneDlg::OnOnlineMode()
{
    if (!m_State.m_Online) {
        m_State.m_Online = true;
        Purge();
        m_LiveRecordText.clear();
        QComboBox* talkers = m_Ui.talkers;
        for (int row = 0; row < kTalkerCount; ++row)
            talkers->addItem(QString::fromStdString(TalkerLabel(row)));
        talkers->setCurrentIndex(0);
        QComboBox* messages = m_Ui.messages;
        for (const MessageEntry& entry : MessageTable)
            messages->addItem(QString::fromLatin1(entry.display.data(), qsizetype(entry.display.size())));
        messages->setCurrentIndex(kDefaultMessageRow);
    } else {
        // The last tick runs as a live tick, before anything closes.
        FinalLiveTick();
        m_State.m_Online = false;
        m_LiveTimer.stop();
        m_Recorder.CancelRestart();
        if (m_SatellitesDlg)
            m_SatellitesDlg->ResetSignals(true);
        m_LogSummary.present.fill(false);
        if (m_SerialOpen || m_TcpInputOpen)
            OnLiveInput();
        if (m_Recorder.Recording())
            m_Recorder.Toggle();
        m_Ui.talkers->clear();
        m_Ui.messages->clear();
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
                       .arg(OkOrFail(m_SerialOpen), ConfigSettings.UartPort,
                            QString::number(ConfigSettings.UartBaudrate)));
        if (!m_SerialOpen) {
            if (ReadConfig(kConfigTcpInput)) {
                m_TcpInput = std::make_unique<CNetworkClient>(this);
                m_TcpInputOpen = m_TcpInput->Listen(quint16(ConfigSettings.ServerInputPort));
                // A server that could not listen holds no port for the next try.
                if (!m_TcpInputOpen)
                    m_TcpInput.reset();
            }
            AppendLine(QStringLiteral("[TCP] %1 to open GNSS data port (%2)")
                           .arg(OkOrFail(m_TcpInputOpen), QString::number(ConfigSettings.ServerInputPort)));
        }
    } else {
        // What came in since the last tick is decoded, forwarded and
        // recorded before the close lines.
        FinalLiveTick();
        if (m_SerialPort.IsOpen()) {
            const bool closed = m_SerialPort.Close();
            if (closed)
                m_SerialOpen = false;
            AppendLine(QStringLiteral("[UART] %1 to close the GNSS data port (%2 %3bps)")
                           .arg(OkOrFail(closed), port, QString::number(baudrate)));
        }
        m_TcpInputOpen = false;
        if (m_TcpInput) {
            // Each connection's disconnect line follows this one.
            m_TcpInput.reset();
            AppendLine(QStringLiteral("[TCP] %1 to close GNSS data port (%2)")
                           .arg(OkOrFail(true), QString::number(ConfigSettings.ServerInputPort)));
        }
    }

    if (!m_SerialOpen && !m_TcpInputOpen) {
        m_LiveTimer.stop();
        if (m_Recorder.Recording())
            m_Recorder.Toggle();
    } else {
        m_LiveTimer.start(kLiveTickMs);
    }
    UpdateWindow();
}

void COrvaneDlg::AppendLiveBytes(SourceId source, std::string_view bytes)
{
    std::string complete;
    m_LiveLines.Feed(source, bytes, complete);
    PassLiveText(complete);
}

void COrvaneDlg::PassLiveText(std::string_view bytes)
{
    // The recording keeps every byte as received; the decoder reads the
    // same text without its zero bytes, so sentences after one still decode.
    m_LiveRecordText.append(bytes);
    AppendWithoutZeros(m_State.NmeaText, bytes);
    m_State.NmeaTextLength = int32_t(m_State.NmeaText.size());
}

void COrvaneDlg::TakeSerialBytes()
{
    std::string queued;
    m_SerialPort.TakeQueued(queued);
    AppendLiveBytes(kSerialSource, queued);
}

void COrvaneDlg::FinalLiveTick()
{
    if (!m_State.m_Online || (!m_SerialOpen && !m_TcpInputOpen))
        return;
    // Data already received but not yet handed over comes first.
    QCoreApplication::sendPostedEvents(this, kTcpDataNotice);
    QCoreApplication::sendPostedEvents(this, kSerialDataNotice);
    if (m_SerialOpen)
        TakeSerialBytes();
    std::string rests;
    m_LiveLines.CloseAll(rests);
    PassLiveText(rests);
    OnLiveTick();
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
        TakeSerialBytes();
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
        const std::string_view bytes(notice->Data().constData(), size_t(notice->Data().size()));
        if (m_RawDataVisible) {
            // The characters of the received text; zero bytes are none.
            const auto characters = std::count_if(bytes.begin(), bytes.end(), [](char c) { return c != '\0'; });
            AppendLine(QStringLiteral("[TCP] %1 (%2)").arg(notice->Peer(), QString::number(characters)));
        }
        AppendLiveBytes(notice->Source(), bytes);
        break;
    }
    case kTcpClosedNotice:
        if (m_TcpInputOpen) {
            std::string rest;
            m_LiveLines.Close(static_cast<TcpClosedNotice*>(event)->Source(), rest);
            PassLiveText(rest);
        }
        break;
    case kSerialLostNotice:
        // A receiver that went away (unplugged) closes the port as the
        // live-input button would; it can be started again when it is back.
        if (m_SerialOpen) {
            AppendLine(QStringLiteral("[UART] Lost the GNSS data port (%1 %2bps): %3")
                           .arg(ConfigSettings.UartPort, QString::number(ConfigSettings.UartBaudrate),
                                static_cast<SerialLostNotice*>(event)->Reason()));
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
    // A source that stayed silent for a whole tick has its waiting rest
    // decoded now instead of holding it until its next line end.
    std::string idle;
    m_LiveLines.PassOnIdle(idle);
    PassLiveText(idle);
    if (m_LiveRecordText.empty())
        return;
    m_LiveBusy = true;
    if (!m_State.NmeaText.empty()) {
        m_State.m_ParsePosition = 0;
        m_State.m_TalkerRow = m_Ui.talkers->currentIndex();
        if (m_RawDataVisible)
            AppendLine(QString::fromLatin1(m_State.NmeaText.data(), qsizetype(m_State.NmeaText.size())));
        while (DispatchSentences(m_State, *this)) {
        }
    }
    m_Recorder.Step(m_LiveRecordText, m_RecordingProgressVisible);
    m_State.NmeaText.clear();
    m_LiveRecordText.clear();
    m_LiveBusy = false;
}

}  // namespace orvane
