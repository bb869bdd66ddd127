// SPDX-License-Identifier: GPL-3.0-or-later
#include "LineAssembler.h"

namespace orvane {

namespace {

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

}  // namespace

bool EndsInChecksum(std::string_view text)
{
    const size_t n = text.size();
    return n >= 3 && text[n - 3] == '*' && IsHexDigit(text[n - 2]) && IsHexDigit(text[n - 1]);
}

void LineAssembler::Feed(SourceId source, std::string_view bytes, std::string& out, Clock::time_point now)
{
    Rest& rest = m_Rest[source];
    std::string& waiting = rest.bytes;
    rest.lastFed = now;
    const size_t lastEnd = bytes.find_last_of("\r\n");
    if (lastEnd == std::string_view::npos) {
        waiting.append(bytes);
    } else {
        out.append(waiting);
        out.append(bytes.substr(0, lastEnd + 1));
        waiting.assign(bytes.substr(lastEnd + 1));
    }
    if (waiting.size() > kMaxWaiting || EndsInChecksum(waiting)) {
        out.append(waiting);
        waiting.clear();
    }
    if (waiting.empty())
        m_Rest.erase(source);
}

void LineAssembler::PassOnIdle(std::string& out, Clock::time_point now)
{
    for (auto rest = m_Rest.begin(); rest != m_Rest.end();) {
        if (now - rest->second.lastFed < kSilence) {
            ++rest;
        } else {
            out.append(rest->second.bytes);
            rest = m_Rest.erase(rest);
        }
    }
}

void LineAssembler::Close(SourceId source, std::string& out)
{
    const auto rest = m_Rest.find(source);
    if (rest == m_Rest.end())
        return;
    out.append(rest->second.bytes);
    m_Rest.erase(rest);
}

void LineAssembler::CloseAll(std::string& out)
{
    for (auto& [source, rest] : m_Rest)
        out.append(rest.bytes);
    m_Rest.clear();
}

size_t LineAssembler::Waiting(SourceId source) const
{
    const auto rest = m_Rest.find(source);
    return rest == m_Rest.end() ? 0 : rest->second.bytes.size();
}

size_t LineAssembler::WaitingTotal() const
{
    size_t total = 0;
    for (const auto& [source, rest] : m_Rest)
        total += rest.bytes.size();
    return total;
}

}  // namespace orvane
