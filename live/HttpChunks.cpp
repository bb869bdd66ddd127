// SPDX-License-Identifier: GPL-3.0-or-later
#include "HttpChunks.h"

namespace orvane {

namespace {

// No chunk size or trailer line is longer than this in practice; a longer
// one means the reply is not what it claims.
constexpr qsizetype kMaxLine = 1024;
constexpr qint64 kMaxChunk = qint64(1) << 40;

}  // namespace

void HttpChunks::Reset()
{
    m_State = State::Size;
    m_Line.clear();
    m_Left = 0;
}

QByteArray HttpChunks::Take(const QByteArray& piece)
{
    QByteArray body;
    qsizetype at = 0;
    while (at < piece.size() && m_State != State::Done && m_State != State::Broken) {
        if (m_State == State::Data) {
            const qsizetype count = qsizetype(qMin<qint64>(m_Left, piece.size() - at));
            body.append(piece.constData() + at, count);
            at += count;
            m_Left -= count;
            if (m_Left == 0)
                m_State = State::DataEnd;
            continue;
        }
        const char c = piece[at++];
        if (c != '\n') {
            m_Line.append(c);
            if (m_Line.size() > kMaxLine)
                m_State = State::Broken;
            continue;
        }
        QByteArray line = m_Line;
        m_Line.clear();
        if (line.endsWith('\r'))
            line.chop(1);
        if (m_State == State::DataEnd) {
            m_State = line.isEmpty() ? State::Size : State::Broken;
        } else if (m_State == State::Size) {
            const qsizetype semicolon = line.indexOf(';');
            const QByteArray digits = (semicolon < 0 ? line : line.left(semicolon)).trimmed();
            bool ok = false;
            const qint64 size = digits.toLongLong(&ok, 16);
            if (!ok || digits.isEmpty() || size < 0 || size > kMaxChunk || digits.startsWith('-') ||
                digits.startsWith('+'))
                m_State = State::Broken;
            else if (size == 0)
                m_State = State::Trailer;
            else {
                m_Left = size;
                m_State = State::Data;
            }
        } else if (m_State == State::Trailer && line.isEmpty()) {
            m_State = State::Done;
        }
    }
    return body;
}

}  // namespace orvane
