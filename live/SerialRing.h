// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// m_QueueRead: the byte queue between the serial reader thread and the
// window's thread. A single-producer, single-consumer ring without a lock:
// only the reader stores bytes and advances the write index, only the window
// takes bytes and advances the read index. One slot always stays free, so
// at most 8191 bytes are held and a full ring differs from an empty one.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace orvane {

class SerialRing {
public:
    static constexpr uint32_t kSize = 8192;

    // Bytes held now.
    uint32_t Used() const;

    // Reader thread: stores the whole chunk when it fits (n < 8192 - used)
    // and returns true; otherwise stores nothing and returns false.
    bool Push(const char* data, size_t n);

    // Window thread: appends the bytes held at the moment of the call to
    // out, oldest first; bytes that arrive meanwhile stay for the next call.
    size_t TakeAll(std::string& out);

private:
    std::array<char, kSize> m_Bytes{};
    std::atomic<uint32_t> m_Write{0};
    std::atomic<uint32_t> m_Read{0};
};

}  // namespace orvane
