// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the live sources tell, as signals: a status line, bytes received,
// and the end of a source. Their receivers connect them queued, so that
// everything the sources tell arrives on the window's thread in one queue,
// in the order it was told; each signal's arguments are its own copies, so
// a later signal never changes what an earlier one delivers.

#include <QByteArray>
#include <QObject>
#include <QString>

namespace orvane {

// Identifies where live bytes came from, so that each source's partial
// sentence is kept apart from the others'.
using SourceId = quint64;
inline constexpr SourceId kSerialSource = 0;

class NoticeSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    // A status line for the text view.
    void Status(const QString& line);
    // Bytes received from the source, with the peer they came from.
    void Received(SourceId source, const QString& peer, const QByteArray& bytes);
    // The source ended; its unfinished line goes on.
    void Closed(SourceId source);
};

}  // namespace orvane
