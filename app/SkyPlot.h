// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The polar sky plot: the zenith at the centre, rings at 0, 30 and 60
// degrees of elevation, north up and east to the right, one mark per
// satellite placed by azimuth and elevation, coloured by constellation,
// filled when used in the fix and sized by its best signal, its PRN beside
// it where the label has room, and a legend of the constellations.

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QStringList>
#include <QWidget>

#include <vector>

#include "decoder/FixSummary.h"

namespace orvane {

// The colour of a constellation's marks and legend dot.
QColor ConstellationColour(Constellation constellation);

// A mark's label to place: the mark's centre and radius, and the label's
// size.
struct LabelRequest {
    QPointF mark;
    double markRadius = 0;
    QSizeF size;
};

// Where each label goes, in the order given: beside its mark on the first
// side, of right, left, above, below and then the four corners, where the
// label lies within bounds and overlaps no mark and no label placed before
// it. A label with no free side gets a null rectangle and is left out.
std::vector<QRectF> PlaceLabels(const std::vector<LabelRequest>& labels, const QRectF& bounds);

class SkyPlot : public QWidget {
    Q_OBJECT

public:
    explicit SkyPlot(QWidget* parent = nullptr);

    void SetSatellites(std::vector<SkySatellite> satellites);
    const std::vector<SkySatellite>& Satellites() const { return m_Satellites; }

    // The plot's geometry in widget pixels: the centre (the zenith), the
    // radius of the horizon ring, and where a direction lies.
    QPointF Centre() const;
    double HorizonRadius() const;
    QPointF PointAt(double elevation, double azimuth) const;
    // The radius of a satellite's mark: larger with a stronger signal.
    static double MarkRadius(const SkySatellite& satellite);
    // Where each satellite's PRN is drawn, in the order of Satellites(); a
    // null rectangle for one left out (see PlaceLabels).
    std::vector<QRectF> LabelRects() const;
    // The names the legend shows, in its order.
    static QStringList LegendNames();

    QSize sizeHint() const override { return {420, 420}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<SkySatellite> m_Satellites;
};

}  // namespace orvane
