// SPDX-License-Identifier: GPL-3.0-or-later
#include "SkyPlot.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Latin1Text.h"
#include "decoder/Tables.h"

namespace orvane {

namespace {

constexpr double kMargin = 26;        // room for the N/E/S/W letters and PRNs at the horizon
constexpr double kLegendHeight = 40;  // the legend's strip under the plot: two rows
const QColor kRingColour(150, 150, 150);
const QColor kBackground(255, 255, 255);

// The constellations of the legend, in their order.
constexpr Constellation kLegend[] = {Constellation::Gps, Constellation::Glonass, Constellation::Galileo,
    Constellation::BeiDou, Constellation::Qzss, Constellation::NavIC, Constellation::Sbas};
const QString kNotUsed = QStringLiteral("not used");

// The room between a mark's edge and its label.
constexpr double kLabelGap = 2;
// The width of a mark's outline beyond its radius.
constexpr double kOutline = 1;

// Whether the circle and the rectangle share more than a point.
bool CircleMeetsRect(QPointF centre, double radius, const QRectF& rect)
{
    const double dx = centre.x() - std::clamp(centre.x(), rect.left(), rect.right());
    const double dy = centre.y() - std::clamp(centre.y(), rect.top(), rect.bottom());
    return dx * dx + dy * dy < radius * radius;
}

}  // namespace

std::vector<QRectF> PlaceLabels(const std::vector<LabelRequest>& labels, const QRectF& bounds)
{
    std::vector<QRectF> placed(labels.size());
    for (size_t k = 0; k < labels.size(); ++k) {
        const LabelRequest& label = labels[k];
        const double w = label.size.width();
        const double h = label.size.height();
        const double x = label.mark.x();
        const double y = label.mark.y();
        const double side = label.markRadius + kLabelGap;
        // A corner of the label this far along both axes stays clear of the mark.
        const double corner = label.markRadius / std::numbers::sqrt2 + kLabelGap;
        const QRectF candidates[] = {
            {x + side, y - h / 2, w, h},             // right
            {x - side - w, y - h / 2, w, h},         // left
            {x - w / 2, y - side - h, w, h},         // above
            {x - w / 2, y + side, w, h},             // below
            {x + corner, y - corner - h, w, h},      // upper right
            {x - corner - w, y - corner - h, w, h},  // upper left
            {x + corner, y + corner, w, h},          // lower right
            {x - corner - w, y + corner, w, h},      // lower left
        };
        for (const QRectF& candidate : candidates) {
            bool free = bounds.contains(candidate);
            for (size_t j = 0; j < k && free; ++j)
                free = !placed[j].intersects(candidate);
            for (size_t j = 0; j < labels.size() && free; ++j)
                free = !CircleMeetsRect(labels[j].mark, labels[j].markRadius, candidate);
            if (free) {
                placed[k] = candidate;
                break;
            }
        }
    }
    return placed;
}

QColor ConstellationColour(Constellation constellation)
{
    switch (constellation) {
    case Constellation::Gps:
        return {31, 90, 200};
    case Constellation::Glonass:
        return {210, 40, 40};
    case Constellation::Galileo:
        return {20, 150, 60};
    case Constellation::BeiDou:
        return {230, 130, 0};
    case Constellation::NavIC:
        return {140, 60, 170};
    case Constellation::Qzss:
        return {0, 150, 160};
    case Constellation::Sbas:
        return {170, 140, 20};
    case Constellation::Other:
        break;
    }
    return {90, 90, 90};
}

SkyPlot::SkyPlot(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(300, 320);
    setAutoFillBackground(false);
}

void SkyPlot::SetSatellites(std::vector<SkySatellite> satellites)
{
    m_Satellites = std::move(satellites);
    update();
}

QPointF SkyPlot::Centre() const
{
    return {width() / 2.0, (height() - kLegendHeight) / 2.0};
}

double SkyPlot::HorizonRadius() const
{
    return std::max(10.0, std::min(width(), int(height() - kLegendHeight)) / 2.0 - kMargin);
}

QPointF SkyPlot::PointAt(double elevation, double azimuth) const
{
    const double distance = HorizonRadius() * (90.0 - std::clamp(elevation, 0.0, 90.0)) / 90.0;
    const double angle = azimuth * std::numbers::pi / 180.0;
    // Azimuth runs clockwise from north (up); screen y runs down.
    return Centre() + QPointF(distance * std::sin(angle), -distance * std::cos(angle));
}

double SkyPlot::MarkRadius(const SkySatellite& satellite)
{
    // No signal reported: the smallest.
    return 4.0 + std::clamp(satellite.satellite.snr, 0, 50) / 10.0;
}

std::vector<QRectF> SkyPlot::LabelRects() const
{
    // A PRN is digits only: the label is as high as a capital letter, with
    // a pixel above and below.
    const QFontMetricsF metrics(font());
    std::vector<LabelRequest> labels;
    labels.reserve(m_Satellites.size());
    for (const SkySatellite& sky : m_Satellites) {
        const QString prn = QString::number(sky.satellite.prn);
        labels.push_back({PointAt(sky.satellite.elevation, sky.satellite.azimuth), MarkRadius(sky) + kOutline,
            QSizeF(metrics.horizontalAdvance(prn), metrics.capHeight() + 2)});
    }
    return PlaceLabels(labels, QRectF(0, 0, width(), height() - kLegendHeight));
}

QStringList SkyPlot::LegendNames()
{
    QStringList names;
    for (const Constellation constellation : kLegend)
        names << Latin1(ConstellationName(constellation));
    names << kNotUsed;
    return names;
}

void SkyPlot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), kBackground);

    const QPointF centre = Centre();
    const double radius = HorizonRadius();

    // Rings at 0, 30 and 60 degrees of elevation, and the two axes.
    painter.setPen(QPen(kRingColour, 1));
    painter.setBrush(Qt::NoBrush);
    for (const int elevation : {0, 30, 60}) {
        const double ring = radius * (90 - elevation) / 90.0;
        painter.drawEllipse(centre, ring, ring);
    }
    painter.drawLine(centre - QPointF(radius, 0), centre + QPointF(radius, 0));
    painter.drawLine(centre - QPointF(0, radius), centre + QPointF(0, radius));

    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(font);
    const auto letter = [&](const QString& text, QPointF at) {
        const QRectF box(at.x() - 10, at.y() - 10, 20, 20);
        painter.drawText(box, Qt::AlignCenter, text);
    };
    const double outside = radius + metrics.height() * 0.8;
    letter(QStringLiteral("N"), centre + QPointF(0, -outside));
    letter(QStringLiteral("S"), centre + QPointF(0, outside));
    letter(QStringLiteral("E"), centre + QPointF(outside, 0));
    letter(QStringLiteral("W"), centre + QPointF(-outside, 0));
    font.setBold(false);
    painter.setFont(font);
    painter.setPen(kRingColour);
    for (const int elevation : {30, 60}) {
        const double ring = radius * (90 - elevation) / 90.0;
        // Beside the north axis, on a patch of background so the axis does not cross it.
        const QString label = QString::number(elevation) + QChar(0x00B0);
        const QRectF box(centre.x() + 3, centre.y() - ring - metrics.height() + 1, metrics.horizontalAdvance(label) + 2,
            metrics.height() - 2);
        painter.fillRect(box, kBackground);
        painter.drawText(box, Qt::AlignCenter, label);
    }

    // The marks: filled when used, empty otherwise; larger with a stronger
    // signal. The labels come after all marks, where they cover none.
    for (const SkySatellite& sky : m_Satellites) {
        const QColor colour = ConstellationColour(sky.constellation);
        const QPointF at = PointAt(sky.satellite.elevation, sky.satellite.azimuth);
        const double size = MarkRadius(sky);
        painter.setPen(QPen(colour, 2 * kOutline));
        painter.setBrush(sky.used ? QBrush(colour) : QBrush(kBackground));
        painter.drawEllipse(at, size, size);
    }
    painter.setPen(Qt::black);
    const std::vector<QRectF> labels = LabelRects();
    for (size_t k = 0; k < labels.size(); ++k) {
        if (!labels[k].isNull())
            painter.drawText(QPointF(labels[k].left(), labels[k].bottom() - 1),
                QString::number(m_Satellites[k].satellite.prn));
    }

    // The legend: a filled dot and the name of each constellation, and what
    // an empty mark means.
    double x = 6;
    double y = height() - kLegendHeight + 10;
    const auto nextItem = [&](const QString& name) {
        const double itemWidth = 13 + metrics.horizontalAdvance(name) + 10;
        if (x > 6 && x + itemWidth > width()) {
            x = 6;
            y += 18;
        }
        return itemWidth;
    };
    for (const Constellation constellation : kLegend) {
        const QString name = Latin1(ConstellationName(constellation));
        const double itemWidth = nextItem(name);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ConstellationColour(constellation));
        painter.drawEllipse(QPointF(x + 5, y), 5, 5);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(x + 13, y + metrics.ascent() / 2 - 1), name);
        x += itemWidth;
    }
    nextItem(kNotUsed);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(kBackground);
    painter.drawEllipse(QPointF(x + 5, y), 5, 5);
    painter.drawText(QPointF(x + 13, y + metrics.ascent() / 2 - 1), kNotUsed);
}

}  // namespace orvane
