// SPDX-License-Identifier: GPL-3.0-or-later
// The text view (control 1004) and the dispatcher's way into the window.

#include <QComboBox>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTextCursor>

#include "OrvaneDlg.h"
#include "SatellitesDlg.h"

namespace orvane {

void COrvaneDlg::AppendLine(const QString& line)
{
    // A burst of lines within one turn of the event loop costs one update
    // of the view, at the end of the turn.
    if (m_TextView.AppendLine(line))
        QMetaObject::invokeMethod(this, &COrvaneDlg::RefreshTextView, Qt::QueuedConnection);
}

void COrvaneDlg::RefreshTextView()
{
    ShowTextUpdate(m_TextView.Refresh());
}

void COrvaneDlg::FlushTextView()
{
    ShowTextUpdate(m_TextView.Flush());
}

void COrvaneDlg::ShowTextUpdate(const std::optional<TextView::Update>& update)
{
    if (!update)
        return;
    auto* view = m_Ui.textView;
    if (update->rewrite) {
        view->setPlainText(update->text);
        return;
    }
    QTextCursor cursor(view->document());
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(update->text);
    cursor.setPosition(int(update->text.size() + update->keptLength));
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    cursor.endEditBlock();
}

void COrvaneDlg::OnClear()
{
    m_TextView.Clear();
    FlushTextView();
}

DispatchOptions COrvaneDlg::Options()
{
    return {m_State.m_Online, m_Replay.Loaded(), m_State.m_MapEnabled, m_State.m_SignalsShown, &m_State.m_FixSummary};
}

void COrvaneDlg::Hooks::AppendLine(std::string_view line)
{
    m_Window.AppendLine(QString::fromLatin1(line.data(), qsizetype(line.size())));
}

int COrvaneDlg::Hooks::SelectedMessageRow() const
{
    return m_Window.m_Ui.messages->currentIndex();
}

void COrvaneDlg::Hooks::MoveSlider(int32_t value)
{
    // setValue triggers no slider action, so the replay's move is no seek.
    m_Window.m_Ui.slider->setValue(value);
}

void COrvaneDlg::Hooks::UpdateMapPosition(double latitude, double longitude, double heading)
{
    m_Window.UpdateMapPosition(latitude, longitude, heading);
}

void COrvaneDlg::Hooks::SendPosition(double latitude, double longitude, double heading)
{
    m_Window.SendPosition(latitude, longitude, heading);
}

bool COrvaneDlg::Hooks::SatellitesWindowExists() const
{
    return m_Window.m_SatellitesDlg != nullptr;
}

void COrvaneDlg::Hooks::UpdateSignals(int talkerRow, const SatelliteTable::Row& satellites)
{
    m_Window.m_SatellitesDlg->UpdateSignals(talkerRow, satellites);
}

}  // namespace orvane
