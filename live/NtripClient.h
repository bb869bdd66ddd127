// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Takes RTK corrections from an NTRIP caster: it asks for the configured
// mountpoint (NTRIP 2 over HTTP/1.1, or NTRIP 1) with Basic
// authentication, reads either form of answer (ICY 200 OK, or HTTP/1.1
// 200 with the stream maybe in chunks) and hands the stream on byte for
// byte as Corrections. On the way the bytes pass a RTCM 3 frame checker,
// which only counts. While connected it sends the receiver's latest GGA
// every interval, for casters that compute corrections for the rover's
// place.
//
// Without a mountpoint it reads the caster's source table once and lists
// the mountpoints, nearest to the receiver's latest fix first. A caster
// that answers a mountpoint request with its source table has no such
// mountpoint.
//
// It keeps its connection as the TCP client source does: after a loss or
// a failed try it waits one retry period and tries again, and a failure
// repeated try after try is written once. A stream that brings no byte for
// the stall time is taken as lost. Status lines begin with "[NTRIP]".
//
// Corrections are for the receiver: whoever owns the receiver's write
// path connects it to the Corrections signal. Everything runs on the
// window's thread.

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QTimer>

#include <optional>

#include "HttpChunks.h"
#include "Notices.h"
#include "NtripReply.h"
#include "NtripSourceTable.h"
#include "decoder/RtcmFrames.h"
#include "settings/NtripConfig.h"

class QTcpSocket;

namespace orvane {

struct NtripTiming {
    int retryMs = 5000;            // from a loss or a failed try to the next try
    int connectTimeoutMs = 10000;  // a try without a connection or an answer fails after this
    int stallMs = 15000;           // a stream without a byte for this long is lost
    int ggaIntervalMs = -1;        // overrides the settings' seconds when not negative
};

class NtripClient : public NoticeSource {
    Q_OBJECT
public:
    enum class State { Closed, Connecting, Requesting, Streaming, ReadingTable, Waiting };

    explicit NtripClient(NtripSettings settings, NtripTiming timing = {});
    ~NtripClient() override;

    static QString Label() { return QStringLiteral("[NTRIP]"); }
    // "caster:port/MOUNT", or "caster:port" for the source table.
    QString Address() const;
    State CurrentState() const { return m_State; }
    // 1 or 2, the form of the caster's last answer; 0 before one.
    int AnswerVersion() const { return m_AnswerVersion; }

    // Starts the first try: the stream, or the source table when no
    // mountpoint is set.
    void Open();
    // Reads the caster's source table once, whatever the mountpoint.
    void ReadSourceTable();
    // Ends the connection and every retry, without any line.
    void Close();

    // The receiver's latest GGA sentence (with or without its line end) and
    // its position in degrees, for the caster and the source table's order.
    void SetLatestFix(const QByteArray& ggaSentence, double latitude, double longitude);

    // What the stream held so far, over every connection.
    const RtcmFrameChecker& Frames() const { return m_Frames; }
    qint64 BytesReceived() const { return m_BytesReceived; }
    qint64 GgaSent() const { return m_GgaSent; }
    const QList<NtripMountpoint>& Mountpoints() const { return m_Mountpoints; }
    // The clock of the frame checker's times (Frames().Types()'s lastMs).
    qint64 NowMs() const { return m_Clock.elapsed(); }

signals:
    // Bytes of the stream, as the caster sent them, for the receiver.
    void Corrections(const QByteArray& bytes);
    // The source table was read (nearest first when a fix is known).
    void SourceTableRead(const QList<NtripMountpoint>& mountpoints);
    void StateChanged(NtripClient::State state);

private:
    void SetState(State state);
    void Connect();
    void OnConnected();
    void OnReadable();
    void OnError();
    void OnDisconnected();
    void OnTimeout();
    void SendGga();
    QByteArray Request() const;
    // Reads the caster's answer at the front of m_Received.
    void ReadAnswer(bool ended);
    void Stream(const QByteArray& piece, bool ended = false);
    void Table(const QByteArray& bytes, bool ended);
    void TableRead();
    void Lost(const QString& reason);
    void Failed(const QString& reason);
    QString RetryText() const;

    NtripSettings m_Settings;
    NtripTiming m_Timing;
    QString m_HostPort;
    QTcpSocket* m_Socket;
    QTimer m_RetryTimer;
    QTimer m_TimeoutTimer;  // the connect, answer or stall limit of the current state
    QTimer m_GgaTimer;
    QElapsedTimer m_Clock;
    State m_State = State::Closed;
    bool m_TableOnly = false;  // this try asks for the source table
    bool m_EverConnected = false;
    QString m_LastFailure;
    int m_AnswerVersion = 0;
    QByteArray m_Received;  // the answer so far, or the source table's text
    NtripReply m_Reply;
    HttpChunks m_Chunks;
    bool m_IcyPrelude = false;  // the stream's start is still to be checked
    qint64 m_TableBodyBytes = 0;
    RtcmFrameChecker m_Frames;
    qint64 m_BytesReceived = 0;
    qint64 m_GgaSent = 0;
    QByteArray m_Gga;
    std::optional<std::pair<double, double>> m_Position;
    QList<NtripMountpoint> m_Mountpoints;
};

}  // namespace orvane
