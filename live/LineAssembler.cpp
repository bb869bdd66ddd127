#include "LineAssembler.h"

namespace orvane {

void LineAssembler::Feed(SourceId source, std::string_view bytes, std::string& out)
{
    std::string& waiting = m_Rest[source];
    const size_t lastEnd = bytes.find_last_of("\r\n");
    if (lastEnd == std::string_view::npos) {
        waiting.append(bytes);
    } else {
        out.append(waiting);
        out.append(bytes.substr(0, lastEnd + 1));
        waiting.assign(bytes.substr(lastEnd + 1));
    }
    if (waiting.size() > kMaxWaiting) {
        out.append(waiting);
        waiting.clear();
    }
    if (waiting.empty())
        m_Rest.erase(source);
}

void LineAssembler::Close(SourceId source, std::string& out)
{
    const auto rest = m_Rest.find(source);
    if (rest == m_Rest.end())
        return;
    out.append(rest->second);
    m_Rest.erase(rest);
}

void LineAssembler::CloseAll(std::string& out)
{
    for (auto& [source, rest] : m_Rest)
        out.append(rest);
    m_Rest.clear();
}

size_t LineAssembler::Waiting(SourceId source) const
{
    const auto rest = m_Rest.find(source);
    return rest == m_Rest.end() ? 0 : rest->second.size();
}

size_t LineAssembler::WaitingTotal() const
{
    size_t total = 0;
    for (const auto& [source, rest] : m_Rest)
        total += rest.size();
    return total;
}

}  // namespace orvane
