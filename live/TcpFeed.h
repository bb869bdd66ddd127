// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A live source that Orvane connects to: a NMEA server (a multiplexer, a
// phone app, another receiver serving its sentences over TCP) or gpsd,
// which is asked for its receivers' raw sentences. The feed keeps its
// connection: after a loss, or a try that fails, it waits one retry period
// and tries again, so a peer that restarts is followed without a click.
//
// The feed tells its received bytes under its own source id, a loss as the
// end of that id (the source's unfinished line goes on), and connects,
// losses and failures as status lines. All of it runs on the window's
// thread.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

#include "GpsdStream.h"
#include "Notices.h"

class QTcpSocket;

namespace orvane {

// The waits of the feeds; tests shorten them.
struct FeedTiming {
    int retryMs = 5000;            // from a loss or a failed try to the next try
    int connectTimeoutMs = 10000;  // a try that gets no answer fails after this
    int quietMs = 5000;            // gpsd: connected this long without a sentence is reported
};

// Hands bytes taken straight from a source to the caller, bypassing its
// signals.
using SourceBytesSink = std::function<void(SourceId source, const QByteArray& bytes)>;

class TcpFeed : public NoticeSource {
    Q_OBJECT
public:
    enum class Kind { NmeaServer, Gpsd };

    TcpFeed(Kind kind, QString host, quint16 port, FeedTiming timing = {});
    ~TcpFeed() override;

    // "[TCP client]" or "[GPSD]", the prefix of the feed's lines.
    QString Label() const;
    // "host:port" as configured, an IPv6 address in brackets.
    const QString& Address() const { return m_Address; }
    SourceId Id() const { return m_Id; }
    bool Connected() const { return m_State == State::Connected; }

    // Starts the first try.
    void Open();
    // Hands what the socket holds and has not yet told to sink.
    void TakePending(const SourceBytesSink& sink);
    // Sends bytes to the NMEA server (a receiver behind ser2net or a
    // multiplexer that passes commands on). False with reason when the feed
    // is gpsd's or not connected; the socket sends them without blocking.
    bool Write(const QByteArray& bytes, QString& reason);
    // Ends the connection and every retry, without any line.
    void Close();

private:
    enum class State { Closed, Connecting, Connected, Waiting };

    void Connect();
    void OnConnected();
    void OnReadable();
    void OnError();
    void OnDisconnected();
    void OnConnectTimeout();
    void OnQuiet();
    void Lost(const QString& reason);
    void Failed(const QString& reason);
    // The received bytes without gpsd's reports, whose errors are written.
    QByteArray Filtered(const QByteArray& received);
    QString RetryText() const;

    Kind m_Kind;
    QString m_Host;
    quint16 m_Port;
    QString m_Address;
    FeedTiming m_Timing;
    SourceId m_Id;
    QTcpSocket* m_Socket;
    QTimer m_RetryTimer;
    QTimer m_ConnectTimer;
    QTimer m_QuietTimer;
    State m_State = State::Closed;
    bool m_EverConnected = false;
    QString m_LastFailure;  // a failure repeated try after try is written once
    GpsdStream m_Gpsd;      // gpsd's reports, read apart from the sentences
};

}  // namespace orvane
