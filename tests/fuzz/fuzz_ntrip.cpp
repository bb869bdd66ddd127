// SPDX-License-Identifier: GPL-3.0-or-later
// What an NTRIP caster sends: its answer read from the front of the bytes
// (once coming, once after the connection ended), then the rest as a
// chunked body in pieces whose size comes from the input's front, and as
// a source table. The chunks read the same whatever the pieces, and never
// give more than came in; an answer's header never lies past the bytes.

#include <cstdint>

#include "FuzzInput.h"
#include "live/HttpChunks.h"
#include "live/NtripReply.h"
#include "live/NtripSourceTable.h"

using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::FuzzInput input(data, size);
    const size_t pieceSize = 1 + input.Byte() % 64;
    const std::string_view rest = input.Rest();
    const QByteArray bytes(rest.data(), qsizetype(rest.size()));

    for (const bool ended : {false, true}) {
        const std::optional<NtripReply> reply = ReadNtripReply(bytes, ended);
        if (reply && (reply->headerSize < 0 || reply->headerSize > bytes.size()))
            fuzz::Fail("an answer's header past the bytes");
        if (ended && !reply)
            fuzz::Fail("no answer once the connection ended");
    }
    const qsizetype prelude = IcyPreludeSize(bytes, true);
    if (prelude < 0 || prelude > bytes.size())
        fuzz::Fail("an ICY prelude past the bytes");

    HttpChunks whole, pieces;
    const QByteArray wholeBody = whole.Take(bytes);
    QByteArray piecesBody;
    for (qsizetype at = 0; at < bytes.size(); at += qsizetype(pieceSize))
        piecesBody += pieces.Take(bytes.mid(at, qsizetype(pieceSize)));
    if (wholeBody != piecesBody || whole.Current() != pieces.Current())
        fuzz::Fail("chunks in pieces read otherwise than whole");
    if (wholeBody.size() > bytes.size())
        fuzz::Fail("more body than bytes");

    QList<NtripMountpoint> mountpoints = ParseSourceTable(bytes);
    SortByDistance(mountpoints, 45.0, 7.0);
    for (const NtripMountpoint& mountpoint : mountpoints)
        if (mountpoint.name.isEmpty() || (mountpoint.latitude.has_value() != mountpoint.distanceMetres.has_value()))
            fuzz::Fail("a mountpoint without a name, or a distance without a place");
    return 0;
}
