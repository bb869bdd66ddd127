// SPDX-License-Identifier: GPL-3.0-or-later
#include "SerialRing.h"

namespace orvane {

uint32_t SerialRing::Used() const
{
    const uint32_t write = m_Write.load(std::memory_order_acquire);
    const uint32_t read = m_Read.load(std::memory_order_acquire);
    return (write - read + kSize) % kSize;
}

bool SerialRing::Push(const char* data, size_t n)
{
    if (n >= kSize - Used())
        return false;
    uint32_t write = m_Write.load(std::memory_order_relaxed);
    for (size_t i = 0; i < n; ++i) {
        m_Bytes[write] = data[i];
        write = (write + 1) % kSize;
    }
    // The bytes are stored before the index that covers them moves.
    m_Write.store(write, std::memory_order_release);
    return true;
}

size_t SerialRing::TakeAll(std::string& out)
{
    const uint32_t count = Used();
    uint32_t read = m_Read.load(std::memory_order_relaxed);
    out.reserve(out.size() + count);
    for (uint32_t i = 0; i < count; ++i) {
        out.push_back(m_Bytes[read]);
        read = (read + 1) % kSize;
    }
    // The bytes are copied out before the index that releases them moves.
    m_Read.store(read, std::memory_order_release);
    return count;
}

}  // namespace orvane
