// SPDX-License-Identifier: GPL-3.0-or-later
// The map buttons: switching the map on and off, and showing or hiding the
// secondary map window. The map view itself is MapView.

#include "OrvaneDlg.h"

#include <QPushButton>

#include "BaseMapSettings.h"
#include "MapView.h"
#include "SecondaryMapDlg.h"
#include "settings/Config.h"

namespace orvane {

CWebBrowser2* COrvaneDlg::Browser() const
{
    return m_Map->Browser();
}

void COrvaneDlg::OnEnableMap()
{
    QPushButton* button = m_Ui.enableMap;
    if (!m_State.m_MapEnabled) {
        // A count of 0 leaves no page to load, as no map section does.
        if (!ReadConfig(m_MapPagesConfig, [this](const QString& line) { AppendLine(line); }) ||
            m_MapPagesConfig.count == 0) {
            AppendLine(QStringLiteral("No map URLs from \"config.ini\""));
            // The push-like button pressed itself; the map stays off.
            button->setChecked(false);
            return;
        }
    }
    m_State.m_MapEnabled = !m_State.m_MapEnabled;
    button->setChecked(m_State.m_MapEnabled);
    button->setText(m_State.m_MapEnabled ? QStringLiteral("Disable Map") : QStringLiteral("Enable Map"));

    m_Ui.secondaryMap->setEnabled(m_State.m_MapEnabled);
    m_Ui.mapView->setEnabled(m_State.m_MapEnabled);
    if (m_SecondaryMapDlg)
        m_SecondaryMapDlg->SetBrowserEnabled(m_State.m_MapEnabled);
    UpdateControls();

    if (m_State.m_MapEnabled) {
        // The base map's tiles, read again at each switch-on like the pages.
        const QString tileUrl = ConfiguredTileUrl();
        ApplyTileUrl(*m_Map->Browser(), tileUrl);
        if (m_SecondaryMapDlg)
            ApplyTileUrl(*m_SecondaryMapDlg->Browser(), tileUrl);
        m_Map->ShowNextPage(m_MapPagesConfig);
    } else {
        // The last page stays in the disabled view; the secondary window
        // keeps its page and its place on screen.
        m_Map->Stop();
    }
}

void COrvaneDlg::OnSecondaryMap()
{
    if (!m_SecondaryMapDlg)
        return;
    m_SecondaryMapShown = !m_SecondaryMapShown;
    m_SecondaryMapDlg->setVisible(m_SecondaryMapShown);
    QPushButton* button = m_Ui.secondaryMap;
    button->setChecked(m_SecondaryMapShown);
    button->setText(
        m_SecondaryMapShown ? QStringLiteral("Hide a Secondary Map") : QStringLiteral("Show a Secondary Map"));
    UpdateControls();
}

void COrvaneDlg::UpdateMapPosition(double latitude, double longitude, double heading)
{
    m_Map->UpdatePosition(latitude, longitude, heading,
        m_SecondaryMapDlg && m_SecondaryMapShown ? m_SecondaryMapDlg->Browser() : nullptr);
}

}  // namespace orvane
