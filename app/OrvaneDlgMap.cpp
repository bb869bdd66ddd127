// The map view: switching it on and off, the page turn over the configured
// map pages, the secondary-map button, and handing each usable position to
// the map pages.

#include "OrvaneDlg.h"

#include <QCoreApplication>
#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

#include "Config.h"
#include "SecondaryMapDlg.h"
#include "WebBrowser2.h"

namespace orvane {

namespace {
// Picks the configured page of the next switch-on. One counter for the
// whole process: it keeps counting across switch-ons and windows.
uint32_t g_PageTurn = 0;
}  // namespace

void COrvaneDlg::CreateMapBrowser()
{
    QWidget* frame = m_Ui.mapView;
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(1, 1, 1, 1);
    m_Browser = new CWebBrowser2(frame);
    layout->addWidget(m_Browser);
    m_Browser->SetSilent(true);
}

void COrvaneDlg::NavigateMap(const QString& url)
{
    m_Browser->Navigate2(MapUrlFromConfig(url, QCoreApplication::applicationDirPath()));
}

void COrvaneDlg::OnEnableMap()
{
    QPushButton* button = m_Ui.enableMap;
    if (!m_State.m_MapEnabled) {
        // A count of 0 leaves no page to load, as no map section does.
        if (!ReadConfig(kConfigMapPages) || ConfigSettings.MapCount == 0) {
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
    UpdateButtons();

    if (m_State.m_MapEnabled) {
        const ConfigRecord& settings = ConfigSettings;
        g_PageTurn %= settings.MapCount;
        NavigateMap(settings.MapUrls[g_PageTurn]);
        ++g_PageTurn;
    } else {
        // The last page stays in the disabled view; the secondary window
        // keeps its page and its place on screen.
        m_Browser->Stop();
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
    button->setText(m_SecondaryMapShown ? QStringLiteral("Hide a Secondary Map")
                                        : QStringLiteral("Show a Secondary Map"));
    UpdateButtons();
}

void COrvaneDlg::UpdateMapPosition(double latitude, double longitude, double heading)
{
    // While the map page loads, the position reaches neither page.
    if (m_Browser->Busy())
        return;
    const QString function = QStringLiteral("setCurPos");
    m_Browser->CallScript(function, latitude, longitude, heading);
    if (m_SecondaryMapDlg && m_SecondaryMapShown)
        m_SecondaryMapDlg->Browser()->CallScript(function, latitude, longitude, heading);
}

}  // namespace orvane
