// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextView.h"

#include <utility>

namespace orvane {

namespace {
constexpr int kKeptLineEnds = 100;
const QString kLineEnd = QStringLiteral("\r\n");

// The view separates lines with LF where the text has CR LF, so a position
// in the view is a position in the converted text.
QString Shown(QString text)
{
    return text.replace(kLineEnd, QStringLiteral("\n"));
}
}  // namespace

bool TextView::AppendLine(const QString& line)
{
    // A CR LF at index 0 (an empty newest line) is not counted.
    qsizetype found = 0;
    for (int count = 1; count <= kKeptLineEnds; ++count) {
        found = m_DisplayText.indexOf(kLineEnd, found + 1);
        if (found < 0)
            break;
        if (count == kKeptLineEnds)
            m_DisplayText.truncate(found);
    }
    m_DisplayText.prepend(kLineEnd);
    m_DisplayText.prepend(line);
    m_NewHeadLength += line.size() + 2;
    return !std::exchange(m_RefreshQueued, true);
}

void TextView::Clear()
{
    m_DisplayText.clear();
    m_Reset = true;
}

std::optional<TextView::Update> TextView::Flush()
{
    if (m_NewHeadLength == 0 && !m_Reset)
        return std::nullopt;
    // Every new line went on top with its CR LF, and the 101-line rule only
    // ever cuts the end: while the new lines are all still there, the text
    // is them followed by the start of what the view shows, so only they
    // are laid out anew. Lines that hold line ends of their own count by
    // their length, not by their line ends.
    const qsizetype headLength = std::exchange(m_NewHeadLength, 0);
    if (std::exchange(m_Reset, false) || headLength > m_DisplayText.size())
        return Update{true, Shown(m_DisplayText), 0};
    return Update{false, Shown(m_DisplayText.left(headLength)), Shown(m_DisplayText.mid(headLength)).size()};
}

std::optional<TextView::Update> TextView::Refresh()
{
    m_RefreshQueued = false;
    return Flush();
}

}  // namespace orvane
