// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The body of an HTTP/1.1 reply sent in chunked transfer coding: each
// chunk is its size in hex (maybe with extensions after ';'), CR LF, the
// bytes, CR LF; a chunk of size 0 ends the body. Takes the reply in pieces
// of any size and hands back the body's bytes as they come.

#include <QByteArray>

namespace orvane {

class HttpChunks {
public:
    enum class State { Size, Data, DataEnd, Trailer, Done, Broken };

    // The body bytes that the piece completes, in order.
    QByteArray Take(const QByteArray& piece);
    State Current() const { return m_State; }
    bool Done() const { return m_State == State::Done; }
    bool Broken() const { return m_State == State::Broken; }
    void Reset();

private:
    State m_State = State::Size;
    QByteArray m_Line;  // a size or trailer line so far
    qint64 m_Left = 0;  // bytes of the current chunk still to come
};

}  // namespace orvane
