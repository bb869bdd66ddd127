// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextViewBuffer.h"

namespace orvane {

namespace {
constexpr int kKeptLineEnds = 100;
const QString kLineEnd = QStringLiteral("\r\n");
}  // namespace

void TextViewBuffer::AppendLine(const QString& line)
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
}

}  // namespace orvane
