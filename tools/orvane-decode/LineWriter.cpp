#include "LineWriter.h"

namespace orvane {

void LineWriter::WriteLine(std::string_view latin1)
{
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
