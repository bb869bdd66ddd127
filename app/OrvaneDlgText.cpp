// The text view (control 1004) and the dispatcher's hooks into the window.

#include <QComboBox>
#include <QPlainTextEdit>
#include <QSlider>

#include "OrvaneDlg.h"
#include "SatellitesDlg.h"

namespace orvane {

void COrvaneDlg::AppendLine(const QString& line)
{
    m_TextView.AppendLine(line);
    m_TextViewStale = true;
    // A burst of lines within one turn of the event loop costs one
    // rewrite of the view, at the end of the turn.
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
    if (!m_TextViewStale)
        return;
    m_TextViewStale = false;
    // The view separates lines with LF; m_DisplayText keeps CR LF.
    QString shown = m_TextView.Text();
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    static_cast<QPlainTextEdit*>(Control(IDC_TEXT_VIEW))->setPlainText(shown);
}

void COrvaneDlg::AppendLine(std::string_view line)
{
    AppendLine(QString::fromLatin1(line.data(), qsizetype(line.size())));
}

int COrvaneDlg::SelectedMessageRow() const
{
    return Combo(IDC_MESSAGE_LIST)->currentIndex();
}

void COrvaneDlg::MoveSlider(int32_t value)
{
    Slider()->setValue(value);
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
    m_TextViewStale = true;
    FlushTextView();
}

}  // namespace orvane
