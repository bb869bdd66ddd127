// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A window stand-in that keeps every notice posted to it, in order.

#include <QEvent>
#include <QObject>
#include <QStringList>

#include "live/Notices.h"

class NoticeRecorder : public QObject {
public:
    QStringList statusLines;
    QByteArray tcpData;
    QStringList tcpPeers;
    QList<orvane::SourceId> dataSources;  // the source of each data notice
    QList<orvane::SourceId> closedSources;
    int serialNotices = 0;
    int queueFullNotices = 0;
    QStringList lostReasons;

    QList<int> types;  // the type of every notice, in order

    bool event(QEvent* event) override
    {
        using namespace orvane;
        if (event->type() >= QEvent::User)
            types << int(event->type());
        switch (int(event->type())) {
        case kStatusNotice:
            statusLines << static_cast<StatusNotice*>(event)->Line();
            return true;
        case kTcpDataNotice: {
            auto* notice = static_cast<TcpDataNotice*>(event);
            tcpData += notice->Data();
            tcpPeers << notice->Peer();
            dataSources << notice->Source();
            chunkSizes << int(notice->Data().size());
            return true;
        }
        case kTcpClosedNotice:
            closedSources << static_cast<TcpClosedNotice*>(event)->Source();
            return true;
        case kSerialDataNotice:
            ++serialNotices;
            return true;
        case kQueueFullNotice:
            ++queueFullNotices;
            return true;
        case kSerialLostNotice:
            lostReasons << static_cast<SerialLostNotice*>(event)->Reason();
            return true;
        default:
            return QObject::event(event);
        }
    }
    QList<int> chunkSizes;
};
