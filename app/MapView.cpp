// SPDX-License-Identifier: GPL-3.0-or-later
#include "MapView.h"

#include <QVBoxLayout>

#include <cstdint>

#include "WebBrowser2.h"
#include "settings/Config.h"
#include "settings/MapPageLookup.h"
#include "settings/StandardFolders.h"

namespace orvane {

namespace {
uint32_t g_PageTurn = 0;
}  // namespace

MapView::MapView(QWidget* frame)
{
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(1, 1, 1, 1);
    m_Browser = new CWebBrowser2(frame);
    layout->addWidget(m_Browser);
    m_Browser->SetSilent(true);
}

void MapView::ShowNextPage(const MapPagesConfig& pages)
{
    g_PageTurn %= pages.count;
    m_Browser->Navigate2(MapPageUrl(pages.urls[g_PageTurn], MapPageFolders(ExecutableFolder())));
    ++g_PageTurn;
}

void MapView::Stop()
{
    m_Browser->Stop();
}

void MapView::UpdatePosition(double latitude, double longitude, double heading, CWebBrowser2* secondary)
{
    if (m_Browser->Busy())
        return;
    const QString function = QStringLiteral("setCurPos");
    m_Browser->CallScript(function, latitude, longitude, heading);
    if (secondary)
        secondary->CallScript(function, latitude, longitude, heading);
}

}  // namespace orvane
