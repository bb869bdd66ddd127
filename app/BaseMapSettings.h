// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The base map page's settings from config.ini ([basemap] tiles, the tile
// URL template). Each page a browser loads finds the template as the
// global window.orvaneTileUrl before its own scripts run; maps/osm.html
// takes its tiles from there unless its address names others.

#include <QString>

namespace orvane {

class CWebBrowser2;

// The template of config.ini's [basemap] tiles; empty when not set.
QString ConfiguredTileUrl();

// Every later page load of the browser sees the template (none: the
// variable is left undefined and the page uses its default).
void ApplyTileUrl(CWebBrowser2& browser, const QString& tileUrl);

}  // namespace orvane
