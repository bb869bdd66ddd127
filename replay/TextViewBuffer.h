// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The contents of the text view: lines separated by CR LF, newest first,
// at most the newest line and the 100 lines before it.

#include <QString>

namespace orvane {

class TextViewBuffer {
public:
    // Puts the line on top, dropping what lies past the 100th CR LF
    // counted from the second character.
    void AppendLine(const QString& line);

    // Empties the view.
    void Clear() { m_DisplayText.clear(); }

    const QString& Text() const { return m_DisplayText; }

private:
    QString m_DisplayText;
};

}  // namespace orvane
