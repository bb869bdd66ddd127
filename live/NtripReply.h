// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A caster's answer to a request, read from the front of what it sent:
//
//   ICY 200 OK                NTRIP 1: the stream follows
//   SOURCETABLE 200 OK        NTRIP 1: the source table follows
//   HTTP/1.1 200 OK           NTRIP 2: the stream or, by its Content-Type
//                             gnss/sourcetable, the source table; either
//                             maybe in chunks
//   HTTP/1.x 401, 404, ...    a refusal
//
// The answer is whole once its header lines have come; ICY's status line
// stands alone, the stream starting right after it.

#include <QByteArray>
#include <QString>

#include <optional>

namespace orvane {

struct NtripReply {
    enum class Kind { Stream, SourceTable, Refused, NotNtrip };
    Kind kind = Kind::NotNtrip;
    int version = 1;  // 2 for an HTTP/1.1 answer
    int status = 0;   // the HTTP status, 200 for ICY and SOURCETABLE
    QString statusLine;
    bool chunked = false;
    bool icy = false;  // the stream's start may hold a blank line or header lines
    std::optional<qint64> contentLength;
    qsizetype headerSize = 0;  // bytes of the answer before the body
};

// The answer at the front of received, or nothing while its header lines
// are still coming. Once the connection ended, what came is all there is:
// header lines without the closing blank line count as whole.
std::optional<NtripReply> ReadNtripReply(const QByteArray& received, bool ended = false);

// Some NTRIP 1 casters send a blank line, or header lines and a blank
// line, after ICY 200 OK: their size at the stream's start, 0 when the
// stream starts at once (a RTCM frame starts with 0xD3, never a letter or
// a line end), -1 while that is not yet known.
qsizetype IcyPreludeSize(const QByteArray& stream, bool ended = false);

}  // namespace orvane
