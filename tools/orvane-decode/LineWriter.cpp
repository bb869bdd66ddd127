// SPDX-License-Identifier: GPL-3.0-or-later
#include "LineWriter.h"

#include <cstdint>
#include <cstring>

namespace orvane {

namespace {

// True when no byte has its top bit set, read eight bytes at a time.
bool IsAscii(std::string_view text)
{
    constexpr uint64_t kTopBits = 0x8080808080808080ULL;
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (word & kTopBits)
            return false;
    }
    for (; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) & 0x80)
            return false;
    }
    return true;
}

}  // namespace

void LineWriter::WriteLine(std::string_view latin1)
{
    // Decoded lines are plain ASCII but for a few odd characters: those go
    // on whole.
    if (IsAscii(latin1)) {
        m_Buffer.append(latin1);
        m_Buffer.push_back('\n');
        if (m_Buffer.size() >= kFlushSize)
            Flush();
        return;
    }
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            m_Buffer.push_back(c);
        } else {
            m_Buffer.push_back(char(0xc0 | (byte >> 6)));
            m_Buffer.push_back(char(0x80 | (byte & 0x3f)));
        }
    }
    m_Buffer.push_back('\n');
    if (m_Buffer.size() >= kFlushSize)
        Flush();
}

void LineWriter::Flush()
{
    if (!m_Buffer.empty() && !m_Failed && std::fwrite(m_Buffer.data(), 1, m_Buffer.size(), m_Stream) != m_Buffer.size())
        m_Failed = true;
    m_Buffer.clear();
}

bool LineWriter::Finish()
{
    Flush();
    if (std::fflush(m_Stream) != 0)
        m_Failed = true;
    return !m_Failed;
}

}  // namespace orvane
