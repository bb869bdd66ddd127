// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// orvane-measure --basemap-screenshot PNG FILE N: the README's picture of
// the base map page. Test tiles around FILE's track are made in a
// temporary folder and named in a config.ini of its own ([map] url1 the
// build's maps/osm.html, [basemap] tiles a file: template); FILE is
// replayed N ticks with the map on and the window saved to PNG.

#include <QString>

namespace orvane {

int BaseMapScreenshot(const QString& png, const QString& file, int ticks);

}  // namespace orvane
