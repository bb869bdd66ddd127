// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Watches a stream of RTCM 3 corrections as it passes to the receiver and
// counts what it holds: the messages of each type and the frames that
// would not reach the receiver whole. It only looks: the caller passes
// every byte on itself, unchanged and at once, whatever the checker finds.
//
// A frame is the preamble 0xD3, six reserved bits (zero), a 10-bit payload
// length, the payload (its first 12 bits are the message number) and a
// CRC-24Q over everything before it. Bytes come in pieces of any size;
// a frame split across pieces is counted once it is whole, and the counts
// do not depend on where the pieces were cut.
//
// What goes wrong is told apart:
//   wrong CRC  a frame of the right length whose CRC does not match;
//   cut frame  a frame that ends early: a whole, valid frame starts inside
//              the length it announced, or the stream ends within it
//              (known once that length has come, or at the end);
//   junk       bytes between frames that start none (counted in bytes and
//              in stretches, a stretch ending where a frame starts).
// After any of them the checker looks for the next 0xD3. Until a frame's
// announced length has come, a frame inside it is not counted, so a cut
// frame's successor is counted up to one frame's length (1029 bytes) late.

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace orvane {

// The CRC-24Q of RTCM 3 (polynomial 0x1864CFB, start 0, no reflection).
uint32_t Crc24q(const uint8_t* data, size_t size);

struct RtcmTypeCount {
    uint64_t count = 0;
    int64_t lastMs = 0;  // the caller's time of the last piece that completed one
};

struct RtcmCounts {
    uint64_t bytes = 0;   // every byte seen
    uint64_t frames = 0;  // good frames
    uint64_t wrongCrc = 0;
    uint64_t cutFrames = 0;
    uint64_t junkStretches = 0;
    uint64_t junkBytes = 0;
    uint64_t BadFrames() const { return wrongCrc + cutFrames + junkStretches; }
};

class RtcmFrameChecker {
public:
    // Looks at the next piece of the stream, seen at nowMs on the caller's
    // clock.
    void Feed(const uint8_t* data, size_t size, int64_t nowMs);
    // The stream ended (a connection closed): a frame still open is cut.
    void EndOfStream();
    // Forgets the counts and any frame in progress.
    void Reset();

    const RtcmCounts& Counts() const { return m_Counts; }
    // By message number; a frame with fewer than two payload bytes has none
    // and counts in Counts().frames only.
    const std::map<uint16_t, RtcmTypeCount>& Types() const { return m_Types; }

private:
    enum class Verdict { Good, WrongCrc, Undecided };
    // Decides what the bytes from m_Start hold, as far as they allow.
    void Scan(bool atEnd);
    // What the frame starting at `at` of m_Pending is: Undecided while its
    // bytes have not all come.
    Verdict FrameAt(size_t at, size_t& frameSize) const;
    void Junk(size_t count);
    void Consume(size_t count);

    std::vector<uint8_t> m_Pending;  // from a possible frame's preamble on
    size_t m_Start = 0;              // the bytes before it in m_Pending are done with
    bool m_InJunk = false;
    int64_t m_NowMs = 0;
    RtcmCounts m_Counts;
    std::map<uint16_t, RtcmTypeCount> m_Types;
};

}  // namespace orvane
