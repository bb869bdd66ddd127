// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppIcon.h"

#include <QPainter>
#include <QPixmap>

namespace orvane {

namespace {

// A position fix: a target ring with a cross and a heading wedge.
QPixmap Draw(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1d, 0x4e, 0x89));
    painter.drawEllipse(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92));
    painter.setPen(QPen(QColor(0xe8, 0xf1, 0xfa), s * 0.07));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(s * 0.25, s * 0.25, s * 0.5, s * 0.5));
    painter.drawLine(QPointF(s * 0.5, s * 0.12), QPointF(s * 0.5, s * 0.88));
    painter.drawLine(QPointF(s * 0.12, s * 0.5), QPointF(s * 0.88, s * 0.5));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xf2, 0x9e, 0x1f));
    const QPointF wedge[] = {{s * 0.5, s * 0.2}, {s * 0.62, s * 0.5}, {s * 0.38, s * 0.5}};
    painter.drawPolygon(wedge, 3);
    return pixmap;
}

}  // namespace

QIcon AppIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64})
        icon.addPixmap(Draw(size));
    return icon;
}

}  // namespace orvane
