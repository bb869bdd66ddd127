// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Map tiles made on the spot for the base map page: 256-pixel PNGs in a
// folder as {z}/{x}/{y}.png, each a light square with a grid and its own
// numbers, so a picture shows which tiles were drawn.

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cmath>

namespace orvane {

// The tile (x, y) at zoom z that holds a position (Web Mercator).
inline QPoint TileOf(double latitude, double longitude, int zoom)
{
    const double n = std::ldexp(1.0, zoom);
    const double lat = latitude * M_PI / 180.0;
    const double x = (longitude + 180.0) / 360.0 * n;
    const double y = (1.0 - std::log(std::tan(lat) + 1.0 / std::cos(lat)) / M_PI) / 2.0 * n;
    return QPoint(int(std::floor(x)), int(std::floor(y)));
}

// Writes the tiles of zoom z from the tile around a position out to reach
// tiles on every side; false when one could not be written.
inline bool WriteTestTiles(const QString& folder, double latitude, double longitude, int zoom, int reach)
{
    const QPoint centre = TileOf(latitude, longitude, zoom);
    for (int x = centre.x() - reach; x <= centre.x() + reach; ++x) {
        const QString column = QString("%1/%2/%3").arg(folder).arg(zoom).arg(x);
        if (!QDir().mkpath(column))
            return false;
        for (int y = centre.y() - reach; y <= centre.y() + reach; ++y) {
            QImage tile(256, 256, QImage::Format_RGB32);
            tile.fill(QColor(236, 232, 218));
            QPainter painter(&tile);
            painter.setPen(QColor(200, 194, 176));
            for (int k = 0; k < 256; k += 64) {
                painter.drawLine(k, 0, k, 255);
                painter.drawLine(0, k, 255, k);
            }
            painter.setPen(QColor(120, 112, 96));
            painter.drawText(QRect(0, 0, 256, 256), Qt::AlignCenter, QString("%1/%2/%3").arg(zoom).arg(x).arg(y));
            painter.end();
            if (!tile.save(QString("%1/%2.png").arg(column).arg(y), "PNG"))
                return false;
        }
    }
    return true;
}

}  // namespace orvane
