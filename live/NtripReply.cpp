// SPDX-License-Identifier: GPL-3.0-or-later
#include "NtripReply.h"

#include <QList>

namespace orvane {

namespace {

// An answer whose header lines run longer than this is no caster's.
constexpr qsizetype kMaxHeader = 16 * 1024;

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The end of the blank line that closes the header lines starting at
// from, or -1 while it has not come.
qsizetype HeaderEnd(const QByteArray& received, qsizetype from)
{
    if (received.mid(from, 2) == "\r\n")
        return from + 2;
    if (received.mid(from, 1) == "\n")
        return from + 1;
    const qsizetype crlf = received.indexOf("\r\n\r\n", from);
    const qsizetype lf = received.indexOf("\n\n", from);
    if (crlf >= 0 && (lf < 0 || crlf < lf))
        return crlf + 4;
    return lf >= 0 ? lf + 2 : -1;
}

void ReadHeaders(const QByteArray& lines, NtripReply& reply)
{
    for (const QByteArray& raw : lines.split('\n')) {
        const QByteArray line = raw.trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed().toLower();
        if (name == "transfer-encoding" && value.contains("chunked"))
            reply.chunked = true;
        else if (name == "content-type" && value.startsWith("gnss/sourcetable") && reply.status == 200)
            reply.kind = NtripReply::Kind::SourceTable;
        else if (name == "content-length") {
            bool ok = false;
            const qint64 length = value.toLongLong(&ok);
            if (ok && length >= 0)
                reply.contentLength = length;
        }
    }
}

}  // namespace

std::optional<NtripReply> ReadNtripReply(const QByteArray& received, bool ended)
{
    const qsizetype lineEnd = received.indexOf('\n');
    if (lineEnd < 0) {
        if (!ended && received.size() <= kMaxHeader && !received.contains('\0'))
            return std::nullopt;
        NtripReply reply;
        reply.statusLine = QString::fromLatin1(received.left(60)).simplified();
        return reply;
    }
    NtripReply reply;
    const QByteArray status = received.left(lineEnd).trimmed();
    reply.statusLine = QString::fromLatin1(status.left(80));
    const qsizetype afterStatus = lineEnd + 1;

    if (status == "ICY 200 OK") {
        // The stream follows at once; whatever may stand between (see
        // IcyPreludeSize) is taken from the stream's start.
        reply.kind = NtripReply::Kind::Stream;
        reply.status = 200;
        reply.icy = true;
        reply.headerSize = afterStatus;
        return reply;
    }

    const bool sourceTable = status.startsWith("SOURCETABLE 200");
    const bool http = status.startsWith("HTTP/1.");
    if (!sourceTable && !http)
        return reply;
    qsizetype end = HeaderEnd(received, afterStatus);
    if (end < 0 && ended)
        end = received.size();
    if (end < 0) {
        if (received.size() <= kMaxHeader)
            return std::nullopt;
        return reply;
    }
    if (sourceTable) {
        reply.kind = NtripReply::Kind::SourceTable;
        reply.status = 200;
    } else {
        reply.version = status.startsWith("HTTP/1.1") ? 2 : 1;
        const QList<QByteArray> parts = status.split(' ');
        bool ok = false;
        reply.status = parts.size() > 1 ? parts[1].toInt(&ok) : 0;
        if (!ok)
            return reply;
        reply.kind = reply.status == 200 ? NtripReply::Kind::Stream : NtripReply::Kind::Refused;
    }
    ReadHeaders(received.mid(afterStatus, end - afterStatus), reply);
    reply.headerSize = end;
    return reply;
}

qsizetype IcyPreludeSize(const QByteArray& stream, bool ended)
{
    if (stream.isEmpty())
        return ended ? 0 : -1;
    const char first = stream[0];
    if (!IsLetter(first) && first != '\r' && first != '\n')
        return 0;
    if (stream == "\r")
        return ended ? 1 : -1;
    const qsizetype end = HeaderEnd(stream, 0);
    if (end >= 0)
        return end;
    // No blank line in sight: not header lines after all.
    return ended || stream.size() > kMaxHeader ? 0 : -1;
}

}  // namespace orvane
