// SPDX-License-Identifier: GPL-3.0-or-later
#include "RtcmFrames.h"

#include <array>
#include <cstring>

namespace orvane {

namespace {

constexpr uint8_t kPreamble = 0xD3;
constexpr size_t kHeaderSize = 3;
constexpr size_t kCrcSize = 3;
// Bytes already looked at are dropped from the buffer's front once this
// many have gathered, so a long stream does not move them at every frame.
constexpr size_t kCompactAfter = 8192;

constexpr std::array<uint32_t, 256> MakeCrcTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t byte = 0; byte < 256; ++byte) {
        uint32_t crc = byte << 16;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x800000) ? ((crc << 1) ^ 0x1864CFB) : (crc << 1);
        table[byte] = crc & 0xFFFFFF;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

const uint8_t* FindPreamble(const uint8_t* from, const uint8_t* end)
{
    const void* found = std::memchr(from, kPreamble, size_t(end - from));
    return found ? static_cast<const uint8_t*>(found) : end;
}

// A 0xD3 followed by reserved bits that are not zero starts no frame.
bool StartsFrame(const uint8_t* at, size_t available)
{
    return at[0] == kPreamble && (available < 2 || (at[1] & 0xFC) == 0);
}

}  // namespace

uint32_t Crc24q(const uint8_t* data, size_t size)
{
    uint32_t crc = 0;
    for (size_t k = 0; k < size; ++k)
        crc = ((crc << 8) & 0xFFFFFF) ^ kCrcTable[((crc >> 16) ^ data[k]) & 0xFF];
    return crc;
}

void RtcmFrameChecker::Feed(const uint8_t* data, size_t size, int64_t nowMs)
{
    m_NowMs = nowMs;
    m_Counts.bytes += size;
    if (size == 0)
        return;
    const uint8_t* end = data + size;
    if (m_Start == m_Pending.size()) {
        // Nothing open: what comes before the next preamble is junk, counted
        // without being copied.
        const uint8_t* preamble = FindPreamble(data, end);
        if (preamble != data)
            Junk(size_t(preamble - data));
        data = preamble;
    }
    m_Pending.insert(m_Pending.end(), data, end);
    Scan(false);
}

void RtcmFrameChecker::EndOfStream()
{
    Scan(true);
    m_Pending.clear();
    m_Start = 0;
    m_InJunk = false;
}

void RtcmFrameChecker::Reset()
{
    m_Pending.clear();
    m_Start = 0;
    m_InJunk = false;
    m_Counts = {};
    m_Types.clear();
}

RtcmFrameChecker::Verdict RtcmFrameChecker::FrameAt(size_t at, size_t& frameSize) const
{
    const size_t available = m_Pending.size() - at;
    if (available < kHeaderSize)
        return Verdict::Undecided;
    const uint8_t* frame = m_Pending.data() + at;
    const size_t length = (size_t(frame[1] & 0x03) << 8) | frame[2];
    frameSize = kHeaderSize + length + kCrcSize;
    if (available < frameSize)
        return Verdict::Undecided;
    const uint8_t* crc = frame + kHeaderSize + length;
    const uint32_t sent = (uint32_t(crc[0]) << 16) | (uint32_t(crc[1]) << 8) | crc[2];
    return Crc24q(frame, kHeaderSize + length) == sent ? Verdict::Good : Verdict::WrongCrc;
}

void RtcmFrameChecker::Scan(bool atEnd)
{
    while (m_Start < m_Pending.size()) {
        const uint8_t* begin = m_Pending.data() + m_Start;
        const size_t available = m_Pending.size() - m_Start;
        if (!StartsFrame(begin, available)) {
            const uint8_t* next = FindPreamble(begin + 1, begin + available);
            const size_t junk = size_t(next - begin);
            Junk(junk);
            Consume(junk);
            continue;
        }
        size_t frameSize = 0;
        const Verdict verdict = FrameAt(m_Start, frameSize);
        if (verdict == Verdict::Undecided && !atEnd)
            return;
        m_InJunk = false;
        if (verdict == Verdict::Good) {
            ++m_Counts.frames;
            if (frameSize >= kHeaderSize + 2 + kCrcSize) {
                RtcmTypeCount& type = m_Types[uint16_t((begin[3] << 4) | (begin[4] >> 4))];
                ++type.count;
                type.lastMs = m_NowMs;
            }
            Consume(frameSize);
            continue;
        }
        // A wrong CRC, or a frame cut short: by the next one, which is good
        // and starts inside this one's length, or by the end of the stream.
        const bool whole = verdict == Verdict::WrongCrc;
        const size_t span = whole ? frameSize : available;
        size_t cutAt = 0;
        for (size_t at = 1; at < span && cutAt == 0; ++at) {
            if (!StartsFrame(begin + at, available - at))
                continue;
            size_t innerSize = 0;
            const Verdict inner = FrameAt(m_Start + at, innerSize);
            if (inner == Verdict::Good)
                cutAt = at;
            else if (inner == Verdict::Undecided && !atEnd)
                return;  // decided when more bytes come
        }
        if (cutAt != 0 || !whole) {
            ++m_Counts.cutFrames;
            Consume(cutAt != 0 ? cutAt : available);
        } else {
            ++m_Counts.wrongCrc;
            Consume(frameSize);
        }
    }
}

void RtcmFrameChecker::Junk(size_t count)
{
    if (!m_InJunk)
        ++m_Counts.junkStretches;
    m_InJunk = true;
    m_Counts.junkBytes += count;
}

void RtcmFrameChecker::Consume(size_t count)
{
    m_Start += count;
    if (m_Start >= m_Pending.size()) {
        m_Pending.clear();
        m_Start = 0;
    } else if (m_Start >= kCompactAfter) {
        m_Pending.erase(m_Pending.begin(), m_Pending.begin() + std::ptrdiff_t(m_Start));
        m_Start = 0;
    }
}

}  // namespace orvane
