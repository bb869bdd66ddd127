// SPDX-License-Identifier: GPL-3.0-or-later
// gpsd's stream: the input, cut into pieces whose sizes come from its
// front, goes through the JSON filter. What passes on is never more than
// came in, and a stream without any JSON report passes on whole.

#include <cstdint>

#include "FuzzInput.h"
#include "live/GpsdStream.h"

using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::FuzzInput input(data, size);
    const size_t pieceSize = 1 + input.Byte() % 64;
    const std::string_view rest = input.Rest();
    GpsdStream stream;
    QByteArray passed;
    for (size_t at = 0; at < rest.size(); at += pieceSize) {
        const std::string_view piece = rest.substr(at, pieceSize);
        passed += stream.Filter(QByteArray(piece.data(), qsizetype(piece.size())));
        stream.TakeErrors();
    }
    if (size_t(passed.size()) > rest.size())
        fuzz::Fail("more bytes passed on than came in");
    if (rest.find('{') == std::string_view::npos && passed != QByteArray(rest.data(), qsizetype(rest.size())))
        fuzz::Fail("a stream without JSON changed");
    return 0;
}
