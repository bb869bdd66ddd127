// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text view's contents and what the view has yet to show: lines
// separated by CR LF, newest first, at most the newest line and the 100
// lines before it. The view shows them with LF for CR LF and is brought up
// to date once per event-loop turn: with the lines that came on top since
// its last update, or after a Clear with the whole text.

#include <QString>

#include <optional>

namespace orvane {

class TextView {
public:
    // What the view is to change: its whole text, or the new lines put on
    // top of the first keptLength characters it shows, the rest cut.
    struct Update {
        bool rewrite = false;
        QString text;  // as the view shows it
        qsizetype keptLength = 0;
    };

    // Puts the line on top, dropping what lies past the 100th CR LF
    // counted from the second character. True for the first line since the
    // last refresh: the caller queues one.
    bool AppendLine(const QString& line);
    // Empties the text; the next update rewrites the view.
    void Clear();
    const QString& Text() const { return m_DisplayText; }

    // The update since the last one, none when the view shows the text.
    std::optional<Update> Flush();
    // The same for the queued refresh, after which a line queues another.
    std::optional<Update> Refresh();

private:
    QString m_DisplayText;
    qsizetype m_NewHeadLength = 0;  // length of the lines the view does not show yet
    bool m_Reset = false;           // the view must be rewritten whole
    bool m_RefreshQueued = false;
};

}  // namespace orvane
