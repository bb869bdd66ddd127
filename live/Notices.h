// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The notices that the live sources post to the main window. Each event
// owns its payload, so a later event never changes what an earlier one
// delivers. Posting never waits.

#include <QByteArray>
#include <QEvent>
#include <QString>

namespace orvane {

enum NoticeType : int {
    kStatusNotice = QEvent::User + 201,      // a status line from a TCP server
    kSerialDataNotice = QEvent::User + 202,  // bytes wait in the serial queue
    kTcpDataNotice = QEvent::User + 203,     // bytes received on a TCP connection
    kSerialLostNotice = QEvent::User + 204,  // the serial device went away
    kQueueFullNotice = QEvent::User + 205,   // the serial queue dropped a chunk
    kTcpClosedNotice = QEvent::User + 206,   // a TCP connection ended
};

// Identifies where live bytes came from, so that each source's partial
// sentence is kept apart from the others'.
using SourceId = quint64;
inline constexpr SourceId kSerialSource = 0;

class StatusNotice : public QEvent {
public:
    explicit StatusNotice(QString line) : QEvent(QEvent::Type(kStatusNotice)), m_Line(std::move(line)) { }
    const QString& Line() const { return m_Line; }

private:
    QString m_Line;
};

class SerialDataNotice : public QEvent {
public:
    explicit SerialDataNotice(quint16 portId) : QEvent(QEvent::Type(kSerialDataNotice)), m_PortId(portId) { }
    quint16 PortId() const { return m_PortId; }

private:
    quint16 m_PortId;
};

class TcpDataNotice : public QEvent {
public:
    TcpDataNotice(SourceId source, QString peer, QByteArray data)
        : QEvent(QEvent::Type(kTcpDataNotice)), m_Source(source), m_Peer(std::move(peer)), m_Data(std::move(data))
    { }
    SourceId Source() const { return m_Source; }
    const QString& Peer() const { return m_Peer; }
    const QByteArray& Data() const { return m_Data; }

private:
    SourceId m_Source;
    QString m_Peer;
    QByteArray m_Data;
};

class TcpClosedNotice : public QEvent {
public:
    explicit TcpClosedNotice(SourceId source) : QEvent(QEvent::Type(kTcpClosedNotice)), m_Source(source) { }
    SourceId Source() const { return m_Source; }

private:
    SourceId m_Source;
};

class SerialLostNotice : public QEvent {
public:
    explicit SerialLostNotice(QString reason) : QEvent(QEvent::Type(kSerialLostNotice)), m_Reason(std::move(reason)) { }
    const QString& Reason() const { return m_Reason; }

private:
    QString m_Reason;
};

class QueueFullNotice : public QEvent {
public:
    QueueFullNotice() : QEvent(QEvent::Type(kQueueFullNotice)) { }
};

}  // namespace orvane
