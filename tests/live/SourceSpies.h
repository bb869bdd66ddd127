// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The signals of a live source, each caught by a QSignalSpy, and what they
// carried, in the order it came.

#include <QSignalSpy>
#include <QStringList>

#include "live/Notices.h"

// The index-th argument of every signal the spy caught.
template <class T>
QList<T> Arguments(const QSignalSpy& spy, int index)
{
    QList<T> values;
    for (const QList<QVariant>& arguments : spy)
        values << arguments.at(index).value<T>();
    return values;
}

struct SourceSpies {
    explicit SourceSpies(const orvane::NoticeSource* source)
        : status(source, &orvane::NoticeSource::Status), received(source, &orvane::NoticeSource::Received),
          closed(source, &orvane::NoticeSource::Closed)
    { }

    QStringList Lines() const { return Arguments<QString>(status, 0); }
    QByteArray Bytes() const { return Arguments<QByteArray>(received, 2).join(); }
    QStringList Peers() const { return Arguments<QString>(received, 1); }
    QList<orvane::SourceId> Sources() const { return Arguments<orvane::SourceId>(received, 0); }
    QList<orvane::SourceId> Ends() const { return Arguments<orvane::SourceId>(closed, 0); }

    QSignalSpy status;
    QSignalSpy received;
    QSignalSpy closed;
};
