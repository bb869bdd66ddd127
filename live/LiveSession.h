// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The live sources of online mode: the serial port, or the TCP input server
// when the port cannot be opened, with their open and close lines; then the
// sources of the [sources] group (a NMEA server, gpsd, a UDP port); the
// received bytes of each source joined into whole lines; and the text of
// one live tick in two forms: as received, for the recording, and without
// zero bytes, for the decoder. The serial port's and the TCP input's
// config.ini groups are read here, each time the sources open.
//
// The session takes its sources' data signals itself, queued, and passes
// their status lines, the serial port's loss and its full queue on as its
// own signals; everything arrives in the order the sources told it.

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "LineAssembler.h"
#include "LiveSources.h"
#include "Notices.h"
#include "SerialPort.h"
#include "settings/Config.h"

namespace orvane {

class CNetworkClient;

class LiveSession : public QObject {
    Q_OBJECT
public:
    using LineSink = std::function<void(const QString&)>;

    explicit LiveSession(LineSink appendLine);
    ~LiveSession() override;

    bool IsOpen() const { return m_SerialOpen || m_TcpInputOpen || m_Sources.IsOpen(); }
    bool SerialOpen() const { return m_SerialOpen; }
    bool TcpInputOpen() const { return m_TcpInputOpen; }
    // The connections the TCP input holds now.
    int TcpInputClients() const;

    // Opens the serial port, or else the TCP input server, each as its
    // config.ini group allows, writing one line for each try; then the
    // sources that [sources] names, in their order.
    void Open();
    // Closes what is open, writing its close line.
    void Close();

    // Takes the received bytes and ends of a source that is not one of its
    // own (the position sender's connections) as the TCP input's: while the
    // TCP input is open. Bytes of a source that is not open are dropped.
    void Follow(const NoticeSource& source);
    // Raw data shown: each chunk received writes a line with its peer.
    void SetRawDataVisible(bool visible) { m_RawDataVisible = visible; }
    bool RawDataVisible() const { return m_RawDataVisible; }
    void AcknowledgeQueueFull() { m_SerialPort.AcknowledgeQueueFull(); }

    // Where a command to the receiver goes: the serial port while it is
    // open, else the [sources] NMEA server while connected.
    struct SendResult {
        bool sent = false;
        QString target;                   // "[UART] ttyUSB0" or "[TCP client] host:port"; empty when none is open
        QString reason;                   // why nothing was sent
        SourceId source = kSerialSource;  // whose received bytes answer
    };
    SendResult SendToReceiver(std::string_view bytes);
    // A line for the recording alone (the mark of a sent command): it joins
    // this tick's recorded text between whole received lines; the decoder
    // never sees it.
    void NoteForRecording(std::string_view line) { m_RecordText.append(line); }
    // Called with every source's bytes as they arrive, before they are
    // joined into lines: for measurements that need the arrival time.
    using ArrivalTap = std::function<void(SourceId source, std::string_view bytes)>;
    void SetArrivalTap(ArrivalTap tap) { m_ArrivalTap = std::move(tap); }
    // Called when a source ends: lost, or closed by Pause or Offline Mode.
    using EndTap = std::function<void(SourceId source, const QString& reason)>;
    void SetEndTap(EndTap tap) { m_EndTap = std::move(tap); }

    // At each tick: the rests of sources that have been silent for a second.
    void PassIdleRests();
    // Before the last tick: the data signals not yet taken, the queued
    // serial bytes and every rest.
    void TakeEverything();

    // This tick's bytes as received; empty when nothing came.
    const std::string& RecordText() const { return m_RecordText; }
    // The same bytes without their zero bytes, for the decoder.
    const std::string& TickText() const { return m_TickText; }
    // Ends a tick: both forms of its text are emptied.
    void EndTick();
    // m_LiveBusy: a tick runs; data notices meanwhile are discarded.
    void SetBusy(bool busy) { m_LiveBusy = busy; }
    const LineAssembler& Lines() const { return m_Lines; }

signals:
    // A status line of one of its sources.
    void Status(const QString& line);
    // The open serial port went away; its line is written. The receiver
    // closes the session as the live-input button does.
    void SerialPortLost();
    // The serial queue dropped a chunk; its reader waits for
    // AcknowledgeQueueFull.
    void QueueFull();

private:
    void FollowOwn(const NoticeSource& source);
    void OnSerialData();
    void OnReceived(SourceId source, const QString& peer, const QByteArray& bytes);
    void OnClosed(SourceId source);
    void OnSerialLost(const QString& reason);
    void OpenSerialOrTcpInput();
    bool Accepts(SourceId source) const { return m_TcpInputOpen || m_Sources.Owns(source); }
    void AppendBytes(SourceId source, std::string_view bytes);
    void Pass(std::string_view bytes);
    void TakeSerialBytes();
    bool Discarding();

    LineSink m_AppendLine;
    // The receivers of the data signals, apart by kind, so that before the
    // last tick those still queued are taken at once: TCP, then serial.
    QObject m_TcpInbox;
    QObject m_SerialInbox;
    SerialPortConfig m_SerialConfig;  // [uart], kept from one read to the next
    TcpInputConfig m_TcpInputConfig;  // [server] inputport and listenaddress

    bool m_SerialOpen = false;
    bool m_TcpInputOpen = false;
    bool m_LiveBusy = false;
    bool m_RawDataVisible = false;
    SerialPort m_SerialPort;
    std::unique_ptr<CNetworkClient> m_TcpInput;  // exists while the TCP input is open
    LiveSources m_Sources;                       // the [sources] group's sources
    LineAssembler m_Lines;                       // each source's unfinished sentence
    ArrivalTap m_ArrivalTap;                     // bytes as they arrive, for the TTFF test
    EndTap m_EndTap;                             // sources' ends, for the TTFF test
    std::string m_RecordText;                    // this tick's bytes as received, zeros included
    std::string m_TickText;                      // the same without zero bytes
};

}  // namespace orvane
