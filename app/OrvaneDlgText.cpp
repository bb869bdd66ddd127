// SPDX-License-Identifier: GPL-3.0-or-later
// The text view (control 1004) and the dispatcher's hooks into the window.

#include <QComboBox>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTextCursor>

#include "OrvaneDlg.h"
#include "SatellitesDlg.h"

namespace orvane {

void COrvaneDlg::AppendLine(const QString& line)
{
    m_TextView.AppendLine(line);
    m_NewHeadLength += line.size() + 2;
    // A burst of lines within one turn of the event loop costs one update
    // of the view, at the end of the turn.
    if (!m_TextRefreshQueued) {
        m_TextRefreshQueued = true;
        QMetaObject::invokeMethod(this, &COrvaneDlg::RefreshTextView, Qt::QueuedConnection);
    }
}

void COrvaneDlg::RefreshTextView()
{
    m_TextRefreshQueued = false;
    FlushTextView();
}

void COrvaneDlg::FlushTextView()
{
    if (m_NewHeadLength == 0 && !m_TextViewReset)
        return;
    // The view separates lines with LF where m_DisplayText has CR LF, so a
    // position in the view is a position in the converted text.
    const auto shown = [](QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); };
    auto* view = m_Ui.textView;
    const QString& text = m_TextView.Text();

    // Every new line went on top with its CR LF, and the 101-line rule only
    // ever cuts the end: while the new lines are all still there, the text
    // is them followed by the start of what the view shows, so only they
    // are laid out anew. Lines that hold line ends of their own count by
    // their length, not by their line ends.
    const qsizetype headLength = m_NewHeadLength;
    const bool rewrite = m_TextViewReset || headLength > text.size();
    m_NewHeadLength = 0;
    m_TextViewReset = false;
    if (rewrite) {
        view->setPlainText(shown(text));
        return;
    }
    const QString head = shown(text.left(headLength));
    const qsizetype keptLength = shown(text.mid(headLength)).size();
    QTextCursor cursor(view->document());
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(head);
    cursor.setPosition(int(head.size() + keptLength));
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    cursor.endEditBlock();
}

void COrvaneDlg::AppendLine(std::string_view line)
{
    AppendLine(QString::fromLatin1(line.data(), qsizetype(line.size())));
}

int COrvaneDlg::SelectedMessageRow() const
{
    return m_Ui.messages->currentIndex();
}

void COrvaneDlg::MoveSlider(int32_t value)
{
    // setValue triggers no slider action, so the replay's move is no seek.
    m_Ui.slider->setValue(value);
}

bool COrvaneDlg::SatellitesWindowExists() const
{
    return m_SatellitesDlg != nullptr;
}

void COrvaneDlg::UpdateSignals(int talkerRow, const SatelliteTable::Row& satellites)
{
    m_SatellitesDlg->UpdateSignals(talkerRow, satellites);
}

void COrvaneDlg::OnClear()
{
    m_TextView.Clear();
    m_TextViewReset = true;
    FlushTextView();
}

}  // namespace orvane
