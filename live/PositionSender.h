// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The position line of every decoded RMC sentence, sent to the clients of
// the forwarding server and to the upload server. Nothing here ever waits
// for the network: each connection keeps at most kSendBacklog bytes that
// the system has not taken yet.

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <memory>
#include <string>
#include <string_view>

#include "Notices.h"
#include "settings/Config.h"

class QTcpSocket;

namespace orvane {

class CNetworkClient;

// Bytes a connection may hold back before a forwarding client is dropped
// or an upload line is left out.
inline constexpr qint64 kSendBacklog = 64 * 1024;
// An upload that is not connected is tried again at most this often,
// unless the sender is given another period.
inline constexpr qint64 kUploadRetryMs = 5000;

// "%s,%.6lf,%.6lf,%.2f\n": the identifier, the signed latitude and
// longitude, and the course.
std::string PositionLine(std::string_view vin, double latitude, double longitude, double heading);

// It tells the forwarding server's notices and the upload connection's
// received bytes and end as its own.
class PositionSender : public NoticeSource {
    Q_OBJECT
public:
    PositionSender();
    // Drops the forwarding server and closes the upload connection.
    ~PositionSender() override;

    // Listens for forwarding clients on the record's port and listen
    // address; false when it cannot.
    bool StartForwarding(const ForwardingConfig& config);
    // Why the last StartForwarding failed, as the system tells it.
    const QString& ForwardingError() const { return m_ForwardingError; }
    // Starts connecting to the record's upload server; the name is resolved
    // without waiting; a failed attempt is made again before a later send.
    void StartUpload(const UploadConfig& config);
    void Shutdown();

    // The least time between two attempts to connect the upload, counted
    // from the start of the last one; kUploadRetryMs unless changed. A
    // change applies from the next line sent on.
    void SetUploadRetryMs(qint64 ms) { m_UploadRetryMs = ms; }
    qint64 UploadRetryMs() const { return m_UploadRetryMs; }

    // Sends the line to the upload server and to every forwarding client.
    // A forwarding client whose backlog would pass kSendBacklog is dropped
    // with its disconnect line; the upload leaves the line out instead.
    void Send(std::string_view line);

    bool Forwarding() const { return m_Forwarding != nullptr; }
    bool Uploading() const { return m_Upload != nullptr; }
    CNetworkClient* ForwardingServer() const { return m_Forwarding.get(); }
    QTcpSocket* UploadSocket() const { return m_Upload; }
    // Lines left out because the upload was not connected or was full.
    quint64 UploadLinesDropped() const { return m_UploadDropped; }

private:
    void Upload(std::string_view line);
    void Forward(std::string_view line);
    void ConnectUpload();
    void OnUploadReceive();
    void OnUploadClosed();

    QString m_ForwardingError;
    std::unique_ptr<CNetworkClient> m_Forwarding;
    QTcpSocket* m_Upload = nullptr;
    QString m_UploadHost;
    quint16 m_UploadPort = 0;
    QElapsedTimer m_LastAttempt;
    qint64 m_UploadRetryMs = kUploadRetryMs;
    SourceId m_UploadSource = 0;
    QString m_UploadPeer;
    quint64 m_UploadDropped = 0;
};

}  // namespace orvane
