// SPDX-License-Identifier: GPL-3.0-or-later
// The Sky View window of the main window: opened from the window menu or
// with Ctrl+K, redrawn after each replay and live tick while shown (the
// summary catching up with the ticks first), and emptied with the fix
// summary on Purge, when leaving online mode and when a replay starts over
// from the beginning of the log.

#include <QShortcut>

#include "OrvaneDlg.h"
#include "SkyViewDlg.h"

namespace orvane {

void COrvaneDlg::SetUpSkyView()
{
    auto* key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_K), this);
    connect(key, &QShortcut::activated, this, &COrvaneDlg::OnSkyView);
}

void COrvaneDlg::OnSkyView()
{
    if (!m_SkyViewDlg)
        m_SkyViewDlg = std::make_unique<SkyViewDlg>(m_State.m_FixSummary, this);
    m_Replay.CatchUpSummary(m_State.m_FixSummary);
    m_SkyViewDlg->show();
    m_SkyViewDlg->raise();
    m_SkyViewDlg->activateWindow();
}

void COrvaneDlg::FollowSkyView()
{
    // A hidden window wants nothing: the summary catches up when shown.
    if (m_SkyViewDlg && m_SkyViewDlg->isVisible()) {
        m_Replay.CatchUpSummary(m_State.m_FixSummary);
        m_SkyViewDlg->NoteTick();
    }
}

void COrvaneDlg::ResetSkyView()
{
    m_Replay.ResetSummary(m_State.m_FixSummary);
    if (m_SkyViewDlg)
        m_SkyViewDlg->Reset();
}

}  // namespace orvane
