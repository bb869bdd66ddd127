// SPDX-License-Identifier: GPL-3.0-or-later
// The RTCM 3 frame checker: the input seen whole, and again in pieces cut
// where its first byte says, must give the same counts; every byte is
// seen, and the frames of each type add up to no more than the good ones.

#include <cstdint>
#include <string_view>

#include "FuzzInput.h"
#include "decoder/RtcmFrames.h"

using namespace orvane;

namespace {

RtcmFrameChecker Check(std::string_view bytes, size_t step)
{
    RtcmFrameChecker checker;
    for (size_t at = 0; at < bytes.size(); at += step) {
        const std::string_view piece = bytes.substr(at, step);
        checker.Feed(reinterpret_cast<const uint8_t*>(piece.data()), piece.size(), int64_t(at));
    }
    checker.EndOfStream();
    return checker;
}

bool Same(const RtcmFrameChecker& a, const RtcmFrameChecker& b)
{
    const RtcmCounts &x = a.Counts(), &y = b.Counts();
    if (x.bytes != y.bytes || x.frames != y.frames || x.wrongCrc != y.wrongCrc || x.cutFrames != y.cutFrames ||
        x.junkStretches != y.junkStretches || x.junkBytes != y.junkBytes || a.Types().size() != b.Types().size())
        return false;
    for (auto i = a.Types().begin(), j = b.Types().begin(); i != a.Types().end(); ++i, ++j)
        if (i->first != j->first || i->second.count != j->second.count)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::FuzzInput input(data, size);
    const size_t step = 1 + input.Byte() % 61;
    const std::string_view bytes = input.Rest();

    const RtcmFrameChecker whole = Check(bytes, bytes.size() + 1);
    const RtcmFrameChecker pieces = Check(bytes, step);
    if (!Same(whole, pieces))
        fuzz::Fail("the stream in pieces counted otherwise than whole");
    if (whole.Counts().bytes != bytes.size())
        fuzz::Fail("a byte went uncounted");
    if (whole.Counts().junkBytes > bytes.size() || whole.Counts().junkStretches > whole.Counts().junkBytes)
        fuzz::Fail("more junk than bytes");
    uint64_t typed = 0;
    for (const auto& entry : whole.Types())
        typed += entry.second.count;
    if (typed > whole.Counts().frames)
        fuzz::Fail("more typed frames than good ones");
    return 0;
}
